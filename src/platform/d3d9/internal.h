// What the D3DX stand-in (effects, texture loading) needs to know about the device
// objects behind the D3D9 interfaces. Used only inside the platform layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/d3d9/backend.h"
#include "platform/d3d9/d3d9.h"

namespace d3d9::internal {

Backend backendOf(IDirect3DDevice9* device);

// Trace backend: the sink the device writes to (null when none). Effects write their
// own calls ("SetFloat Disco.fx time 130") through traceLine.
void traceLine(IDirect3DDevice9* device, const char* text, std::size_t length);
// True when the device's lines go somewhere: without a sink, callers can skip formatting.
bool tracing(IDirect3DDevice9* device);

// The name a texture is traced by: the path it was loaded from, or "null".
const char* textureName(IDirect3DBaseTexture9* texture);
void setTextureName(IDirect3DBaseTexture9* texture, const char* path);

// OpenGL backend. The device keeps the GL state it sets (render states, the bound
// framebuffer and vertex array, program, uniform-buffer ranges, texture units and
// samplers) and skips calls that would not change it: code that reaches GL directly
// changes render states through SetRenderState and leaves those bindings alone.
// The device keeps the user clip planes (SetClipPlane) in a uniform block at this
// binding: std140, vec4 planes[6], then vec4 (point size, minimum, maximum, 0); vertex
// shaders write gl_ClipDistance[i] and gl_PointSize from them.
constexpr unsigned kClipPlaneBinding = 1;
// The GL texture object of a texture (0 for none).
unsigned glTexture(IDirect3DBaseTexture9* texture);
// Size of the current render target in pixels.
void renderTargetSize(IDirect3DDevice9* device, int& width, int& height);
// Makes the device's GL context current (there is one context per device).
void makeCurrent(IDirect3DDevice9* device);

// What draws from now on, for the draw profiler (backend.h): pointers the caller keeps
// alive while it draws.
void setDrawLabel(IDirect3DDevice9* device, const char* effect, const char* technique,
                  unsigned pass);

// Vertex attributes are bound by semantic: every vertex shader input with usage U and
// usage index I reads attribute location attributeLocation(U, I); the device binds the
// declaration's elements to the same locations. -1: no location for that semantic.
int attributeLocation(BYTE usage, BYTE usageIndex);

// Effects: a pass with neither a vertex nor a pixel shader turns this on at BeginPass (a
// pass with a program turns it off); DrawIndexedPrimitive then draws its declaration's
// vertices through the fixed-function pipeline.
void setFixedFunctionPass(IDirect3DDevice9* device, bool on);
// A vertex shader's inputs that attributeLocation has no location for (POSITION1,
// TEXCOORD8...) read locations the shader leaves free: sources[L] is
// attributeSource(usage, usageIndex) of the element that feeds location L, 0 where the
// fixed mapping holds (kAttributeSlots entries). A pass without a vertex shader goes
// back to the fixed mapping.
constexpr unsigned kAttributeSlots = 16;  // vertex attribute locations, as GL guarantees them
constexpr std::uint16_t attributeSource(BYTE usage, BYTE usageIndex) {
    return static_cast<std::uint16_t>(0x100u | (usage & 0xFu) << 4 | (usageIndex & 0xFu));
}
// Effect programs. D3DX hands the device what it compiled (GLSL, and what reflection
// found in it); the device builds and owns the programs, samplers and the buffer space
// their uniform blocks stream through. The trace backend keeps nothing.
// A sampler_state block, as D3D9 sampler-state values.
struct EffectSampler {
    DWORD minFilter = D3DTEXF_POINT, magFilter = D3DTEXF_POINT, mipFilter = D3DTEXF_NONE;
    DWORD addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP, addressW = D3DTADDRESS_WRAP;
    DWORD borderColor = 0, mipLodBias = 0 /* float bits */, maxMipLevel = 0, maxAnisotropy = 1;
    bool srgb = false;  // D3DSAMP_SRGBTEXTURE
};
struct EffectProgramSource {
    const char* vertexGlsl = nullptr;    // null: the pass has no vertex shader
    const char* fragmentGlsl = nullptr;  // null: no pixel shader
    // A one-shader pass: the components it writes (vertex) or reads (pixel) at each
    // varying location (TEXCOORDn n, COLORn 16+n, FOG 27, PSIZE 28; 32 entries); the
    // device links it with fixed-function GLSL for the other stage.
    const std::uint8_t* linkSizes = nullptr;
    // kAttributeSlots entries (see attributeSource); null: the fixed mapping everywhere.
    const std::uint16_t* attributeSources = nullptr;
    std::uint32_t blockSize = 0;  // bytes of the "_Global" block, at binding 0; 0: none
    const EffectSampler* samplers = nullptr;  // one per texture unit
    unsigned samplerCount = 0;
    // Uniforms the GLSL may declare for the device to set when a pass begins:
    // vec2 (+1/w, -1/h) pixel offset, int alpha function (0: off), float alpha
    // reference (0..255), vec2 VPOS rows (see vposRows in DeviceBase.h).
    const char* pixelOffset = "";
    const char* alphaFunc = "";
    const char* alphaRef = "";
    const char* vposRows = "";
};
// What a texture unit samples: `texture` (null: nothing), or with `stage` >= 0 the
// device's texture on that stage.
struct EffectUnit {
    IDirect3DBaseTexture9* texture = nullptr;
    int stage = -1;
};
// What the device asks of the pass it draws with, and only when it needs it.
class EffectPassSource {
public:
    // The block's bytes for the values as they are now.
    virtual const std::uint8_t* uniformBlock() = 0;
    virtual EffectUnit unit(unsigned index) const = 0;

protected:
    ~EffectPassSource() = default;
};
// A handle (never 0 on success); 0 with the driver's log appended to `log`.
unsigned createEffectProgram(IDirect3DDevice9* device, const EffectProgramSource& source, std::string& log);
void destroyEffectProgram(IDirect3DDevice9* device, unsigned program);
// Draws from now on use `program`. `version` changes whenever the block's values may
// have: the device asks for the block again only then. `passBegins`: BeginPass (the
// injected uniforms are set), else CommitChanges.
void useEffectProgram(IDirect3DDevice9* device, unsigned program, std::uint64_t version, EffectPassSource& source,
                      bool passBegins);

// Core OpenGL has no alpha test: pixel shaders discard instead. True when
// D3DRS_ALPHATESTENABLE is set; func is D3DRS_ALPHAFUNC (a D3DCMPFUNC) and ref is
// D3DRS_ALPHAREF scaled to 0..1. Both backends answer from the device's state copy.
bool alphaTest(IDirect3DDevice9* device, DWORD& func, float& ref);

// What a sampler stage holds now, for effects that put it back at End (D3D9 has no
// getters for these). Out-of-range stages read as 0 and null.
DWORD samplerState(IDirect3DDevice9* device, DWORD sampler, DWORD type);
IDirect3DBaseTexture9* boundTexture(IDirect3DDevice9* device, DWORD stage);

// Texture loading: an A8R8G8B8 texture with a full mip chain, filled from RGBA8 pixels
// (rows top first, so v = 0 samples the top row) and named `name` in the trace. The trace
// backend ignores the pixels (they may be null).
HRESULT createTexture(IDirect3DDevice9* device, UINT width, UINT height,
                      const std::uint8_t* rgba, const char* name, IDirect3DTexture9** texture);

}  // namespace d3d9::internal
