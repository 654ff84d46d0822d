#include "platform/d3d9/gl/EglDevices.h"

#include <epoxy/egl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace d3d9::detail {
namespace {

// EGL_EXT_device_drm_render_node; older headers lack the name.
constexpr EGLint kRenderNodeFile = 0x3377;

struct Device {
    EGLDeviceEXT handle;
    bool software;
    std::string name;
};

bool hasWord(const char* list, const char* word) {
    if (!list) return false;
    const std::size_t n = std::strlen(word);
    for (const char* p = list; (p = std::strstr(p, word)) != nullptr; p += n) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[n] == '\0' || p[n] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

std::vector<Device> listDevices() {
    std::vector<Device> devices;
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_device_enumeration") ||
        !epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_device")) {
        return devices;
    }
    EGLint count = 0;
    if (!eglQueryDevicesEXT(0, nullptr, &count) || count <= 0) return devices;
    std::vector<EGLDeviceEXT> handles(static_cast<std::size_t>(count));
    if (!eglQueryDevicesEXT(count, handles.data(), &count)) return devices;
    handles.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < handles.size(); ++i) {
        const char* extensions = eglQueryDeviceStringEXT(handles[i], EGL_EXTENSIONS);
        Device d{handles[i], hasWord(extensions, "EGL_MESA_device_software"), ""};
        const char* file = nullptr;
        if (hasWord(extensions, "EGL_EXT_device_drm_render_node"))
            file = eglQueryDeviceStringEXT(handles[i], kRenderNodeFile);
        if (!file && hasWord(extensions, "EGL_EXT_device_drm"))
            file = eglQueryDeviceStringEXT(handles[i], EGL_DRM_DEVICE_FILE_EXT);
        d.name = "EGL device " + std::to_string(i) + " (" +
                 (d.software ? std::string("software") : file ? std::string(file) : std::string("hardware")) + ")";
        devices.push_back(std::move(d));
    }
    return devices;
}

std::string deviceList(const std::vector<Device>& devices) {
    if (devices.empty()) return "this machine lists no EGL devices";
    std::string text = "the EGL devices here are:";
    for (const Device& d : devices) text += " " + d.name;
    return text;
}

EGLDisplay initialised(EGLDisplay display) {
    EGLint major = 0, minor = 0;
    return display != EGL_NO_DISPLAY && eglInitialize(display, &major, &minor) ? display : EGL_NO_DISPLAY;
}

EGLDisplay deviceDisplay(const Device& d) {
    return initialised(eglGetPlatformDisplayEXT(EGL_PLATFORM_DEVICE_EXT, d.handle, nullptr));
}

EGLDisplay surfacelessDisplay() {
    if (epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display = initialised(
            eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
        if (display != EGL_NO_DISPLAY) return display;
    }
    return EGL_NO_DISPLAY;
}

}  // namespace

bool chooseHeadlessDisplay(const std::function<bool(void*)>& tryContext, EglDisplayChoice& chosen,
                           std::string& error) {
    const std::vector<Device> devices = listDevices();
    int hardware = 0;
    for (const Device& d : devices) hardware += d.software ? 0 : 1;
    auto take = [&](EGLDisplay display, const std::string& platform, bool software) {
        if (display == EGL_NO_DISPLAY || !tryContext(display)) return false;
        chosen = EglDisplayChoice{display, platform, software, hardware};
        return true;
    };
    const char* variable = std::getenv("GLIMMERHOP_EGL_DEVICE");
    const std::string wanted = variable ? variable : "";
    const std::string what = "GLIMMERHOP_EGL_DEVICE=" + wanted;

    if (wanted.empty() || wanted == "auto") {
        for (const Device& d : devices)
            if (!d.software && take(deviceDisplay(d), d.name, false)) return true;
        if (take(surfacelessDisplay(), "EGL surfaceless platform", false)) return true;
        // Drivers other than Mesa's: their default display, used without surfaces.
        if (take(initialised(eglGetDisplay(EGL_DEFAULT_DISPLAY)), "EGL default display", false)) return true;
        error = "no EGL display gave an OpenGL 4.5 core context (" + deviceList(devices) + ")";
        return false;
    }
    if (wanted == "surfaceless") {
        if (take(surfacelessDisplay(), "EGL surfaceless platform", false)) return true;
        error = what + ": the surfaceless platform gave no OpenGL 4.5 core context";
        return false;
    }
    if (wanted == "software") {
        for (const Device& d : devices)
            if (d.software) {
                if (take(deviceDisplay(d), d.name, true)) return true;
                error = what + ": " + d.name + " gave no OpenGL 4.5 core context";
                return false;
            }
        error = what + ": there is no software EGL device (" + deviceList(devices) + ")";
        return false;
    }
    char* end = nullptr;
    const long index = std::strtol(wanted.c_str(), &end, 10);
    if (end == wanted.c_str() || *end != '\0' || index < 0) {
        error = what + ": give a device number, \"software\" or \"surfaceless\"";
        return false;
    }
    if (index >= static_cast<long>(devices.size())) {
        error = what + ": there is no such device (" + deviceList(devices) + ")";
        return false;
    }
    const Device& d = devices[static_cast<std::size_t>(index)];
    if (take(deviceDisplay(d), d.name, d.software)) return true;
    error = what + ": " + d.name + " gave no OpenGL 4.5 core context";
    return false;
}

}  // namespace d3d9::detail
