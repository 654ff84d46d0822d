#include "render/D3DError.h"

#include <cstdio>

#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/messagebox.h"

namespace {

const char* formatFor(HRESULT hr) {
    switch (hr) {
    case E_OUTOFMEMORY: return "OutOfMemory With %s";
    case D3DERR_OUTOFVIDEOMEMORY: return "OutOfVideoMemory With %s";
    case D3DERR_INVALIDCALL: return "InvalidCall With %s";
    case D3DXERR_INVALIDDATA: return "InvalidData With %s";
    default: return "No Case With %s - Everything Should Be Fine";
    }
}

}  // namespace

std::string d3dErrorText(HRESULT hr, const char* subject) {
    char text[D3D_ERROR_TEXT_MAX + 1];
    std::snprintf(text, sizeof text, formatFor(hr), subject ? subject : "");
    return text;
}

void showD3DError(HRESULT hr, const char* caption, const char* subject) {
    const std::string text = d3dErrorText(hr, subject);
    MessageBoxA(nullptr, text.c_str(), caption, MB_OK);
}
