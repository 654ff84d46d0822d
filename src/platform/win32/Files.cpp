// Data paths are written the Windows way ("Tindermoot\Floor\x.scene").
#include "platform/win32/files.h"

#include <sys/stat.h>

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

DWORD GetFileAttributesA(LPCSTR path) {
    if (!path) return INVALID_FILE_ATTRIBUTES;
    struct stat info;
    if (stat(win32::nativePath(path).c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}
