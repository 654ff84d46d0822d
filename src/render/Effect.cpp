#include "render/Effect.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/globals/DisplaySettings.h"
#include "platform/win32/messagebox.h"

namespace {
// Shown when the compiler gives no text of its own (a missing file, for instance).
constexpr const char* kNoCompilerText =
    "The effect file could not be read or compiled, and the compiler gave no details.";
// Shown for a file that compiled but holds no technique to draw with.
constexpr const char* kNoTechniqueText = "The effect file holds no technique.";
}  // namespace

void Effect::load(const char* path) {
    release();
    ID3DXBuffer* errors = nullptr;
    ID3DXEffect* effect = nullptr;
    const HRESULT hr = D3DXCreateEffectFromFileA(gDevice, path, nullptr, nullptr,
                                                 D3DXSHADER_DEBUG, nullptr, &effect, &errors);
    // A file that compiles to no technique at all (an empty or cut-short file) could only
    // fail every later call; it is reported like a compile failure.
    D3DXEFFECT_DESC desc{};
    const bool usable = SUCCEEDED(hr) && effect && SUCCEEDED(effect->GetDesc(&desc)) && desc.Techniques > 0;
    if (!usable) {
        if (effect) effect->Release();
        char caption[65];
        std::snprintf(caption, sizeof caption, "Shader Compilation Error In [%s]", path ? path : "");
        // The buffer need not be terminated; copy exactly what it holds.
        std::string text;
        if (errors && errors->GetBufferPointer() && errors->GetBufferSize() > 0) {
            const char* bytes = static_cast<const char*>(errors->GetBufferPointer());
            text.assign(bytes, strnlen(bytes, errors->GetBufferSize()));
        }
        if (text.empty()) text = SUCCEEDED(hr) ? kNoTechniqueText : kNoCompilerText;
        MessageBoxA(nullptr, text.c_str(), caption, MB_OK);
        if (errors) errors->Release();
        return;
    }
    if (errors) errors->Release();
    compiled = effect;
}

void Effect::release() {
    if (compiled) compiled->Release();
    compiled = nullptr;
}
