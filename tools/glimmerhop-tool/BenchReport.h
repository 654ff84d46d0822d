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

struct BenchResult {
    SceneBench scenes[6];
    std::vector<LoadStep> load;  // summed by kind, in first-seen order; "fade" excluded
    const char* loadBackend = "";
    unsigned glSizes[2][2] = {{640, 480}, {1280, 720}};
    bool gl = true;
    double loadTotalMs() const;
};

void printTable(std::FILE* out, const BenchResult& result);
void printJson(std::FILE* out, const BenchResult& result);

}  // namespace tool
