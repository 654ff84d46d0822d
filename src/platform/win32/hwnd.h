// A window handle is the SDL window behind it.
#pragma once

#include "platform/win32/win32types.h"

struct SDL_Window;

namespace win32 {
inline SDL_Window* sdlWindowOf(HWND window) { return reinterpret_cast<SDL_Window*>(window); }
inline HWND windowHandleOf(SDL_Window* window) { return reinterpret_cast<HWND>(window); }
}  // namespace win32
