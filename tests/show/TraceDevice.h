// The device the show's trace tests draw on: the trace backend at 640 x 480 with a depth
// buffer, as gDevice and gD3D, with a fresh beat latch and no audio device.
#pragma once

#include <cstddef>

#include "platform/d3d9/backend.h"

namespace showtest {

// Messages boxes print instead of blocking; the music clock is driven by the test.
void createTraceDevice(d3d9::TraceSink* sink);
// Releases both globals and restores the default backend.
void releaseTraceDevice();

// The words of a trace line that are non-finite numbers ("nan", "-nan", "inf", "+inf"
// as %.9g prints them).
unsigned countNonFinite(const char* text, std::size_t length);

}  // namespace showtest
