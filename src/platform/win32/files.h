// File opening for the program's Windows-style relative paths ("Tindermoot\Floor\x.scene"):
// backslashes become slashes before the file is opened.
#pragma once

#include <cstdio>
#include <string>

namespace win32 {
std::string nativePath(const char* path);
std::FILE* openFile(const char* path, const char* mode);
}  // namespace win32
