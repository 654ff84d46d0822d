// The live windows and registered classes behind window.h, shared with the message
// queue. Used only inside the win32 stand-in.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/win32/window.h"

namespace win32::internal {

struct WindowRecord {
    HWND handle = nullptr;
    std::uint32_t sdlWindowId = 0;
    WNDPROC procedure = nullptr;
    bool destroyed = false;
};

// The window whose SDL window has this id, or null.
WindowRecord* windowBySdlId(std::uint32_t id);
WindowRecord* windowByHandle(HWND window);
// Every window created so far, destroyed ones included.
std::deque<WindowRecord>& windows();
// Starts SDL's video subsystem once; false when there is no display.
bool startVideo();

}  // namespace win32::internal
