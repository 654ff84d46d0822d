#include "render/Paths.h"

#include <cstring>

std::string directoryOf(const char* path) {
    if (!path) return std::string();
    for (std::size_t i = std::strlen(path); i > 0; --i) {
        const char c = path[i - 1];
        if (c == '\\' || c == '/') return std::string(path, i);
    }
    return std::string();
}
