// glimmerhop-tool plot: a picture of a sync file over time: the bands, the shared beat
// pulse and the band pulses as the scenes see them at 30 frames per second, the camera
// cuts of the three scenes that cut on the music, with the scene bounds marked.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandLine.h"
#include "PlotCanvas.h"
#include "audio/SyncData.h"
#include "show/CameraCuts.h"
#include "show/SceneSpans.h"
#include "platform/win32/messagebox.h"

namespace {

const char* const kDescription =
    "glimmerhop-tool plot SYNC OUT.png [--width PIXELS]\n"
    "\n"
    "Draws the sync file's bands (each scaled to its own maximum), the shared beat pulse\n"
    "(decay 0.9/s, threshold 0.1, all bands summed) and the band pulses (decay 0.9/s,\n"
    "threshold 0.2) as the show computes them at 30 frames per second, and the camera\n"
    "cuts of the disco, box-room and equalizer scenes as a 60 fps run makes them, with the\n"
    "scene bounds marked and labelled with their times. Prints per scene the number of\n"
    "cuts and the shortest and mean time between them.";

constexpr tool::Rgb kBackground{18, 20, 26}, kLane{30, 33, 42}, kText{220, 220, 225}, kDim{120, 124, 135},
    kBound{255, 150, 40}, kPulse{250, 240, 120};

tool::Rgb bandColour(int j) {
    static const tool::Rgb colours[] = {{90, 160, 255}, {80, 200, 220}, {90, 220, 150}, {160, 220, 90},
                                        {230, 210, 80}, {240, 160, 80}, {240, 110, 110}, {220, 110, 220}};
    return colours[j % 8];
}

// The scenes that cut on the music, over their spans. The box room and the equalizer
// start their hold at their first frame; the disco's starts at 0.
struct CutScene {
    int index;  // in show::kScenes
    show::CameraCutRule rule;
    bool holdFromFirstFrame;
    const char* name() const { return show::kScenes[index].name; }
    float from() const { return show::sceneSpanStart(index); }
    float to() const { return show::kScenes[index].end; }
};
constexpr CutScene kCutScenes[] = {{1, show::kDiscoCuts, false},
                                   {3, show::kBoxRoomCuts, true},
                                   {4, show::kEqualizerCuts, true}};

// The cuts a 60 fps run makes over the scene's span.
std::vector<float> cutTimes(const SyncData& sync, const CutScene& scene) {
    std::vector<float> cuts;
    bool first = true;
    float last = 0.0f;
    for (long k = static_cast<long>(scene.from() * 60.0f) + 1; static_cast<float>(k) / 60.0f < scene.to(); ++k) {
        const float t = static_cast<float>(k) / 60.0f;
        if (first && scene.holdFromFirstFrame) last = t;
        first = false;
        if (show::cutDue(sync, scene.rule, t, last)) {
            cuts.push_back(t);
            last = t;
        }
    }
    return cuts;
}

struct Frame {
    int left, width;
    float seconds;
    int x(float t) const { return left + static_cast<int>(t / seconds * static_cast<float>(width)); }
};

// One lane: per pixel column, a dim bar up to the largest value in the column and a
// bright one up to the column's mean (values below 0 count as 0), scaled so that `top`
// fills the lane.
void drawLane(tool::PlotCanvas& c, const Frame& f, int y, int h, const std::vector<float>& v, float top,
              tool::Rgb colour, const char* label) {
    c.fill(f.left, y, f.left + f.width, y + h, kLane);
    c.text(8, y + (h >= 50 ? h / 2 - 16 : h / 2 - 7), label, kText);
    if (v.empty() || top <= 0.0f) return;
    const std::size_t n = v.size();
    for (int col = 0; col < f.width; ++col) {
        std::size_t k0 = n * static_cast<std::size_t>(col) / static_cast<std::size_t>(f.width);
        std::size_t k1 = std::max(k0 + 1, n * static_cast<std::size_t>(col + 1) / static_cast<std::size_t>(f.width));
        float peak = 0.0f, sum = 0.0f;
        std::size_t count = 0;
        for (std::size_t k = k0; k < k1 && k < n; ++k, ++count) {
            peak = std::max(peak, v[k]);
            sum += std::max(v[k], 0.0f);
        }
        const float mean = count ? sum / static_cast<float>(count) : 0.0f;
        const tool::Rgb dim{static_cast<std::uint8_t>(colour.r / 2), static_cast<std::uint8_t>(colour.g / 2),
                            static_cast<std::uint8_t>(colour.b / 2)};
        int bar = static_cast<int>(std::min(peak / top, 1.0f) * static_cast<float>(h - 2));
        if (bar > 0) c.vline(f.left + col, y + h - 1 - bar, y + h - 1, dim);
        bar = static_cast<int>(std::min(mean / top, 1.0f) * static_cast<float>(h - 2));
        if (bar > 0) c.vline(f.left + col, y + h - 1 - bar, y + h - 1, colour);
    }
}

float maxOf(const std::vector<float>& v) {
    float m = 0.0f;
    for (float x : v) m = std::max(m, x);
    return m;
}

// The values drawn, one per sync sample (30 per second): each band, the shared beat
// pulse and the band pulses as the scenes would see them, one call per frame.
struct PlotSeries {
    std::vector<float> shared;
    std::vector<std::vector<float>> bands, bandPulses;
};

PlotSeries seriesOf(const SyncData& sync, int bands) {
    const int frames = sync.sampleCount;
    gBeatDetector = BeatDetector{};
    PlotSeries p;
    p.shared.resize(static_cast<std::size_t>(frames));
    p.bands.resize(static_cast<std::size_t>(bands));
    p.bandPulses.resize(static_cast<std::size_t>(std::min(bands, BeatDetector::kBands)));
    for (int f = 0; f < frames; ++f) {
        const float t = static_cast<float>(f) / 30.0f;
        p.shared[f] = sync.pulse(0.9f, 0.1f, t, SyncData::kAllBands);
        for (int j = 0; j < bands; ++j) p.bands[j].push_back(*sync.tracks[j].keyAt(static_cast<std::uint32_t>(f)));
        for (std::size_t j = 0; j < p.bandPulses.size(); ++j)
            p.bandPulses[j].push_back(sync.bandPulse(0.9f, 0.2f, t, static_cast<std::uint8_t>(j)));
    }
    return p;
}

// Where each panel lies, from the top.
struct PlotLayout {
    static constexpr int bandLane = 56, pulseLane = 110, bandPulseLane = 30, cutLane = 30, gap = 10, top = 64;
    int pulseY, bandPulseY, cutY, axisY, height;
    PlotLayout(int bands, int bandPulses) {
        pulseY = top + bands * (bandLane + 2) + 3 * gap;
        bandPulseY = pulseY + pulseLane + 3 * gap;
        cutY = bandPulseY + bandPulses * (bandPulseLane + 2) + 2 * gap;
        axisY = cutY + cutLane + gap;
        height = axisY + 50;
    }
};

void drawLanes(tool::PlotCanvas& c, const Frame& f, const PlotLayout& l, const PlotSeries& p) {
    char line[64];
    for (std::size_t j = 0; j < p.bands.size(); ++j) {
        const float m = maxOf(p.bands[j]);
        std::snprintf(line, sizeof line, "band %zu", j);
        const int y = l.top + static_cast<int>(j) * (l.bandLane + 2);
        drawLane(c, f, y, l.bandLane, p.bands[j], m, bandColour(static_cast<int>(j)), line);
        std::snprintf(line, sizeof line, "max %.3f", static_cast<double>(m));
        c.text(8, y + l.bandLane / 2 + 2, line, kDim);
    }
    drawLane(c, f, l.pulseY, l.pulseLane, p.shared, maxOf(p.shared), kPulse, "pulse");
    std::snprintf(line, sizeof line, "max %.2f", static_cast<double>(maxOf(p.shared)));
    c.text(8, l.pulseY + l.pulseLane / 2 + 2, line, kDim);
    c.text(8, l.pulseY + l.pulseLane / 2 + 20, "0.9/s, 0.1", kDim);
    c.text(f.left, l.bandPulseY - 2 * l.gap - 6, "band pulses (0.9/s, threshold 0.2)", kDim);
    for (std::size_t j = 0; j < p.bandPulses.size(); ++j) {
        std::snprintf(line, sizeof line, "bp %zu", j);
        drawLane(c, f, l.bandPulseY + static_cast<int>(j) * (l.bandPulseLane + 2), l.bandPulseLane,
                 p.bandPulses[j], maxOf(p.bandPulses[j]), bandColour(static_cast<int>(j)), line);
    }
}

// Camera cuts: a tick per cut over each scene's span, and their counts and gaps printed.
void drawCuts(tool::PlotCanvas& c, const Frame& f, const PlotLayout& l, const SyncData& sync) {
    c.fill(f.left, l.cutY, f.left + f.width, l.cutY + l.cutLane, kLane);
    c.text(8, l.cutY + l.cutLane / 2 - 7, "cuts", kText);
    for (const CutScene& scene : kCutScenes) {
        const std::vector<float> cuts = cutTimes(sync, scene);
        for (float t : cuts)
            if (t <= f.seconds) c.vline(f.x(t), l.cutY + 3, l.cutY + l.cutLane - 3, kPulse);
        float shortest = 0.0f;
        for (std::size_t i = 1; i < cuts.size(); ++i) {
            const float gapSeconds = cuts[i] - cuts[i - 1];
            if (i == 1 || gapSeconds < shortest) shortest = gapSeconds;
        }
        const double mean = cuts.size() > 1 ? (cuts.back() - cuts.front()) / static_cast<double>(cuts.size() - 1) : 0.0;
        std::printf("plot: %-13s %3zu cuts, shortest gap %.2f s, mean gap %.2f s\n", scene.name(), cuts.size(),
                    static_cast<double>(shortest), mean);
    }
}

// The time axis (a tick every 5 s, labelled every 10 s) and the scene bounds over every
// panel, labelled above the bands.
void drawTimes(tool::PlotCanvas& c, const Frame& f, const PlotLayout& l) {
    char line[32];
    c.hline(f.left, f.left + f.width, l.axisY, kDim);
    for (int s = 0; static_cast<float>(s) <= f.seconds; s += 5) {
        int x = f.x(static_cast<float>(s));
        c.vline(x, l.axisY, l.axisY + (s % 10 == 0 ? 8 : 4), kDim);
        if (s % 10 == 0) {
            std::snprintf(line, sizeof line, "%d", s);
            c.text(x - tool::PlotCanvas::textWidth(line) / 2, l.axisY + 12, line, kDim);
        }
    }
    c.text(8, l.axisY + 12, "seconds", kDim);
    for (const show::SceneSpan& scene : show::kScenes) {
        const float b = scene.end;
        if (b > f.seconds) continue;
        int x = f.x(b);
        for (int y = l.top - 6; y < l.axisY; y += 6) c.vline(x, y, y + 3, kBound);
        std::snprintf(line, sizeof line, "%.1f", static_cast<double>(b));
        c.text(x - tool::PlotCanvas::textWidth(line) / 2, l.top - 26, line, kBound);
    }
}

int run(int argc, char** argv) {
    std::string syncPath, outPath;
    int width = 1800;
    tool::CommandLine cl("plot", kDescription);
    cl.app.add_option("sync", syncPath, "the sync file")->type_name("SYNC")->required();
    cl.app.add_option("out", outPath, "the picture to write")->type_name("OUT.png")->required();
    // Narrower pictures are drawn 600 pixels wide; the limit keeps the canvas in memory.
    cl.app.add_option("--width", width, "picture width (default 1800, at least 600)")
        ->type_name("PIXELS")
        ->check(CLI::Range(-65536, 65536));
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    width = std::max(600, width);
    win32::setMessageBoxesInteractive(false);
    SyncData sync;
    if (!sync.load(syncPath.c_str()) || sync.sampleCount <= 0 || sync.bandCount <= 0) {
        std::fprintf(stderr, "plot: %s holds no sync samples\n", syncPath.c_str());
        return 1;
    }
    const int bands = std::min(sync.bandCount, 16);
    const float seconds = static_cast<float>(sync.sampleCount) / 30.0f;
    const PlotSeries series = seriesOf(sync, bands);
    const PlotLayout layout(bands, static_cast<int>(series.bandPulses.size()));
    tool::PlotCanvas c(width, layout.height, kBackground);
    const Frame f{150, width - 170, seconds};

    char line[256];
    std::snprintf(line, sizeof line, "%s   %d samples x %d bands   %.1f s", syncPath.c_str(), sync.sampleCount,
                  sync.bandCount, static_cast<double>(seconds));
    c.text(8, 8, line, kText);
    drawLanes(c, f, layout, series);
    drawCuts(c, f, layout, sync);
    drawTimes(c, f, layout);
    if (!c.writePng(outPath.c_str())) {
        std::fprintf(stderr, "plot: cannot write %s\n", outPath.c_str());
        return 1;
    }
    std::printf("plot: %s -> %s (%d x %d)\n", syncPath.c_str(), outPath.c_str(), width, layout.height);
    return 0;
}

const tool::ToolCommand command{"plot", "draw a sync file's bands, beat pulses, camera cuts and scene bounds as a PNG", run};

}  // namespace
