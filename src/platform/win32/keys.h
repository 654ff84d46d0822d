// Asynchronous key state: non-zero when the key is down now or was pressed since the
// previous query of that key (the low bit), as GetAsyncKeyState reports it.
#pragma once

#include "platform/win32/win32types.h"

constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
// Letter keys are their upper-case ASCII codes ('I', 'O', 'J', 'K', 'N', 'M').

short GetAsyncKeyState(int virtualKey);

namespace win32 {
// Fed by the window's event handling (and by tests): a key went down or up.
void noteKeyDown(int virtualKey);
void noteKeyUp(int virtualKey);
}  // namespace win32
