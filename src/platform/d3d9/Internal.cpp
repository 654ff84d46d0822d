// The entry points of backend.h and internal.h that reach behind the interfaces.
#include <cstring>
#include <vector>

#include "platform/d3d9/DeviceBase.h"
#include "platform/d3d9/backend.h"
#include "platform/d3d9/gl/GlDevice.h"
#include "platform/d3d9/internal.h"

namespace d3d9 {
namespace {
detail::DeviceBase* base(IDirect3DDevice9* device) { return static_cast<detail::DeviceBase*>(device); }
detail::TextureStorage* texture(IDirect3DBaseTexture9* t) { return detail::storageOf(t); }
}  // namespace

bool readBackBuffer(IDirect3DDevice9* device, std::vector<std::uint8_t>& rgba, UINT& width,
                    UINT& height) {
    if (!device || base(device)->backend() != Backend::Gl) return false;
    int w = 0, h = 0;
    base(device)->renderTargetSize(w, h);
    rgba.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    base(device)->makeCurrent();
    return base(device)->readBack(rgba.data(), rgba.size(), width, height);
}

void setDrawing(IDirect3DDevice9* device, bool on) {
    if (device) base(device)->setDrawing(on);
}

bool rendererInfo(IDirect3DDevice9* device, RendererInfo& info) {
    if (!device) return false;
    base(device)->makeCurrent();
    return base(device)->describeRenderer(info);
}

bool startReadBack(IDirect3DDevice9* device, unsigned slot) {
    if (!device) return false;
    base(device)->makeCurrent();
    return base(device)->startReadBack(slot);
}

const std::uint8_t* finishReadBack(IDirect3DDevice9* device, unsigned slot) {
    if (!device) return nullptr;
    base(device)->makeCurrent();
    return base(device)->finishReadBack(slot);
}

void profileDraws(IDirect3DDevice9* device, bool on) {
    if (!device) return;
    base(device)->makeCurrent();
    base(device)->profileDraws(on);
}

bool collectDrawTimings(IDirect3DDevice9* device, std::vector<DrawTiming>& timings) {
    timings.clear();
    if (!device) return false;
    base(device)->makeCurrent();
    return base(device)->collectDrawTimings(timings);
}

void traceNote(IDirect3DDevice9* device, const char* text) {
    if (!device || !text) return;
    base(device)->traceText(text, std::strlen(text));
}

namespace internal {

Backend backendOf(IDirect3DDevice9* device) { return base(device)->backend(); }

void traceLine(IDirect3DDevice9* device, const char* text, std::size_t length) {
    if (device) base(device)->traceText(text, length);
}

bool tracing(IDirect3DDevice9* device) { return device && base(device)->tracing(); }

const char* textureName(IDirect3DBaseTexture9* t) { return t ? texture(t)->name() : "null"; }

void setTextureName(IDirect3DBaseTexture9* t, const char* path) {
    if (t) texture(t)->setName(path);
}

unsigned glTexture(IDirect3DBaseTexture9* t) {
    const detail::TextureStorage* s = texture(t);
    return s ? s->glName : 0;
}

void renderTargetSize(IDirect3DDevice9* device, int& width, int& height) {
    base(device)->renderTargetSize(width, height);
}

void makeCurrent(IDirect3DDevice9* device) { base(device)->makeCurrent(); }

void setDrawLabel(IDirect3DDevice9* device, const char* effect, const char* technique, unsigned pass) {
    if (device) base(device)->setDrawLabel(effect, technique, pass);
}

int attributeLocation(BYTE usage, BYTE usageIndex) {
    switch (usage) {
        case D3DDECLUSAGE_POSITION:
        case D3DDECLUSAGE_POSITIONT: return usageIndex == 0 ? 0 : -1;
        case D3DDECLUSAGE_NORMAL: return usageIndex == 0 ? 1 : -1;
        case D3DDECLUSAGE_TEXCOORD: return usageIndex < 8 ? 2 + usageIndex : -1;
        case D3DDECLUSAGE_TANGENT: return usageIndex == 0 ? 10 : -1;
        case D3DDECLUSAGE_BINORMAL: return usageIndex == 0 ? 11 : -1;
        case D3DDECLUSAGE_COLOR: return usageIndex < 2 ? 12 + usageIndex : -1;
        case D3DDECLUSAGE_BLENDWEIGHT: return usageIndex == 0 ? 14 : -1;
        case D3DDECLUSAGE_BLENDINDICES: return usageIndex == 0 ? 15 : -1;  // the last of GL's 16
        default: return -1;
    }
}

void setFixedFunctionPass(IDirect3DDevice9* device, bool on) {
    if (device) base(device)->setFixedFunctionPass(on);
}

unsigned createEffectProgram(IDirect3DDevice9* device, const EffectProgramSource& source, std::string& log) {
    if (!device) return 0;
    base(device)->makeCurrent();
    return base(device)->createEffectProgram(source, log);
}

void destroyEffectProgram(IDirect3DDevice9* device, unsigned program) {
    if (!device || !program) return;
    base(device)->makeCurrent();
    base(device)->destroyEffectProgram(program);
}

void useEffectProgram(IDirect3DDevice9* device, unsigned program, std::uint64_t version, EffectPassSource& source,
                      bool passBegins) {
    if (device && program) base(device)->useEffectProgram(program, version, source, passBegins);
}

DWORD samplerState(IDirect3DDevice9* device, DWORD sampler, DWORD type) {
    if (!device || sampler >= detail::kSamplerCount || type >= detail::kSamplerStateCount) return 0;
    return base(device)->samplerState(sampler, type);
}

IDirect3DBaseTexture9* boundTexture(IDirect3DDevice9* device, DWORD stage) {
    if (!device || stage >= detail::kSamplerCount) return nullptr;
    detail::TextureStorage* t = base(device)->boundTexture(stage);
    return t ? t->asInterface() : nullptr;
}

bool alphaTest(IDirect3DDevice9* device, DWORD& func, float& ref) {
    const detail::DeviceBase* d = base(device);
    func = d->renderState(D3DRS_ALPHAFUNC);
    ref = static_cast<float>(d->renderState(D3DRS_ALPHAREF) & 0xFF) / 255.0f;
    return d->renderState(D3DRS_ALPHATESTENABLE) != FALSE;
}

HRESULT createTexture(IDirect3DDevice9* device, UINT width, UINT height, const std::uint8_t* rgba,
                      const char* name, IDirect3DTexture9** out) {
    if (!device || !out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    detail::Texture* created = nullptr;
    const HRESULT hr = base(device)->createTextureNamed(width, height, 0, D3DFMT_A8R8G8B8, 0, D3DPOOL_MANAGED, name, &created);
    if (FAILED(hr)) return hr;
    if (rgba) base(device)->uploadTexture(*created, rgba);
    *out = created;
    return D3D_OK;
}

}  // namespace internal
}  // namespace d3d9
