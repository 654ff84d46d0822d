#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "FrameSink.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace tool {

PngFolderSink::PngFolderSink(std::string folder, unsigned width, unsigned height)
    : folder_(std::move(folder)), width_(width), height_(height) {}

std::string PngFolderSink::frameName(unsigned index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame%05u.png", index);
    return name;
}

bool PngFolderSink::open() {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec || !std::filesystem::is_directory(folder_)) {
        std::fprintf(stderr, "render: cannot create the folder %s: %s\n", folder_.c_str(),
                     ec ? ec.message().c_str() : "a file of that name is in the way");
        return false;
    }
    if (access(folder_.c_str(), W_OK) != 0) {
        std::fprintf(stderr, "render: cannot write in %s: %s\n", folder_.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool PngFolderSink::write(const std::uint8_t* rgba) {
    const std::string final = folder_ + "/" + frameName(next_);
    // Written beside the final name and renamed, so a frame file is always whole.
    const std::string partial = final + ".partial";
    if (!stbi_write_png(partial.c_str(), static_cast<int>(width_), static_cast<int>(height_), 4, rgba,
                        static_cast<int>(width_ * 4))) {
        std::remove(partial.c_str());
        std::fprintf(stderr, "render: cannot write %s\n", final.c_str());
        return false;
    }
    if (std::rename(partial.c_str(), final.c_str()) != 0) {
        std::fprintf(stderr, "render: cannot write %s: %s\n", final.c_str(), std::strerror(errno));
        std::remove(partial.c_str());
        return false;
    }
    ++next_;
    return true;
}

bool PngFolderSink::finish() { return true; }

// The frames written so far are whole pictures and stay; nothing partial is left.
void PngFolderSink::abort() {}

std::string PngFolderSink::describe() const {
    return std::to_string(next_) + " frames in " + folder_ + "/ (" + frameName(0) + " ...)";
}

}  // namespace tool
