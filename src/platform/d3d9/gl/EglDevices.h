// Which EGL display a headless context is made on. EGL devices (EGL_EXT_device_enumeration,
// EGL_EXT_platform_device) are listed and a hardware one is preferred; Mesa's surfaceless
// platform is the fallback, and GLIMMERHOP_EGL_DEVICE=N|software|surfaceless chooses.
#pragma once

#include <functional>
#include <string>

namespace d3d9::detail {

struct EglDisplayChoice {
    void* display = nullptr;  // EGLDisplay, initialised
    std::string platform;     // "EGL device 1 (/dev/dri/renderD128)", "EGL surfaceless platform"
    bool softwareDevice = false;
    int hardwareDevices = 0;  // EGL devices that are not Mesa's software one
};

// Calls `tryContext` on each candidate display, in order of preference, until it returns
// true. False with `error` set when no candidate took, or the variable names none.
bool chooseHeadlessDisplay(const std::function<bool(void* display)>& tryContext,
                           EglDisplayChoice& chosen, std::string& error);

}  // namespace d3d9::detail
