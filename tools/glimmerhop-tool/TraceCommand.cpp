// glimmerhop-tool trace: the device calls of chosen frames of the real show.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandLine.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/bass/clock.h"
#include "show/Show.h"

namespace tool {
namespace {

const char* const kDescription =
    "glimmerhop-tool trace (--at T1,T2,... | --from A --to B [--fps F]) [options]\n"
    "\n"
    "Loads the show on the trace backend and prints every call of the frames asked for,\n"
    "one per line, each frame after a line \"frame <t>\". Frames are drawn in the order\n"
    "given, so camera cuts and beat latches build up as in a real run from the first one.";

const char* const kFooter =
    "The music does not play: the show is drawn for exactly the times given. The show's\n"
    "own console lines (the box room's \"mongo = ...\") go to standard error when the\n"
    "trace goes to standard output.";

struct TraceArgs {
    std::vector<double> times;
    bool withLoad = false;
    double from = 0, to = 0, fps = 60;
    std::string outPath, dataDir;
};

// The frames asked for, or an exit status for a command line that asks for none.
int parseArgs(int argc, char** argv, TraceArgs& a) {
    CommandLine cl("trace", kDescription, kFooter);
    cl.timeList("--at", a.times, "music times in seconds, comma-separated");
    CLI::Option* from = cl.time("--from", a.from, "first time of a range (with --to; --fps defaults to 60)");
    CLI::Option* to = cl.time("--to", a.to, "last time of the range, included");
    from->needs(to);
    to->needs(from);
    cl.rate("--fps", a.fps, 1000.0, "frames per second of the range");
    cl.app.add_flag("--load", a.withLoad, "also print the loading calls (the loading fade is skipped)");
    cl.app.add_option("--out", a.outPath, "write to FILE instead of standard output")->type_name("FILE");
    cl.dataFolder(a.dataDir);
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    if (from->count()) {
        const std::vector<double> range = timeRange(a.from, a.to, a.fps);
        a.times.insert(a.times.end(), range.begin(), range.end());
    }
    if (a.times.empty() && !a.withLoad) {
        std::fprintf(stderr, "trace: no frames asked for: --at, or --from and --to, or --load\n");
        return 2;
    }
    return -1;
}

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
    TraceArgs a;
    if (const int status = parseArgs(argc, argv, a); status >= 0) return status;
    const std::vector<double>& times = a.times;
    const bool withLoad = a.withLoad;
    const std::string& outPath = a.outPath;

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
    if (!enterDataDirectory(a.dataDir)) return 1;

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

const ToolCommand command{"trace", "print the device calls of chosen frames of the show", run};

}  // namespace
}  // namespace tool
