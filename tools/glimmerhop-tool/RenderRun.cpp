#include "RenderRun.h"

#include <signal.h>
#include <unistd.h>

#include <epoxy/gl.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "FrameSink.h"
#include "FrameWriter.h"
#include "LoadingFrame.h"
#include "RunProgress.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/bass/clock.h"
#include "platform/d3d9/backend.h"
#include "audio/MusicStream.h"
#include "show/Show.h"

namespace tool {

namespace {

constexpr double kOutroSeconds = 2.0;
// The loading picture is held for a second, then fades out over one, as the program
// shows it on a machine that loads quickly.
constexpr double kLoadingHoldSeconds = 1.0;
constexpr double kLoadingFadeSeconds = 1.0;
const char* const kMusicPath = "Tindermoot/Pellmoor.mp3";

volatile sig_atomic_t gStopSignal = 0;

void onStopSignal(int signal) { gStopSignal = signal; }

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A dead ffmpeg shows up as a failed write, not as a killed tool.
    signal(SIGPIPE, SIG_IGN);
}

// The nearest folder that exists above `path` (or `path` itself) must be a writable
// folder; nothing is created yet.
bool checkWritableTarget(const std::string& path, bool isFile) {
    namespace fs = std::filesystem;
    fs::path p = isFile ? fs::path(path).parent_path() : fs::path(path);
    std::error_code ec;
    while (!p.empty() && !fs::exists(p, ec)) {
        if (p == p.parent_path()) break;
        p = p.parent_path();
    }
    if (p.empty()) p = ".";
    if (!fs::is_directory(p, ec)) {
        std::fprintf(stderr, "render: cannot write %s: %s is not a folder\n", path.c_str(), p.c_str());
        return false;
    }
    if (access(p.c_str(), W_OK) != 0) {
        std::fprintf(stderr, "render: cannot write %s: %s: %s\n", path.c_str(), p.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

// The headless GL device at the run's size; false with a message when it cannot be made
// or the size is more than it can draw into.
bool setUpDevice(const RunOptions& o) {
    gDisplaySettings.displayMode = D3DDISPLAYMODE{o.width, o.height, 60, D3DFMT_X8R8G8B8};
    gDisplaySettings.fullscreen = false;
    gDisplaySettings.multisampleType = static_cast<D3DMULTISAMPLE_TYPE>(o.samples);
    gDisplaySettings.aspectRatio = o.aspect;
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Gl;
    config.headless = true;
    d3d9::configure(config);
    bass::useDrivenClock(true);
    if (!createDevice(DeviceOptions{o.width, o.height, o.samples})) return false;
    if (!deviceCanDraw(o.width, o.height)) {
        releaseDevice();
        return false;
    }
    return true;
}

}  // namespace

bool deviceCanDraw(unsigned width, unsigned height) {
    GLint renderbuffer = 0, texture = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    GLint limitW = renderbuffer, limitH = renderbuffer;
    if (texture > 0) limitW = std::min(limitW, texture), limitH = std::min(limitH, texture);
    if (viewport[0] > 0) limitW = std::min(limitW, viewport[0]);
    if (viewport[1] > 0) limitH = std::min(limitH, viewport[1]);
    if (limitW > 0 && limitH > 0 &&
        (width > static_cast<unsigned>(limitW) || height > static_cast<unsigned>(limitH))) {
        std::fprintf(stderr, "render: %ux%u is larger than this OpenGL device can draw (at most %dx%d)\n", width,
                     height, limitW, limitH);
        return false;
    }
    return true;
}

float nearestAspect(unsigned width, unsigned height) {
    const float ratios[3] = {4.0f / 3.0f, 16.0f / 10.0f, 16.0f / 9.0f};
    const double r = height ? static_cast<double>(width) / height : 1.0;
    float best = ratios[0];
    for (float a : ratios)
        if (std::fabs(std::log(r / a)) < std::fabs(std::log(r / best))) best = a;
    return best;
}

bool planRun(const RunOptions& o, double musicLength, std::vector<PlannedFrame>& frames, std::string& error) {
    frames.clear();
    char text[200];
    if (!(musicLength > 0)) {
        error = std::string("the music ") + kMusicPath + " could not be loaded, so there is no span to render";
        return false;
    }
    const double to = o.toEnd ? musicLength : o.to;
    if (!(o.from >= 0) || !(to <= musicLength + 1e-6) || !(o.from < to)) {
        std::snprintf(text, sizeof text, "the span %.3f..%.3f s is not inside the music (0..%.3f s)", o.from, to,
                      musicLength);
        error = text;
        return false;
    }
    if (o.fps == 0) {
        error = "the frame rate must be above 0";
        return false;
    }
    const double fps = o.fps;
    if (o.withLoading) {
        const unsigned hold = static_cast<unsigned>(std::lround(kLoadingHoldSeconds * fps));
        const unsigned fade = static_cast<unsigned>(std::lround(kLoadingFadeSeconds * fps));
        for (unsigned j = 0; j < hold; ++j) frames.push_back({kLoadingPart, 1.0f, 0.0});
        for (unsigned j = 0; j < fade; ++j)
            frames.push_back({kLoadingPart, static_cast<float>(1.0 - j / (kLoadingFadeSeconds * fps)), 0.0});
    }
    for (unsigned long k = 0;; ++k) {
        const double t = o.from + k / fps;
        if (!(t < to - 1e-9)) break;
        const float ft = static_cast<float>(t);
        frames.push_back({kFirstScenePart + sceneIndexOf(ft), ft, t});
    }
    if (o.toEnd || to >= musicLength - 0.001) {
        const unsigned outro = static_cast<unsigned>(std::lround(kOutroSeconds * fps));
        for (unsigned j = 0; j < outro; ++j) frames.push_back({kOutroPart, static_cast<float>(j / fps), 0.0});
    }
    return true;
}

std::vector<double> planHistory(const RunOptions& o) {
    std::vector<double> times;
    if (!o.sceneHistory || o.fps == 0 || !(o.from > 0)) return times;
    const double start = o.historyFromStart ? 0.0 : std::max(0.0, sceneStart(sceneIndexOf(static_cast<float>(o.from))) - 2.0);
    const double fps = o.fps;
    for (long k = static_cast<long>(std::ceil(start * fps - 1e-6));; ++k) {
        const double t = k / fps;
        if (!(t < o.from - 1e-9)) break;
        times.push_back(t);
    }
    return times;
}

namespace {

// What is checked before the show loads, so that a wrong span, a missing ffmpeg or an
// unwritable target is told at once: the music's length and the frames planned.
bool prepareRun(const RunOptions& o, bool video, double& length, std::vector<PlannedFrame>& frames) {
    if (video && (o.width % 2 || o.height % 2)) {
        // H.264 in yuv420p halves the colour planes both ways.
        std::fprintf(stderr, "render: an MP4 needs an even width and height (not %ux%u)\n", o.width, o.height);
        return false;
    }
    if (!checkWritableTarget(o.out, video)) return false;
    if (video && !VideoSink(o.out, o.width, o.height, o.fps, AudioSpan{}, EncoderChoice{"superfast", 18}).check())
        return false;
    bass::useDrivenClock(true);
    {
        MusicStream music;
        music.open("Tindermoot\\Pellmoor.mp3");
        length = music.lengthSeconds();
        music.release();
    }
    std::string error;
    if (!planRun(o, length, frames, error)) {
        std::fprintf(stderr, "render: %s\n", error.c_str());
        return false;
    }
    return true;
}

// The encoder for where the frames render, told on standard error with the renderer.
EncoderChoice chooseEncoder(const RunOptions& o, bool video) {
    std::fprintf(stderr, "renderer: %s\n", rendererLine().c_str());
    if (const std::string warning = softwareWarning(); !warning.empty()) std::fprintf(stderr, "%s\n", warning.c_str());
    d3d9::RendererInfo renderer;
    const EncoderChoice encoder = encoderFor(o.preset, d3d9::rendererInfo(gDevice, renderer) && renderer.software);
    if (video)
        std::fprintf(stderr, "encoder: x264 %s, CRF %d%s\n", encoder.preset.c_str(), encoder.crf,
                     o.preset.empty() && renderer.software ? " (the renderer uses the same cores)" : "");
    return encoder;
}

// The sink the frames go to; null with a message when it cannot be opened.
std::unique_ptr<FrameSink> openSink(const RunOptions& o, bool video, double length, const EncoderChoice& encoder) {
    if (video) {
        const double to = o.toEnd ? length : o.to;
        AudioSpan audio{kMusicPath, o.from, to - o.from, o.withLoading ? kLoadingHoldSeconds + kLoadingFadeSeconds : 0.0};
        auto sink = std::make_unique<VideoSink>(o.out, o.width, o.height, o.fps, audio, encoder);
        if (!sink->check() || !sink->open()) return nullptr;
        return sink;
    }
    auto sink = std::make_unique<PngFolderSink>(o.out, o.width, o.height);
    if (!sink->open()) return nullptr;
    return sink;
}

// The frames before the span, played for the state they leave (cuts, beat latches), not
// their pixels: the scenes read no earlier frame, so drawing them is wasted.
void playHistory(Show& show, const RunOptions& o) {
    const std::vector<double> history = planHistory(o);
    if (history.empty()) return;
    std::fprintf(stderr, "playing %zu frames from %.3f s for the scene's camera cuts (not recorded)\n", history.size(),
                 history.front());
    d3d9::setDrawing(gDevice, false);
    for (double t : history) {
        if (gStopSignal) break;
        bass::setDrivenPosition(t);
        show.renderFrame(static_cast<float>(t));
        gDevice->Present(nullptr, nullptr, nullptr, nullptr);
    }
    d3d9::setDrawing(gDevice, true);
}

void drawPlanned(Show& show, const PlannedFrame& f) {
    if (f.part == kLoadingPart) {
        drawLoadingFrame(show, f.value);
    } else if (f.part == kOutroPart) {
        show.renderOutro(f.value);
    } else {
        bass::setDrivenPosition(f.musicTime);
        show.renderFrame(f.value);
    }
    gDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

// Draws the frames into the sink: frame k is copied out of the GPU while frame k+1
// renders, and written by the writer's thread while later ones render; three slots keep
// it all busy. True when every frame drawn was written (a stop signal ends it early).
bool writeFrames(Show& show, const std::vector<PlannedFrame>& frames, FrameSink& sink, const RunOptions& o,
                 RunProgress& progress) {
    constexpr unsigned kSlots = 3;
    static_assert(kSlots <= d3d9::kReadBackSlots);
    FrameWriter writer(sink, o.width, o.height);
    int pending = -1;  // the slot whose copy was started and not yet queued
    auto queuePending = [&]() {
        if (pending < 0) return true;
        const std::uint8_t* rows = d3d9::finishReadBack(gDevice, static_cast<unsigned>(pending));
        if (!rows) {
            std::fprintf(stderr, "\nrender: cannot read the picture back\n");
            return false;
        }
        const bool queued = writer.push(static_cast<unsigned>(pending), rows);
        pending = -1;
        return queued;
    };
    for (std::size_t k = 0; k < frames.size() && !gStopSignal; ++k) {
        const auto start = std::chrono::steady_clock::now();
        drawPlanned(show, frames[k]);
        const unsigned slot = static_cast<unsigned>(k % kSlots);
        if (!writer.waitForSlot(slot)) return false;
        if (!d3d9::startReadBack(gDevice, slot)) {
            std::fprintf(stderr, "\nrender: cannot read the picture back\n");
            return false;
        }
        if (!queuePending()) return false;
        pending = static_cast<int>(slot);
        progress.frameDone(frames[k].part,
                           std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    // The writer's thread ends (with the writer) before the sink is finished or removed.
    return queuePending() && writer.drain();
}

// The sink finished (or, after a failure or a stop, aborted) and the summary printed.
int finishRun(FrameSink& sink, bool written, bool video, const RunProgress& progress) {
    int code = written ? 0 : 1;
    if (code == 0 && gStopSignal) {
        std::fprintf(stderr, "render: stopped by %s after %u frames; %s\n", gStopSignal == SIGINT ? "SIGINT" : "SIGTERM",
                     progress.done(), video ? "the unfinished video was removed" : "the frames written so far stay");
        code = 128 + gStopSignal;
    }
    if (code == 0) {
        if (!sink.finish()) code = 1;
    } else {
        sink.abort();
    }
    // The show's own lines on standard output may leave the line open.
    std::fputc('\n', stdout);
    progress.printSummary(stdout);
    std::printf("renderer: %s\n", rendererLine().c_str());
    if (const std::string warning = softwareWarning(); !warning.empty()) std::printf("%s\n", warning.c_str());
    if (code == 0) std::printf("wrote %s\n", sink.describe().c_str());
    return code;
}

}  // namespace

int renderRun(const RunOptions& o) {
    installSignalHandlers();
    const bool video = isVideoPath(o.out);
    double length = 0;
    std::vector<PlannedFrame> frames;
    if (!prepareRun(o, video, length, frames) || !setUpDevice(o)) return 1;
    const EncoderChoice encoder = chooseEncoder(o, video);
    int code = 1;
    std::unique_ptr<FrameSink> sink;
    {
        Show::loadingFadeSeconds = 0.0;
        Show show;
        show.load();
        sink = openSink(o, video, length, encoder);
        if (sink) {
            playHistory(show, o);
            std::fprintf(stderr, "rendering %zu frames of %ux%u at %u fps (music %.3f..%.3f s%s%s) to %s\n",
                         frames.size(), o.width, o.height, o.fps, o.from, o.toEnd ? length : o.to,
                         o.withLoading ? ", loading screen first" : "",
                         (o.toEnd || o.to >= length - 0.001) ? ", then the outro" : "", o.out.c_str());
            RunProgress progress(static_cast<unsigned>(frames.size()), isatty(STDERR_FILENO) != 0);
            const bool written = writeFrames(show, frames, *sink, o, progress);
            progress.end();
            code = finishRun(*sink, written, video, progress);
        }
    }
    sink.reset();
    releaseDevice();
    return code;
}

}  // namespace tool
