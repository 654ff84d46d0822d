// Loaders that take a path: the input is written to one file per process under /tmp and
// handed over by name.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzzing {

inline const std::string& writeTempInput(const char* extension, const std::uint8_t* data, std::size_t size) {
    static std::string path;
    path = "/tmp/glimmerhop-fuzz-" + std::to_string(getpid()) + extension;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

}  // namespace fuzzing
