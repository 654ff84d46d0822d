// glimmerhop-tool bench: what one frame of each scene costs (the show's own logic on the
// trace backend, headless GL at two sizes), heap allocations per frame, and loading time
// by kind of asset.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "AllocationCount.h"
#include "BenchPixelCost.h"
#include "BenchReport.h"
#include "Command.h"
#include "CommandLine.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/bass/clock.h"
#include "show/Show.h"

namespace tool {
namespace {

const char* const kDescription =
    "Plays the whole show in time order and measures, per scene:\n"
    "  - the show's own logic: renderFrame + Present on the trace backend with no output,\n"
    "    mean and 99th percentile in microseconds (--fps frames per music second, 60);\n"
    "  - heap allocations (operator new) of the worst frame after loading, on both\n"
    "    backends;\n"
    "  - headless OpenGL at 640x480 and 1280x720: renderFrame + Present + a read-back of\n"
    "    the frame (which waits for the rendering to finish), mean in milliseconds\n"
    "    (--gl-fps frames per music second, 2); the table also gives the mean of\n"
    "    back-to-back frames with one read-back per scene (the renderer's throughput).\n"
    "Loading is timed per kind of asset through the show's own load (headless OpenGL;\n"
    "the trace backend with --no-gl), without the loading picture's fade.";

const char* const kFooter =
    "Set LP_NUM_THREADS to choose llvmpipe's rasteriser threads. Timings never fail the\n"
    "run; it exits with 3 when any frame after loading allocated.";

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Sums the time between the show's loading steps by kind. The fade is left out: it is a
// fixed second of wall-clock time by design, and the bench sets it to 0 anyway.
struct LoadTimer {
    Clock::time_point last;
    std::vector<LoadStep> steps;
    void start() {
        steps.clear();
        last = Clock::now();
    }
    void step(const char* kind) {
        const double ms = secondsSince(last) * 1000.0;
        last = Clock::now();
        if (std::strcmp(kind, "fade") == 0) return;
        for (LoadStep& s : steps)
            if (s.kind == kind) {
                s.ms += ms;
                return;
            }
        steps.push_back(LoadStep{kind, ms});
    }
};
LoadTimer gLoadTimer;
void onLoadStep(const char* kind) { gLoadTimer.step(kind); }

void loadShow(Show& show) {
    Show::loadingFadeSeconds = 0.0;
    Show::loadStepHook = onLoadStep;
    gLoadTimer.start();
    show.load();
    // The music decodes on a thread of its own while the rest loads; what is left of that
    // wait when loading ends counts as music (the show's first play would wait for it).
    show.music.lengthSeconds();
    gLoadTimer.step("music");
    Show::loadStepHook = nullptr;
}

struct Timeline {
    std::vector<float> times[6];  // each scene's frames, in time order
};

Timeline timelineAt(double fps, double from, double to) {
    Timeline line;
    for (double t : timeRange(0.0, 160.0, fps)) {
        if (t < from - 1e-9 || !(t < to - 1e-9)) continue;
        const float f = static_cast<float>(t);
        line.times[sceneIndexOf(f)].push_back(f);
    }
    return line;
}

bool benchLogic(const Timeline& line, BenchResult& result) {
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Trace;
    config.traceSink = nullptr;
    d3d9::configure(config);
    gDisplaySettings.displayMode = D3DDISPLAYMODE{640, 480, 60, D3DFMT_X8R8G8B8};
    if (!createDevice(DeviceOptions{})) return false;
    {
        Show show;
        loadShow(show);
        if (!result.gl) {
            result.load = gLoadTimer.steps;
            result.loadBackend = "trace";
        }
        for (int i = 0; i < 6; ++i) {
            SceneBench& s = result.scenes[i];
            s.logicUs.values.reserve(line.times[i].size());
            for (float t : line.times[i]) {
                const unsigned long before = allocationCount();
                const Clock::time_point start = Clock::now();
                show.renderFrame(t);
                gDevice->Present(nullptr, nullptr, nullptr, nullptr);
                const double us = secondsSince(start) * 1e6;
                const unsigned long allocs = allocationCount() - before;
                s.logicUs.add(us);
                s.allocsMax = std::max(s.allocsMax, allocs);
                s.allocsTotal += allocs;
                ++s.logicFrames;
            }
        }
    }
    releaseDevice();
    return true;
}

bool benchGl(int sizeIndex, const Timeline& line, BenchResult& result) {
    const unsigned width = result.glSizes[sizeIndex][0], height = result.glSizes[sizeIndex][1];
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Gl;
    config.headless = true;
    d3d9::configure(config);
    gDisplaySettings.displayMode = D3DDISPLAYMODE{width, height, 60, D3DFMT_X8R8G8B8};
    gDisplaySettings.fullscreen = false;
    gDisplaySettings.multisampleType = D3DMULTISAMPLE_NONE;
    if (!createDevice(DeviceOptions{width, height, 0})) return false;
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height * 4);
    UINT w = 0, h = 0;
    {
        Show show;
        loadShow(show);
        if (sizeIndex == 0) {
            result.load = gLoadTimer.steps;
            result.loadBackend = "headless GL";
            result.renderer = rendererLine();
            result.warning = softwareWarning();
            if (!result.warning.empty()) std::fprintf(stderr, "%s\n", result.warning.c_str());
        }
        d3d9::readBackBuffer(gDevice, pixels, w, h);
        for (int i = 0; i < 6; ++i) {
            SceneBench& s = result.scenes[i];
            const std::vector<float>& times = line.times[i];
            if (times.empty()) continue;
            // Throughput first: frames back to back, one wait at the end.
            Clock::time_point start = Clock::now();
            for (float t : times) {
                show.renderFrame(t);
                gDevice->Present(nullptr, nullptr, nullptr, nullptr);
            }
            d3d9::readBackBuffer(gDevice, pixels, w, h);
            s.glStreamMs[sizeIndex] = secondsSince(start) * 1000.0 / static_cast<double>(times.size());
            // Then each frame to completion, as a video capture does.
            for (float t : times) {
                const unsigned long before = allocationCount();
                start = Clock::now();
                show.renderFrame(t);
                gDevice->Present(nullptr, nullptr, nullptr, nullptr);
                s.allocsMax = std::max(s.allocsMax, allocationCount() - before);
                d3d9::readBackBuffer(gDevice, pixels, w, h);
                s.glMs[sizeIndex].add(secondsSince(start) * 1000.0);
            }
        }
    }
    releaseDevice();
    return true;
}

// Each frame of the timeline once more, with every draw call timed on the GPU.
bool benchDraws(unsigned width, unsigned height, const Timeline& line, BenchResult& result) {
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Gl;
    config.headless = true;
    d3d9::configure(config);
    gDisplaySettings.displayMode = D3DDISPLAYMODE{width, height, 60, D3DFMT_X8R8G8B8};
    if (!createDevice(DeviceOptions{width, height, 0})) return false;
    DrawsResult& draws = result.draws;
    draws.measured = true;
    draws.width = width;
    draws.height = height;
    {
        Show show;
        loadShow(show);
        std::vector<d3d9::DrawTiming> timings;
        for (int i = 0; i < 6; ++i)
            for (float t : line.times[i]) {
                d3d9::profileDraws(gDevice, true);
                show.renderFrame(t);
                d3d9::profileDraws(gDevice, false);
                gDevice->Present(nullptr, nullptr, nullptr, nullptr);
                d3d9::collectDrawTimings(gDevice, timings);
                for (const d3d9::DrawTiming& d : timings)
                    draws.add(i, d.effect, d.technique, d.pass, static_cast<double>(d.gpuNanoseconds) / 1e6,
                              static_cast<double>(d.samples));
                ++draws.frames[i];
            }
    }
    draws.msPerMpixel = measurePixelCost(gDevice, width, height);
    releaseDevice();
    return true;
}

struct BenchArgs {
    bool shortRun = false, json = false, noGl = false, drawsPass = false;
    double fps = -1, glFps = -1, from = 0, to = 1e9;  // a rate below 0: --short's or the full run's
    Size size;
    std::string dataDir;
};

int parseArgs(int argc, char** argv, BenchArgs& a) {
    CommandLine cl("bench", kDescription, kFooter);
    cl.app.add_flag("--short", a.shortRun, "few frames and small GL sizes (160x120, 320x240): a quick check");
    cl.time("--from", a.from, "only the frames from this music second (included)");
    cl.time("--to", a.to, "only the frames before this music second");
    cl.size(a.size, 1, 16384, "OpenGL at this one size instead of the two");
    cl.app.add_flag("--draws", a.drawsPass,
                    "then, at the largest size, each draw call's GPU time (timer queries)\n"
                    "and pixels (samples-passed queries): per scene, and the twenty\n"
                    "dearest by scene, effect, technique and pass; and this machine's\n"
                    "cost of a pixel (full-screen textured, blended layers), with each\n"
                    "scene's ratio of GL time to what its covered pixels cost");
    cl.app.add_flag("--no-gl", a.noGl, "skip OpenGL");
    cl.app.add_flag("--json", a.json, "print {\"scenes\": [...], \"load_ms\": {...}} instead of the table");
    cl.rate("--fps", a.fps, 1000.0, "frames per music second of the logic run (default 60; --short 5)");
    cl.rate("--gl-fps", a.glFps, 1000.0, "frames per music second of the GL runs (default 2; --short 0.25)");
    cl.dataFolder(a.dataDir);
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    if (a.fps < 0) a.fps = a.shortRun ? 5.0 : 60.0;
    if (a.glFps < 0) a.glFps = a.shortRun ? 0.25 : 2.0;
    if (!(a.from < a.to)) {
        std::fprintf(stderr, "bench: --from must come before --to\n");
        return 2;
    }
    return -1;
}

// Every measurement the arguments ask for; false when a device could not be made.
bool measure(const BenchArgs& a, BenchResult& result) {
    result.gl = !a.noGl;
    if (a.shortRun) {
        result.glSizes[0][0] = 160, result.glSizes[0][1] = 120;
        result.glSizes[1][0] = 320, result.glSizes[1][1] = 240;
    }
    if (a.size.width) {
        result.glSizes[0][0] = a.size.width, result.glSizes[0][1] = a.size.height;
        result.glSizeCount = 1;
    }
    for (int i = 0; i < 6; ++i) result.scenes[i].name = sceneName(i);
    bass::useDrivenClock(true);

    if (!benchLogic(timelineAt(a.fps, a.from, a.to), result)) return false;
    if (!result.gl) return true;
    const Timeline line = timelineAt(a.glFps, a.from, a.to);
    for (unsigned k = 0; k < result.glSizeCount; ++k)
        if (!benchGl(static_cast<int>(k), line, result)) return false;
    const unsigned* largest = result.glSizes[result.glSizeCount - 1];
    return !a.drawsPass || benchDraws(largest[0], largest[1], line, result);
}

int run(int argc, char** argv) {
    BenchArgs a;
    if (const int status = parseArgs(argc, argv, a); status >= 0) return status;

    // The report keeps standard output to itself; the show's own console lines go to
    // standard error.
    std::fflush(stdout);
    const int reportFd = dup(STDOUT_FILENO);
    std::FILE* report = reportFd >= 0 ? fdopen(reportFd, "w") : nullptr;
    if (!report) report = stdout;
    else dup2(STDERR_FILENO, STDOUT_FILENO);
    if (!enterDataDirectory(a.dataDir)) return 1;

    BenchResult result;
    if (!measure(a, result)) return 1;
    if (a.json) printJson(report, result);
    else printTable(report, result);
    std::fflush(report);

    unsigned long worst = 0;
    for (const SceneBench& s : result.scenes) worst = std::max(worst, s.allocsMax);
    if (worst > 0) {
        for (const SceneBench& s : result.scenes)
            if (s.allocsMax)
                std::fprintf(stderr, "bench: %s: frames allocate (up to %lu per frame, %lu on the trace run)\n",
                             s.name, s.allocsMax, s.allocsTotal);
        return 3;
    }
    return 0;
}

const ToolCommand command{"bench", "per-scene frame cost, allocations per frame and loading time", run};

}  // namespace
}  // namespace tool
