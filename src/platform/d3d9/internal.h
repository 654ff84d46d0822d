// What the D3DX stand-in (effects, texture loading) needs to know about the device
// objects behind the D3D9 interfaces. Used only inside the platform layer.
#pragma once

#include <cstddef>
#include <cstdint>

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
// framebuffer and vertex array) and skips calls that would not change it: code that
// reaches GL directly changes render states through SetRenderState and leaves those
// bindings alone. Programs, uniform buffers, texture units and samplers are free to use.
// The device keeps the user clip planes (SetClipPlane) in a uniform block at this
// binding: std140, vec4 planes[6], then vec4 (point size, minimum, maximum, 0); vertex
// shaders write gl_ClipDistance[i] and gl_PointSize from them.
constexpr unsigned kClipPlaneBinding = 1;
// The GL texture object of a texture (0 for none).
unsigned glTexture(IDirect3DBaseTexture9* texture);
// The texture the device has on a sampler stage (SetTexture), for a shader sampler that
// names no texture of its effect; 0 for none.
unsigned glStageTexture(IDirect3DDevice9* device, DWORD stage);
// The GL texture to bind for sampling with D3DSAMP_SRGBTEXTURE `srgb`: the texture
// itself, or an sRGB view of its storage.
unsigned glTextureFor(IDirect3DBaseTexture9* texture, bool srgb);
// Size of the current render target in pixels, for the half-pixel offset of D3D9's
// pixel centres: vertex shaders add (+1/width, -1/height) * w to the clip position.
void renderTargetSize(IDirect3DDevice9* device, int& width, int& height);
// D3D9's VPOS row from GL's gl_FragCoord.y: row = y * rows[0] + rows[1]. The back
// buffer's GL rows count from its bottom, a texture target's from its top.
void vposRows(IDirect3DDevice9* device, float rows[2]);
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
// A pass with both shaders (stage 0: the bound program draws every kind of draw), or
// with only one: stage 1 a vertex shader, 2 a pixel shader, `shader` its GL shader object
// and `linkSizes` the component count at each of its varying locations (its outputs or
// its inputs, indexed as fx::varyingLocation; d3d9::detail::kLinkLocations entries). The
// device then links it with fixed-function GLSL for the other stage, by semantic.
void setShaderPass(IDirect3DDevice9* device, unsigned stage, unsigned shader, const std::uint8_t* linkSizes);
// A vertex shader's inputs that attributeLocation has no location for (POSITION1,
// TEXCOORD8...) read locations the shader leaves free: sources[L] is
// attributeSource(usage, usageIndex) of the element that feeds location L, 0 where the
// fixed mapping holds (kAttributeSlots entries; null: the fixed mapping everywhere). A
// pass without a vertex shader goes back to the fixed mapping.
constexpr unsigned kAttributeSlots = 16;  // vertex attribute locations, as GL guarantees them
constexpr std::uint16_t attributeSource(BYTE usage, BYTE usageIndex) {
    return static_cast<std::uint16_t>(0x100u | (usage & 0xFu) << 4 | (usageIndex & 0xFu));
}
void setAttributeSources(IDirect3DDevice9* device, const std::uint16_t* sources);
// Before an effect deletes a shader object it gave setShaderPass.
void forgetShader(IDirect3DDevice9* device, unsigned shader);

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
