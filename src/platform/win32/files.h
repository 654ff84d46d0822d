// File opening for the program's Windows-style relative paths ("Tindermoot\Floor\x.scene"):
// backslashes become slashes before the file is opened.
#pragma once

#include <cstdio>
#include <string>

#include "platform/win32/win32types.h"

namespace win32 {
std::string nativePath(const char* path);
std::FILE* openFile(const char* path, const char* mode);
}  // namespace win32

// What a path is, the Windows way: INVALID_FILE_ATTRIBUTES when nothing is there,
// FILE_ATTRIBUTE_DIRECTORY set for a directory. Takes the program's backslash paths.
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010u;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080u;
DWORD GetFileAttributesA(LPCSTR path);
