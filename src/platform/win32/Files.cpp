// Data paths are written the Windows way ("Tindermoot\Floor\x.scene").
#include "platform/win32/files.h"

namespace win32 {

std::string nativePath(const char* path) {
    std::string out = path ? path : "";
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::FILE* openFile(const char* path, const char* mode) {
    if (!path || !mode) return nullptr;
    return std::fopen(nativePath(path).c_str(), mode);
}

}  // namespace win32
