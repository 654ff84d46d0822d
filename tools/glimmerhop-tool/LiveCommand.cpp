// glimmerhop-tool live: the show in a window, played with its music from any time, with
// a timeline strip, seeking and hot reload. The same Show as the program's, on the same
// kind of window and device, driven by a loop of its own.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Command.h"
#include "LiveSession.h"
#include "ShowHost.h"
#include "ToolWindow.h"
#include "platform/win32/hwnd.h"
#include "platform/win32/messagebox.h"
#include "platform/win32/window.h"
#include "show/Show.h"

namespace tool {
namespace {

const char* const kUsage =
    "usage: glimmerhop-tool live [--from T] [--size WxH] [--data DIR]\n"
    "\n"
    "Plays the show with its music in a window (no setup dialog), from music time T, and\n"
    "reloads every data file of Tindermoot/ as soon as it is saved: effects, pictures,\n"
    "meshes, scenes with their light and camera files, and the sync file. A file that does\n"
    "not load shows its message in a panel while the last good version keeps drawing.\n"
    "\n"
    "Keys: Space pause/resume; Left/Right 1 s (Shift: 5 s; Ctrl while paused: one frame);\n"
    "Page Up/Down previous/next scene; Home the start; L loop the current scene (again:\n"
    "off); Tab show/hide the strip (click or drag on it to seek); Escape quits.\n"
    "\n"
    "  --from T      music time to start at (default 0)\n"
    "  --size WxH    window and picture size (default 960x540)\n"
    "  --data DIR    directory holding Tindermoot/ (default: the working directory)\n"
    "With GLIMMERHOP_DEBUG_POSITION set, the music position goes to standard error once a\n"
    "second and after every seek, pause and resume.\n";

const char* const kTitle = "Vantroop - Glimmerhop - live";

int run(int argc, char** argv) {
    LiveOptions options;
    std::string dataDir;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--from") == 0 && hasValue) {
            char* end = nullptr;
            options.from = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end || !(options.from >= 0)) {
                std::fprintf(stderr, "live: bad time '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--size") == 0 && hasValue) {
            if (std::sscanf(argv[++i], "%ux%u", &options.width, &options.height) != 2 || options.width < 64 ||
                options.height < 64 || options.width > 16384 || options.height > 16384) {
                std::fprintf(stderr, "live: bad size '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--data") == 0 && hasValue) {
            dataDir = argv[++i];
        } else {
            std::fprintf(stderr, "live: unknown option '%s'\n%s", a, kUsage);
            return 2;
        }
    }
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

const ToolCommand command{"live", "play the show in a window with a timeline strip, seeking and hot reload", kUsage,
                          run};

}  // namespace
}  // namespace tool
