// glimmerhop-tool trace: the device calls of chosen frames of the real show.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/bass/clock.h"
#include "show/Show.h"

namespace tool {
namespace {

const char* const kUsage =
    "usage: glimmerhop-tool trace (--at T1,T2,... | --from A --to B [--fps F])\n"
    "                             [--load] [--out FILE] [--data DIR]\n"
    "\n"
    "Loads the show on the trace backend and prints every call of the frames asked for,\n"
    "one per line, each frame after a line \"frame <t>\". Frames are drawn in the order\n"
    "given, so camera cuts and beat latches build up as in a real run from the first one.\n"
    "\n"
    "  --at LIST     music times in seconds, comma-separated\n"
    "  --from A      first time of a range (with --to; --fps defaults to 60)\n"
    "  --to B        last time of the range, included\n"
    "  --fps F       frames per second of the range\n"
    "  --load        also print the loading calls (the loading fade is skipped)\n"
    "  --out FILE    write to FILE instead of standard output\n"
    "  --data DIR    directory holding Tindermoot/ (default: the working\n"
    "                directory, else the installed data set)\n"
    "\n"
    "The music does not play: the show is drawn for exactly the times given. The show's\n"
    "own console lines (the box room's \"mongo = ...\") go to standard error when the\n"
    "trace goes to standard output.\n";

class FileSink : public d3d9::TraceSink {
public:
    std::FILE* out = stdout;
    bool enabled = false;
    void line(const char* text, std::size_t length) override {
        if (!enabled) return;
        std::fwrite(text, 1, length, out);
        std::fputc('\n', out);
    }
};

int run(int argc, char** argv) {
    std::vector<double> times;
    bool haveFrom = false, haveTo = false, withLoad = false;
    double from = 0, to = 0, fps = 60;
    std::string outPath, dataDir;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--at") == 0 && hasValue) {
            if (!parseTimeList(argv[++i], times)) {
                std::fprintf(stderr, "trace: bad time list '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--from") == 0 && hasValue) {
            from = std::atof(argv[++i]);
            haveFrom = true;
        } else if (std::strcmp(a, "--to") == 0 && hasValue) {
            to = std::atof(argv[++i]);
            haveTo = true;
        } else if (std::strcmp(a, "--fps") == 0 && hasValue) {
            fps = std::atof(argv[++i]);
        } else if (std::strcmp(a, "--load") == 0) {
            withLoad = true;
        } else if (std::strcmp(a, "--out") == 0 && hasValue) {
            outPath = argv[++i];
        } else if (std::strcmp(a, "--data") == 0 && hasValue) {
            dataDir = argv[++i];
        } else {
            std::fprintf(stderr, "trace: unknown or incomplete option '%s'\n\n%s", a, kUsage);
            return 2;
        }
    }
    if (haveFrom != haveTo || fps <= 0) {
        std::fprintf(stderr, "trace: --from and --to go together, with a positive --fps\n");
        return 2;
    }
    if (haveFrom) {
        const std::vector<double> range = timeRange(from, to, fps);
        times.insert(times.end(), range.begin(), range.end());
    }
    if (times.empty() && !withLoad) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }

    FileSink sink;
    if (outPath.empty()) {
        // The trace keeps standard output to itself; the show's own console lines go to
        // standard error instead.
        std::fflush(stdout);
        const int traceFd = dup(STDOUT_FILENO);
        std::FILE* trace = traceFd >= 0 ? fdopen(traceFd, "w") : nullptr;
        if (trace) {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            sink.out = trace;
        }
    } else {
        sink.out = std::fopen(outPath.c_str(), "w");
        if (!sink.out) {
            std::fprintf(stderr, "trace: cannot write %s\n", outPath.c_str());
            return 1;
        }
    }
    if (!enterDataDirectory(dataDir)) return 1;

    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Trace;
    config.traceSink = &sink;
    d3d9::configure(config);
    bass::useDrivenClock(true);
    if (!createDevice(DeviceOptions{})) return 1;

    Show::loadingFadeSeconds = 0.0;
    {
        Show show;
        sink.enabled = withLoad;
        show.load();
        sink.enabled = true;
        for (double time : times) {
            const float t = static_cast<float>(time);
            char note[64];
            std::snprintf(note, sizeof note, "frame %.9g", static_cast<double>(t));
            d3d9::traceNote(gDevice, note);
            show.renderFrame(t);
            gDevice->Present(nullptr, nullptr, nullptr, nullptr);
        }
        sink.enabled = false;
    }
    releaseDevice();
    if (sink.out != stdout) std::fclose(sink.out);
    std::fflush(stdout);
    return 0;
}

const ToolCommand command{"trace", "print the device calls of chosen frames of the show", kUsage, run};

}  // namespace
}  // namespace tool
