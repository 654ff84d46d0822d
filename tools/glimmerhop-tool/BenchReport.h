// What `glimmerhop-tool bench` measures, and how it prints it (a table or JSON).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tool {

// Per-frame samples of one scene, in milliseconds or microseconds as the caller chooses.
struct Samples {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    bool empty() const { return values.empty(); }
    double mean() const;
    // The smallest sample that at least p percent of the samples do not exceed.
    double percentile(double p) const;
};

struct SceneBench {
    const char* name = "";
    unsigned logicFrames = 0;
    Samples logicUs;               // renderFrame + Present on the trace backend, no output
    unsigned long allocsMax = 0;   // heap allocations of the worst frame after loading
    unsigned long allocsTotal = 0;
    // Headless GL, per size: with a read-back after every frame (as a capture does), and
    // the frame rate of back-to-back frames with one read-back at the end.
    Samples glMs[2];
    double glStreamMs[2] = {-1, -1};
};

struct LoadStep {
    std::string kind;
    double ms = 0;
};

// The GPU cost of the draws of one effect pass in one scene, summed over the frames the
// draws pass played.
struct DrawCost {
    int scene = 0;
    std::string effect, technique;
    unsigned pass = 0;
    unsigned long draws = 0;
    double gpuMs = 0;
    double samples = 0;  // pixels (samples) that passed the depth and stencil tests
};

struct DrawsResult {
    bool measured = false;
    unsigned width = 0, height = 0;
    unsigned frames[6] = {};       // frames played per scene
    std::vector<DrawCost> costs;  // every scene, effect, technique and pass seen
    // This machine's cost of a pixel at this size (BenchPixelCost.h); negative: unknown.
    double msPerMpixel = -1;
    // Adds one draw call's cost.
    void add(int scene, const char* effect, const char* technique, unsigned pass, double gpuMs, double samples);
    // The `count` dearest entries by GPU time per frame of their scene, dearest first.
    std::vector<const DrawCost*> dearest(std::size_t count) const;
};

struct BenchResult {
    SceneBench scenes[6];
    std::vector<LoadStep> load;  // summed by kind, in first-seen order; "fade" excluded
    const char* loadBackend = "";
    unsigned glSizes[2][2] = {{640, 480}, {1280, 720}};
    unsigned glSizeCount = 2;
    bool gl = true;
    std::string renderer;  // GL_RENDERER and the rest, as rendererLine gives it
    std::string warning;   // software rendering although hardware is there
    DrawsResult draws;
    double loadTotalMs() const;
    // A scene's GL time per frame over what its covered pixels cost on this machine:
    // 1 when every draw costs just its pixels. Negative when not measured.
    double pixelRatio(int scene) const;
    // GL milliseconds per frame of a scene at the draws' size; negative when not measured.
    double glMsAtDrawSize(int scene) const;
};

void printTable(std::FILE* out, const BenchResult& result);
void printJson(std::FILE* out, const BenchResult& result);

}  // namespace tool
