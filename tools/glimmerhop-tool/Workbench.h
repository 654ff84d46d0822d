// glimmerhop-tool fx FILE --live: the effect workbench. The effect drawn in a window on a
// mesh under an orbit camera, its parameters on controls from their annotations, and the
// file compiled again whenever it (or an include) is saved.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tool {

// The command line's options, kept together so that the parsing can move as one piece.
struct WorkbenchOptions {
    std::string effectPath;
    std::string technique;       // empty: the first
    std::string mesh = "sphere";  // a built-in shape or a .obj or .mesh file
    unsigned width = 1024, height = 640;
    std::vector<std::pair<std::string, std::string>> defines;  // -D NAME=VALUE
    std::vector<std::string> includeFolders;                    // -I DIR
};

// Exit code: 0 when the window is closed or Escape pressed, 1 when the window, device or
// mesh cannot be made, 2 for a technique the file does not have.
int runWorkbench(const WorkbenchOptions& options);

}  // namespace tool
