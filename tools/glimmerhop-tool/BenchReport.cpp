#include "BenchReport.h"

#include <algorithm>
#include <cmath>

namespace tool {

double Samples::mean() const {
    if (values.empty()) return 0;
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

double Samples::percentile(double p) const {
    if (values.empty()) return 0;
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const double rank = std::ceil(p / 100.0 * static_cast<double>(sorted.size()));
    const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    return sorted[std::min(index, sorted.size() - 1)];
}

double BenchResult::loadTotalMs() const {
    double total = 0;
    for (const LoadStep& s : load) total += s.ms;
    return total;
}

namespace {
// JSON has no NaN or infinity; a measurement that was not taken is null.
void jsonNumber(std::FILE* out, double v, bool taken) {
    if (taken && std::isfinite(v)) std::fprintf(out, "%.3f", v);
    else std::fputs("null", out);
}
}  // namespace

void printTable(std::FILE* out, const BenchResult& r) {
    std::fprintf(out, "%-14s %7s %9s %9s %9s %7s", "scene", "frames", "logic us", "median", "p99 us", "allocs");
    if (r.gl)
        for (int s = 0; s < 2; ++s) {
            char head[32];
            std::snprintf(head, sizeof head, "%ux%u ms", r.glSizes[s][0], r.glSizes[s][1]);
            std::fprintf(out, " %14s %9s", head, "stream");
        }
    std::fputc('\n', out);
    for (const SceneBench& s : r.scenes) {
        std::fprintf(out, "%-14s %7u %9.2f %9.2f %9.2f %7lu", s.name, s.logicFrames, s.logicUs.mean(),
                     s.logicUs.percentile(50), s.logicUs.percentile(99), s.allocsMax);
        if (r.gl)
            for (int k = 0; k < 2; ++k) std::fprintf(out, " %14.2f %9.2f", s.glMs[k].mean(), s.glStreamMs[k]);
        std::fputc('\n', out);
    }
    std::fprintf(out, "(logic: mean, median and 99th percentile of renderFrame + Present on the\n"
                      " trace backend; a busy machine shows in the mean first)\n");
    if (r.gl)
        std::fprintf(out, "(GL ms: renderFrame + Present + read-back of every frame; stream: mean of\n"
                          " back-to-back frames with one read-back at the end of each scene's run)\n");
    std::fprintf(out, "\nloading (%s backend, without the fade): %.1f ms\n", r.loadBackend, r.loadTotalMs());
    for (const LoadStep& s : r.load) std::fprintf(out, "  %-15s %9.1f ms\n", s.kind.c_str(), s.ms);
}

void printJson(std::FILE* out, const BenchResult& r) {
    std::fputs("{\"scenes\": [", out);
    for (int i = 0; i < 6; ++i) {
        const SceneBench& s = r.scenes[i];
        std::fprintf(out, "%s{\"name\": \"%s\", \"logic_us_mean\": ", i ? ", " : "", s.name);
        jsonNumber(out, s.logicUs.mean(), !s.logicUs.empty());
        std::fputs(", \"logic_us_median\": ", out);
        jsonNumber(out, s.logicUs.percentile(50), !s.logicUs.empty());
        std::fputs(", \"logic_us_p99\": ", out);
        jsonNumber(out, s.logicUs.percentile(99), !s.logicUs.empty());
        std::fprintf(out, ", \"allocs_per_frame_max\": %lu", s.allocsMax);
        for (int k = 0; k < 2; ++k) {
            std::fprintf(out, ", \"gl_ms_%ux%u\": ", r.glSizes[k][0], r.glSizes[k][1]);
            jsonNumber(out, s.glMs[k].mean(), r.gl && !s.glMs[k].empty());
        }
        std::fputc('}', out);
    }
    std::fputs("], \"load_ms\": {\"total\": ", out);
    jsonNumber(out, r.loadTotalMs(), true);
    for (const LoadStep& s : r.load) {
        std::string key = s.kind;
        std::replace(key.begin(), key.end(), ' ', '_');
        std::fprintf(out, ", \"%s\": ", key.c_str());
        jsonNumber(out, s.ms, true);
    }
    std::fputs("}}\n", out);
}

}  // namespace tool
