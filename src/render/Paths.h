// Directory part of a data path, against which node files and textures are resolved.
#pragma once

#include <string>

// Everything up to and including the last backslash or slash of `path`; the empty string
// when there is none (or no path). The caller owns the returned string; paths of any
// length are handled.
std::string directoryOf(const char* path);
