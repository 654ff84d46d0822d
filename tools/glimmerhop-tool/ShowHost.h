// What the trace and render commands share: a device on a chosen backend, the show's
// data directory, the list of times to play, and the scene a time belongs to.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d9/backend.h"

namespace tool {

struct DeviceOptions {
    unsigned width = 640;
    unsigned height = 480;
    unsigned samples = 0;  // multisampling, 0 for none
};

// Creates gD3D and gDevice on the backend configured before (see d3d9::configure), with
// an automatic depth-stencil buffer. False with a message on stderr when it fails.
bool createDevice(const DeviceOptions& options);
void releaseDevice();

// For the summaries of render and bench: what gDevice renders on ("llvmpipe (...) by
// Mesa, OpenGL 4.5 ..., EGL surfaceless platform"); "" on the trace backend.
std::string rendererLine();
// The warning when gDevice renders on the CPU although a hardware EGL device exists;
// "" otherwise.
std::string softwareWarning();

// Changes into `dir`, or when it is empty into defaultDataFolder() (DataFolder.h). False
// with a message when it cannot.
bool enterDataDirectory(const std::string& dir);

// from, from + 1/fps, ... up to and including `to`.
std::vector<double> timeRange(double from, double to, double fps);

// Index 0..5 of the scene that draws time t, with its name.
int sceneIndexOf(float t);
const char* sceneName(int index);
// Where the span of scene `index` starts (0 for the first).
double sceneStart(int index);

}  // namespace tool
