// Image files: texture creation on the trace device, and binding what came out.
#include <cstdio>

#include "FuzzSupport.h"
#include "TempInput.h"
#include "platform/d3dx9/d3dx9.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ensureDevice();
    if (!gDevice) return 0;
    const std::string& path = fuzzing::writeTempInput(".png", data, size);
    IDirect3DTexture9* texture = nullptr;
    const HRESULT hr = D3DXCreateTextureFromFileA(gDevice, path.c_str(), &texture);
    if (SUCCEEDED(hr) != (texture != nullptr)) __builtin_trap();
    if (texture) {
        gDevice->SetTexture(0, texture);
        gDevice->SetTexture(0, nullptr);
        texture->Release();
    }
    std::remove(path.c_str());
    return 0;
}
