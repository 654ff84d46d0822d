// glimmerhop-tool render: a still, or a whole run as PNG frames or an MP4, of the real
// show through headless OpenGL.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "Command.h"
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

const char* const kUsage =
    "usage: glimmerhop-tool render --at T --out FILE.png [--size WxH] [--aspect 4:3|16:10|16:9]\n"
    "                              [--msaa N] [--history scene|full] [--history-fps F]\n"
    "                              [--data DIR]\n"
    "       glimmerhop-tool render --out FOLDER|FILE.mp4 [--from A] [--to B] [--fps N]\n"
    "                              [--size WxH] [--aspect A] [--msaa N] [--with-loading]\n"
    "                              [--preset P] [--data DIR]\n"
    "\n"
    "Without --at: renders a run of the show at a fixed frame rate, frame k at music time\n"
    "A + k/N for every such time before B, into a folder of numbered PNGs (frame00000.png\n"
    "...) or, for a name ending in .mp4, into an H.264 video with the music of the same\n"
    "span as AAC, made by the ffmpeg program. Without --to the run goes to the end of the\n"
    "music and the 2-second outro follows. The video is written as NAME.partial.mp4 and\n"
    "renamed when complete; an interrupted or failed run leaves no video. Progress goes\n"
    "to standard error, the time per frame of each scene to standard output.\n"
    "\n"
    "  --from A      music time of the first frame (default 0)\n"
    "  --to B        end of the span, not included (default: the end of the music)\n"
    "  --fps N       frames per second (default 60)\n"
    "  --with-loading  the loading screen first: held 1 s, then its 1 s fade\n"
    "  --preset P    x264's preset for an MP4, at CRF 18. By default ultrafast at CRF 21\n"
    "                when the CPU renders (it shares the cores with the encoder; the\n"
    "                file is about 1.5 times larger for the same quality), else\n"
    "                superfast at CRF 18; veryfast and slower make smaller files and\n"
    "                take more time\n"
    "  --history H   scene (default): first play, unrecorded, the frames a run from 0\n"
    "                would draw from 2 s before A's scene up to A, so that the camera\n"
    "                cuts match a whole run; full: from 0; none: start at A afresh\n"
    "                (for stills too)\n"
    "  (runs default to --size 1280x720; an MP4 needs an even width and height)\n"
    "  ffmpeg is looked up on PATH, or taken from the environment variable GLIMMERHOP_FFMPEG.\n"
    "\n"
    "With --at: renders the show at music time T through headless OpenGL and writes a PNG.\n"
    "Camera cuts and beat latches depend on the frames before T, so those are played\n"
    "first at 30 frames per second (--history-fps): with --history scene (the default) from 2 s before\n"
    "the start of T's scene (each scene keeps its own cut state, so this gives the cuts\n"
    "of a run from the start), with --history full from 0. Prints the time per frame of\n"
    "each scene played.\n"
    "\n"
    "  --at T        music time in seconds\n"
    "  --out FILE    the PNG to write\n"
    "  --size WxH    picture size (default 640x480)\n"
    "  --aspect A    aspect ratio of the perspective cameras (default: of the three, the\n"
    "                nearest to the size's)\n"
    "  --msaa N      samples per pixel (default none)\n"
    "  --history H   where the frames before T start: scene or full\n"
    "  --history-fps F  rate of those frames (default 30; lower is faster, cuts coarser)\n"
    "  --data DIR    directory holding Tindermoot/ (default: the working\n"
    "                directory, else the installed data set)\n";

bool parseAspect(const char* text, float& aspect) {
    if (std::strcmp(text, "4:3") == 0) aspect = 4.0f / 3.0f;
    else if (std::strcmp(text, "16:10") == 0) aspect = 16.0f / 10.0f;
    else if (std::strcmp(text, "16:9") == 0) aspect = 16.0f / 9.0f;
    else return false;
    return true;
}

struct SceneTiming {
    unsigned frames = 0;
    double total = 0, worst = 0;
};

int run(int argc, char** argv) {
    double at = 0;
    bool haveAt = false, fullHistory = false;
    double historyFps = 30.0;
    unsigned width = 640, height = 480, samples = 0;
    float aspect = 4.0f / 3.0f;
    std::string outPath, dataDir;
    RunOptions runOptions;
    bool haveSize = false, haveAspect = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--at") == 0 && hasValue) {
            at = std::atof(argv[++i]);
            haveAt = true;
        } else if (std::strcmp(a, "--from") == 0 && hasValue) {
            runOptions.from = std::atof(argv[++i]);
        } else if (std::strcmp(a, "--to") == 0 && hasValue) {
            runOptions.to = std::atof(argv[++i]);
            runOptions.toEnd = false;
        } else if (std::strcmp(a, "--fps") == 0 && hasValue) {
            const int fps = std::atoi(argv[++i]);
            if (fps < 1 || fps > 240) {
                std::fprintf(stderr, "render: --fps takes a whole number from 1 to 240\n");
                return 2;
            }
            runOptions.fps = static_cast<unsigned>(fps);
        } else if (std::strcmp(a, "--with-loading") == 0) {
            runOptions.withLoading = true;
        } else if (std::strcmp(a, "--preset") == 0 && hasValue) {
            static const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                                   "medium",    "slow",      "slower",   "veryslow"};
            runOptions.preset = argv[++i];
            if (std::none_of(std::begin(kPresets), std::end(kPresets),
                             [&](const char* p) { return runOptions.preset == p; })) {
                std::fprintf(stderr, "render: --preset takes an x264 preset, ultrafast to veryslow\n");
                return 2;
            }
        } else if (std::strcmp(a, "--out") == 0 && hasValue) {
            outPath = argv[++i];
        } else if (std::strcmp(a, "--size") == 0 && hasValue) {
            if (std::sscanf(argv[++i], "%ux%u", &width, &height) != 2 || width == 0 || height == 0 ||
                width > 65536 || height > 65536) {
                std::fprintf(stderr, "render: bad size '%s'\n", argv[i]);
                return 2;
            }
            haveSize = true;
        } else if (std::strcmp(a, "--aspect") == 0 && hasValue) {
            if (!parseAspect(argv[++i], aspect)) {
                std::fprintf(stderr, "render: bad aspect '%s'\n", argv[i]);
                return 2;
            }
            haveAspect = true;
        } else if (std::strcmp(a, "--msaa") == 0 && hasValue) {
            samples = static_cast<unsigned>(std::atoi(argv[++i]));
            if (samples == 1 || samples > 16) {
                std::fprintf(stderr, "render: --msaa takes 0 or 2..16\n");
                return 2;
            }
        } else if (std::strcmp(a, "--history") == 0 && hasValue) {
            const char* h = argv[++i];
            if (std::strcmp(h, "full") == 0) fullHistory = true;
            else if (std::strcmp(h, "none") == 0) runOptions.sceneHistory = false;
            else if (std::strcmp(h, "scene") != 0) {
                std::fprintf(stderr, "render: --history takes scene, full or none\n");
                return 2;
            }
        } else if (std::strcmp(a, "--history-fps") == 0 && hasValue) {
            historyFps = std::atof(argv[++i]);
            if (!(historyFps > 0.0 && historyFps <= 1000.0)) {
                std::fprintf(stderr, "render: --history-fps takes a rate above 0\n");
                return 2;
            }
        } else if (std::strcmp(a, "--data") == 0 && hasValue) {
            dataDir = argv[++i];
        } else {
            std::fprintf(stderr, "render: unknown or incomplete option '%s'\n\n%s", a, kUsage);
            return 2;
        }
    }
    if (outPath.empty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    // --data changes the working directory; the output stays where the user meant it.
    outPath = std::filesystem::absolute(outPath).lexically_normal().string();
    if (!haveAt) {
        if (!haveSize) width = 1280, height = 720;
        runOptions.width = width;
        runOptions.height = height;
        runOptions.samples = samples;
        runOptions.historyFromStart = fullHistory;
        runOptions.aspect = haveAspect ? aspect : nearestAspect(width, height);
        while (outPath.size() > 1 && outPath.back() == '/') outPath.pop_back();
        runOptions.out = outPath;
        if (!enterDataDirectory(dataDir)) return 1;
        return renderRun(runOptions);
    }
    if (!haveAspect) aspect = nearestAspect(width, height);
    if (!enterDataDirectory(dataDir)) return 1;

    gDisplaySettings.displayMode = D3DDISPLAYMODE{width, height, 60, D3DFMT_X8R8G8B8};
    gDisplaySettings.fullscreen = false;
    gDisplaySettings.multisampleType = static_cast<D3DMULTISAMPLE_TYPE>(samples);
    gDisplaySettings.aspectRatio = aspect;

    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Gl;
    config.headless = true;
    d3d9::configure(config);
    bass::useDrivenClock(true);
    if (!createDevice(DeviceOptions{width, height, samples})) return 1;
    if (!deviceCanDraw(width, height)) {
        releaseDevice();
        return 1;
    }

    const float target = static_cast<float>(at);
    const double historyStart = fullHistory ? 0.0 : std::max(0.0, sceneStart(sceneIndexOf(target)) - 2.0);
    std::vector<double> times = timeRange(historyStart, at, historyFps);
    if (!runOptions.sceneHistory) times.clear();
    while (!times.empty() && static_cast<float>(times.back()) >= target) times.pop_back();
    times.push_back(at);

    Show::loadingFadeSeconds = 0.0;
    SceneTiming timing[6];
    std::vector<std::uint8_t> pixels;
    UINT readWidth = 0, readHeight = 0;
    bool read = false;
    {
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
        read = d3d9::readBackBuffer(gDevice, pixels, readWidth, readHeight);
    }
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
    if (!stbi_write_png(outPath.c_str(), static_cast<int>(readWidth), static_cast<int>(readHeight), 4,
                        pixels.data(), static_cast<int>(readWidth * 4))) {
        std::fprintf(stderr, "render: cannot write %s\n", outPath.c_str());
        return 1;
    }
    std::printf("wrote %s (%ux%u, t = %.9g)\n", outPath.c_str(), readWidth, readHeight, static_cast<double>(target));
    return 0;
}

const ToolCommand command{"render", "render the show to a PNG still, PNG frames or an MP4 (headless OpenGL)",
                          kUsage, run};

}  // namespace
}  // namespace tool
