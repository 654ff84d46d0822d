// Message boxes. Every box is also written as one line to standard error
// ("[caption] text"). A real SDL box is shown only when a display is there and the
// run is interactive: never when GLIMMERHOP_NONINTERACTIVE or CI is set, so that
// automated runs never block.
#pragma once

#include "platform/win32/win32types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

namespace win32 {
// For tests and tools: how many boxes were shown since the last reset, and the last one.
struct MessageBoxRecord {
    char caption[256];
    char text[1024];
    UINT type;
};
unsigned messageBoxCount();
const MessageBoxRecord& lastMessageBox();
void resetMessageBoxes();
// Forces boxes to be non-interactive (stderr only) regardless of the environment.
void setMessageBoxesInteractive(bool interactive);
}  // namespace win32
