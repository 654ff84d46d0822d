#include "ShowHost.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DataFolder.h"
#include "app/globals/DisplaySettings.h"
#include "show/SceneSpans.h"

namespace tool {

bool createDevice(const DeviceOptions& options) {
    gD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!gD3D) {
        std::fprintf(stderr, "cannot create the Direct3D object\n");
        return false;
    }
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = options.width;
    params.BackBufferHeight = options.height;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(options.samples);
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;
    params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    const HRESULT hr = gD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                          D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &gDevice);
    if (FAILED(hr) || !gDevice) {
        const std::string why = d3d9::headlessFailure();
        if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
        std::fprintf(stderr, "cannot create the device (0x%08x)\n", static_cast<unsigned>(hr));
        releaseDevice();
        return false;
    }
    return true;
}

void releaseDevice() {
    if (gDevice) gDevice->Release();
    gDevice = nullptr;
    if (gD3D) gD3D->Release();
    gD3D = nullptr;
}

std::string rendererLine() {
    d3d9::RendererInfo info;
    if (!gDevice || !d3d9::rendererInfo(gDevice, info)) return "";
    return info.renderer + " by " + info.vendor + ", OpenGL " + info.version + ", " + info.platform;
}

std::string softwareWarning() {
    d3d9::RendererInfo info;
    if (!gDevice || !d3d9::rendererInfo(gDevice, info) || !info.software || info.hardwareDevices == 0) return "";
    return "warning: rendering on the CPU (" + info.renderer + ") although " + std::to_string(info.hardwareDevices) +
           " hardware EGL device" + (info.hardwareDevices == 1 ? " is" : "s are") +
           " here; GLIMMERHOP_EGL_DEVICE=N chooses one";
}

bool enterDataDirectory(const std::string& given) {
    // Without --data: the working directory, the build folder or the installed data set.
    const std::string dir = given.empty() ? defaultDataFolder() : given;
    if (dir.empty() || dir == ".") return true;
    if (chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "cannot enter %s: %s\n", dir.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

std::vector<double> timeRange(double from, double to, double fps) {
    std::vector<double> times;
    if (fps <= 0) return times;
    for (unsigned long k = 0;; ++k) {
        const double t = from + k / fps;
        if (t > to + 1e-9) break;
        times.push_back(t);
    }
    return times;
}

int sceneIndexOf(float t) { return show::sceneAt(t); }

const char* sceneName(int index) { return index >= 0 && index < show::kSceneCount ? show::kScenes[index].name : "?"; }

double sceneStart(int index) { return show::sceneSpanStart(index); }

}  // namespace tool
