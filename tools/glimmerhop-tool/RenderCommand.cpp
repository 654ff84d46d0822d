// glimmerhop-tool render: a still, or a whole run as PNG frames or an MP4, of the real
// show through headless OpenGL.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandLine.h"
#include "RenderRun.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/bass/clock.h"
#include "show/Show.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace tool {
namespace {

const char* const kDescription =
    "glimmerhop-tool render --at T --out FILE.png [options]: a still\n"
    "glimmerhop-tool render --out FOLDER|FILE.mp4 [--from A] [--to B] [--fps N] [options]: a run\n"
    "\n"
    "Without --at: renders a run of the show at a fixed frame rate, frame k at music time\n"
    "A + k/N for every such time before B, into a folder of numbered PNGs (frame00000.png\n"
    "...) or, for a name ending in .mp4, into an H.264 video with the music of the same\n"
    "span as AAC, made by the ffmpeg program. Without --to the run goes to the end of the\n"
    "music and the 2-second outro follows. The video is written as NAME.partial.mp4 and\n"
    "renamed when complete; an interrupted or failed run leaves no video. Progress goes\n"
    "to standard error, the time per frame of each scene to standard output. Runs default\n"
    "to --size 1280x720; an MP4 needs an even width and height. ffmpeg is looked up on\n"
    "PATH, or taken from the environment variable GLIMMERHOP_FFMPEG.\n"
    "\n"
    "With --at: renders the show at music time T through headless OpenGL and writes a PNG.\n"
    "Camera cuts and beat latches depend on the frames before T, so those are played\n"
    "first at 30 frames per second (--history-fps): with --history scene (the default) from\n"
    "2 s before the start of T's scene (each scene keeps its own cut state, so this gives\n"
    "the cuts of a run from the start), with --history full from 0. Prints the time per\n"
    "frame of each scene played.";

struct SceneTiming {
    unsigned frames = 0;
    double total = 0, worst = 0;
};

// What the command line asks for; `run` holds what a run takes from it.
struct RenderArgs {
    double at = 0;
    bool haveAt = false, fullHistory = false, haveSize = false, haveAspect = false;
    double historyFps = 30.0;
    Size size{640, 480};
    unsigned samples = 0;
    float aspect = 4.0f / 3.0f;
    std::string outPath, dataDir;
    RunOptions run;
};

void declareRunOptions(CommandLine& cl, RenderArgs& a) {
    cl.time("--from", a.run.from, "music time of the first frame of a run (default 0)");
    cl.time("--to", a.run.to, "end of the span, not included (default: the end of the music)")
        ->each([&a](const std::string&) { a.run.toEnd = false; });
    cl.app.add_option("--fps", a.run.fps, "frames per second of a run (default 60)")
        ->type_name("N")
        ->check(CLI::Range(1u, 240u));
    cl.app.add_flag("--with-loading", a.run.withLoading, "the loading screen first: held 1 s, then its 1 s fade");
    cl.app.add_option("--preset", a.run.preset,
                      "x264's preset for an MP4, at CRF 18. By default ultrafast at CRF 21\n"
                      "when the CPU renders (it shares the cores with the encoder; the\n"
                      "file is about 1.5 times larger for the same quality), else\n"
                      "superfast at CRF 18; veryfast and slower make smaller files and\n"
                      "take more time")
        ->type_name("P")
        ->check(CLI::IsMember({"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower",
                               "veryslow"}));
}

void declareOptions(CommandLine& cl, RenderArgs& a) {
    cl.time("--at", a.at, "music time in seconds of a still")->each([&a](const std::string&) { a.haveAt = true; });
    cl.app.add_option("--out", a.outPath, "the PNG of a still; for a run a folder, or a file ending in .mp4")
        ->type_name("FILE")
        ->required();
    declareRunOptions(cl, a);
    cl.size(a.size, 1, 65536, "picture size (default 640x480 for a still, 1280x720 for a run)")
        ->each([&a](const std::string&) { a.haveSize = true; });
    cl.app.add_option_function<std::string>(
              "--aspect",
              [&a](const std::string& text) {
                  a.aspect = text == "4:3" ? 4.0f / 3.0f : text == "16:10" ? 16.0f / 10.0f : 16.0f / 9.0f;
                  a.haveAspect = true;
              },
              "aspect ratio of the perspective cameras (default: of the three, the\n"
              "nearest to the size's)")
        ->type_name("A")
        ->check(CLI::IsMember({"4:3", "16:10", "16:9"}));
    cl.app.add_option("--msaa", a.samples, "samples per pixel, 0 or 2..16 (default none)")
        ->type_name("N")
        ->check(CLI::Validator([](std::string& text) {
                    return text == "1" ? std::string("takes 0 or 2..16") : CLI::Range(0u, 16u)(text);
                }, ""));
    cl.app.add_option_function<std::string>(
              "--history",
              [&a](const std::string& text) {
                  a.fullHistory = text == "full";
                  a.run.sceneHistory = text != "none";
              },
              "scene (default): first play, unrecorded, the frames a run from 0\n"
              "would draw from 2 s before the scene's start up to the first frame,\n"
              "so that the camera cuts match a whole run; full: from 0; none:\n"
              "start afresh")
        ->type_name("H")
        ->check(CLI::IsMember({"scene", "full", "none"}));
    cl.rate("--history-fps", a.historyFps, 1000.0,
            "rate of the frames before a still (default 30; lower is faster, cuts coarser)");
    cl.dataFolder(a.dataDir);
}

int renderRunOf(RenderArgs& a) {
    RunOptions& o = a.run;
    if (!a.haveSize) a.size = Size{1280, 720};
    o.width = a.size.width;
    o.height = a.size.height;
    o.samples = a.samples;
    o.historyFromStart = a.fullHistory;
    o.aspect = a.haveAspect ? a.aspect : nearestAspect(o.width, o.height);
    while (a.outPath.size() > 1 && a.outPath.back() == '/') a.outPath.pop_back();
    o.out = a.outPath;
    if (!enterDataDirectory(a.dataDir)) return 1;
    return renderRun(o);
}

// The frames before a still (its history), then the still; the timings by scene.
bool playStill(const RenderArgs& a, SceneTiming (&timing)[6], std::vector<std::uint8_t>& pixels, UINT& width,
               UINT& height) {
    const float target = static_cast<float>(a.at);
    const double historyStart = a.fullHistory ? 0.0 : std::max(0.0, sceneStart(sceneIndexOf(target)) - 2.0);
    std::vector<double> times = timeRange(historyStart, a.at, a.historyFps);
    if (!a.run.sceneHistory) times.clear();
    while (!times.empty() && static_cast<float>(times.back()) >= target) times.pop_back();
    times.push_back(a.at);

    Show::loadingFadeSeconds = 0.0;
    Show show;
    show.load();
    for (double time : times) {
        const float t = static_cast<float>(time);
        const auto start = std::chrono::steady_clock::now();
        show.renderFrame(t);
        gDevice->Present(nullptr, nullptr, nullptr, nullptr);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        SceneTiming& s = timing[sceneIndexOf(t)];
        ++s.frames;
        s.total += ms;
        s.worst = std::max(s.worst, ms);
    }
    return d3d9::readBackBuffer(gDevice, pixels, width, height);
}

int renderStill(const RenderArgs& a) {
    const unsigned width = a.size.width, height = a.size.height;
    if (!enterDataDirectory(a.dataDir)) return 1;
    gDisplaySettings.displayMode = D3DDISPLAYMODE{width, height, 60, D3DFMT_X8R8G8B8};
    gDisplaySettings.fullscreen = false;
    gDisplaySettings.multisampleType = static_cast<D3DMULTISAMPLE_TYPE>(a.samples);
    gDisplaySettings.aspectRatio = a.haveAspect ? a.aspect : nearestAspect(width, height);

    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Gl;
    config.headless = true;
    d3d9::configure(config);
    bass::useDrivenClock(true);
    if (!createDevice(DeviceOptions{width, height, a.samples})) return 1;
    if (!deviceCanDraw(width, height)) {
        releaseDevice();
        return 1;
    }
    SceneTiming timing[6];
    std::vector<std::uint8_t> pixels;
    UINT readWidth = 0, readHeight = 0;
    const bool read = playStill(a, timing, pixels, readWidth, readHeight);
    const std::string renderer = rendererLine(), warning = softwareWarning();
    releaseDevice();

    for (int i = 0; i < 6; ++i) {
        if (!timing[i].frames) continue;
        std::printf("scene %d (%s): %u frames, %.2f ms mean, %.2f ms worst\n", i, sceneName(i),
                    timing[i].frames, timing[i].total / timing[i].frames, timing[i].worst);
    }
    std::printf("renderer: %s\n", renderer.c_str());
    if (!warning.empty()) std::printf("%s\n", warning.c_str());
    if (!read || pixels.size() < static_cast<std::size_t>(readWidth) * readHeight * 4) {
        std::fprintf(stderr, "render: cannot read the picture back\n");
        return 1;
    }
    // The back buffer has no alpha of its own (X8R8G8B8): the picture is opaque.
    for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    if (!stbi_write_png(a.outPath.c_str(), static_cast<int>(readWidth), static_cast<int>(readHeight), 4,
                        pixels.data(), static_cast<int>(readWidth * 4))) {
        std::fprintf(stderr, "render: cannot write %s\n", a.outPath.c_str());
        return 1;
    }
    std::printf("wrote %s (%ux%u, t = %.9g)\n", a.outPath.c_str(), readWidth, readHeight,
                static_cast<double>(static_cast<float>(a.at)));
    return 0;
}

int run(int argc, char** argv) {
    RenderArgs a;
    CommandLine cl("render", kDescription);
    declareOptions(cl, a);
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    // --data changes the working directory; the output stays where the user meant it.
    a.outPath = std::filesystem::absolute(a.outPath).lexically_normal().string();
    return a.haveAt ? renderStill(a) : renderRunOf(a);
}

const ToolCommand command{"render", "render the show to a PNG still, PNG frames or an MP4 (headless OpenGL)", run};

}  // namespace
}  // namespace tool
