// Where the tool finds the show's data set when no --data is given.
#pragma once

#include <string>

namespace tool {

// The folder that holds Tindermoot/: the working directory when it has one; else the
// folder of this executable (a build folder); else the installed data set, found from
// the executable's own location (lib/glimmerhop/ -> share/games/glimmerhop/), so that an
// install under any prefix or an unpacked archive works. Empty when none has it.
std::string defaultDataFolder();

// The installed layout's data folder for an executable at `exePath`, whether or not it exists.
std::string installedDataFolder(const std::string& exePath);

}  // namespace tool
