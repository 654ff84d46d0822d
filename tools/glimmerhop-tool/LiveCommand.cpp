// glimmerhop-tool live: the show in a window, played with its music from any time, with
// a timeline strip, seeking and hot reload. The same Show as the program's, on the same
// kind of window and device, driven by a loop of its own.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "Command.h"
#include "CommandLine.h"
#include "LiveSession.h"
#include "ShowHost.h"
#include "ToolWindow.h"
#include "platform/win32/hwnd.h"
#include "platform/win32/messagebox.h"
#include "platform/win32/window.h"
#include "show/Show.h"

namespace tool {
namespace {

const char* const kDescription =
    "Plays the show with its music in a window (no setup dialog), from music time T, and\n"
    "reloads every data file of Tindermoot/ as soon as it is saved: effects, pictures,\n"
    "meshes, scenes with their light and camera files, and the sync file. A file that does\n"
    "not load shows its message in a panel while the last good version keeps drawing.\n"
    "\n"
    "Keys: Space pause/resume; Left/Right 1 s (Shift: 5 s; Ctrl while paused: one frame);\n"
    "Page Up/Down previous/next scene; Home the start; L loop the current scene (again:\n"
    "off); Tab show/hide the strip (click or drag on it to seek); Escape quits.";

const char* const kFooter =
    "With GLIMMERHOP_DEBUG_POSITION set, the music position goes to standard error once a\n"
    "second and after every seek, pause and resume.";

const char* const kTitle = "Vantroop - Glimmerhop - live";

int run(int argc, char** argv) {
    LiveOptions options;
    std::string dataDir;
    Size size{options.width, options.height};
    CommandLine cl("live", kDescription, kFooter);
    cl.time("--from", options.from, "music time to start at (default 0)", 0.0);
    cl.size(size, 64, 16384, "window and picture size (default 960x540)");
    cl.dataFolder(dataDir);
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    options.width = size.width;
    options.height = size.height;
    if (!enterDataDirectory(dataDir)) return 1;
    // Messages go to the terminal and the panel, never into boxes that stop the show.
    win32::setMessageBoxesInteractive(false);

    ToolWindow window;
    int code = 1;
    if (openToolWindow(kTitle, options.width, options.height, window)) {
        Show show;
        show.load();
        LiveSession session(show, options);
        code = session.run(win32::sdlWindowOf(window.window));
    }
    closeToolWindow(window);
    return code;
}

const ToolCommand command{"live", "play the show in a window with a timeline strip, seeking and hot reload", run};

}  // namespace
}  // namespace tool
