// The two device implementations, created by the Direct3D object.
#pragma once

#include <string>

#include "platform/d3d9/DeviceBase.h"

struct SDL_Window;

namespace d3d9::detail {

// OpenGL on the window (SDL, GL 4.x core) or, with a null window, headless (EGL
// surfaceless). Null with the reason in result when the context or back buffer fails.
DeviceBase* createGlDevice(IDirect3D9* d3d, SDL_Window* window,
                           D3DPRESENT_PARAMETERS& params, HRESULT& result);
// Draws nothing; every call becomes a line for the sink.
DeviceBase* createTraceDevice(IDirect3D9* d3d, TraceSink* sink,
                              const D3DPRESENT_PARAMETERS& params);

// The most samples a GL render buffer may have, asked once of a small headless context
// (0 when no context could be made).
int glMaxSamples();

// Why the last headless GL device could not be made (headlessFailure in backend.h).
std::string& lastHeadlessFailure();

}  // namespace d3d9::detail
