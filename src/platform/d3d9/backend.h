// Choosing and inspecting the Direct3D 9 backend. Not part of Direct3D: the program's
// entry function leaves the defaults (OpenGL, on the show window); the tools and tests
// choose headless OpenGL or the trace backend before Direct3DCreate9 is called.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace d3d9 {

enum class Backend {
    Gl,     // OpenGL 4.x: on the device's focus window, or headless (EGL, surfaceless)
    Trace,  // draws nothing; writes one text line per call to the trace sink
};

// Receives the trace backend's lines, one call each, without the line end.
// The text is only valid during the call.
struct TraceSink {
    virtual void line(const char* text, std::size_t length) = 0;
    virtual ~TraceSink() = default;
};

struct BackendConfig {
    Backend backend = Backend::Gl;
    // Gl only: render into an offscreen buffer without a window (EGL surfaceless).
    // Present then keeps the frame for readBackBuffer.
    bool headless = false;
    // Trace only: where the lines go (null: nowhere, but the calls still run).
    TraceSink* traceSink = nullptr;
    // Adapter modes and desktop mode reported when there is no display (headless or
    // trace). Empty: a fixed list including 640x480, 800x600 and 1280x720 at 60 Hz, and
    // a 1280x720 desktop.
    std::vector<D3DDISPLAYMODE> modes;
    D3DDISPLAYMODE desktop{0, 0, 0, D3DFMT_UNKNOWN};
    // Trace only: the multisample types the adapter supports (empty: every type from 0
    // to 16). Devices asking for another one are refused as on such an adapter.
    std::vector<D3DMULTISAMPLE_TYPE> multisampleTypes;
};

// Takes effect for the next Direct3DCreate9.
void configure(const BackendConfig& config);
const BackendConfig& currentConfig();

// Headless OpenGL: the last presented frame (or the back buffer when nothing was
// presented yet) as RGBA8, rows top first. False on the trace backend or on failure.
bool readBackBuffer(IDirect3DDevice9* device, std::vector<std::uint8_t>& rgba, UINT& width,
                    UINT& height);

// Tools: frames played only for the state they leave behind (camera cuts, beat latches)
// run faster with drawing off: Clear and DrawIndexedPrimitive then succeed, and trace,
// without touching a pixel. On by default.
void setDrawing(IDirect3DDevice9* device, bool on);

// OpenGL: what renders, and how its context was made.
struct RendererInfo {
    std::string vendor, renderer, version;  // GL_VENDOR, GL_RENDERER, GL_VERSION
    std::string platform;   // "EGL device 0 (software)", "EGL surfaceless platform", "window"
    bool software = false;  // a rasteriser on the CPU (llvmpipe and the like)
    int hardwareDevices = 0;  // headless: EGL devices other than Mesa's software one
};
// False on the trace backend.
bool rendererInfo(IDirect3DDevice9* device, RendererInfo& info);
// Why the last headless OpenGL device could not be made; empty when it could.
std::string headlessFailure();

// Headless OpenGL, read-back without waiting: startReadBack copies the last presented
// frame into pixel-buffer slot `slot` (0..kReadBackSlots-1) and returns at once;
// finishReadBack waits for that copy and gives its rows, bottom row first, width * 4
// bytes each. The rows stay valid, and may be read from any thread, until the slot is
// started again or the device is released. Null/false on failure.
constexpr unsigned kReadBackSlots = 4;
bool startReadBack(IDirect3DDevice9* device, unsigned slot);
const std::uint8_t* finishReadBack(IDirect3DDevice9* device, unsigned slot);

// OpenGL: each draw call's GPU time and the samples it let through, measured with
// timer and samples-passed queries while profiling is on, labelled with the effect,
// technique and pass that drew it.
struct DrawTiming {
    const char* effect;     // the effect's file name; valid while the effect lives
    const char* technique;
    unsigned pass;
    std::uint64_t gpuNanoseconds;
    std::uint64_t samples;
};
void profileDraws(IDirect3DDevice9* device, bool on);
// The draws since the last call, in order (waits for their results). Keeps the
// capacity of `timings`.
bool collectDrawTimings(IDirect3DDevice9* device, std::vector<DrawTiming>& timings);

// Trace backend: writes a line of the caller's own (for example "frame 130") into the
// device's trace, in call order. Does nothing on the GL backend.
void traceNote(IDirect3DDevice9* device, const char* text);

// OpenGL: how many fixed-function programs the device has built; a state drawn again
// builds none. 0 on the trace backend.
unsigned fixedFunctionProgramCount(IDirect3DDevice9* device);

}  // namespace d3d9
