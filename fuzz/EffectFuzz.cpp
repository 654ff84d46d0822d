// Effect files: parsing and compiling on the trace device, then the calls a scene makes.
#include <cstdio>

#include "FuzzSupport.h"
#include "TempInput.h"
#include "platform/d3dx9/d3dx9.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ensureDevice();
    if (!gDevice) return 0;
    const std::string& path = fuzzing::writeTempInput(".fx", data, size);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    D3DXCreateEffectFromFileA(gDevice, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors);
    if (errors) errors->Release();
    if (effect) {
        const float values[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        effect->SetFloat("time", 1.0f);
        effect->SetFloatArray("CameraPosition", values, 3);
        effect->SetMatrix("matWorldViewProjection", reinterpret_cast<const D3DXMATRIX*>(values));
        effect->SetTexture("tex0", nullptr);
        UINT passes = 0;
        // The show's technique name when the file has it, else the first technique.
        effect->SetTechnique("tull");
        if (SUCCEEDED(effect->Begin(&passes, 0))) {
            for (UINT p = 0; p < passes && p < 8; ++p) {
                effect->BeginPass(p);
                effect->EndPass();
            }
            effect->End();
        }
        effect->Release();
    }
    std::remove(path.c_str());
    return 0;
}
