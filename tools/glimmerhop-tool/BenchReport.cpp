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

void DrawsResult::add(int scene, const char* effect, const char* technique, unsigned pass, double gpuMs,
                      double samples) {
    DrawCost* cost = nullptr;
    for (DrawCost& c : costs)
        if (c.scene == scene && c.pass == pass && c.effect == effect && c.technique == technique) {
            cost = &c;
            break;
        }
    if (!cost) {
        costs.push_back(DrawCost{scene, effect, technique, pass, 0, 0, 0});
        cost = &costs.back();
    }
    ++cost->draws;
    cost->gpuMs += gpuMs;
    cost->samples += samples;
}

std::vector<const DrawCost*> DrawsResult::dearest(std::size_t count) const {
    std::vector<const DrawCost*> order;
    for (const DrawCost& c : costs)
        if (frames[c.scene]) order.push_back(&c);
    auto perFrame = [&](const DrawCost* c) { return c->gpuMs / frames[c->scene]; };
    std::stable_sort(order.begin(), order.end(),
                     [&](const DrawCost* a, const DrawCost* b) { return perFrame(a) > perFrame(b); });
    if (order.size() > count) order.resize(count);
    return order;
}

double BenchResult::glMsAtDrawSize(int scene) const {
    for (unsigned k = 0; k < glSizeCount; ++k)
        if (glSizes[k][0] == draws.width && glSizes[k][1] == draws.height && !scenes[scene].glMs[k].empty())
            return scenes[scene].glMs[k].mean();
    return -1;
}

double BenchResult::pixelRatio(int scene) const {
    const double ms = glMsAtDrawSize(scene);
    if (ms < 0 || draws.msPerMpixel <= 0 || !draws.frames[scene]) return -1;
    double samples = 0;
    for (const DrawCost& c : draws.costs)
        if (c.scene == scene) samples += c.samples;
    const double mpixels = samples / draws.frames[scene] / 1e6;
    return mpixels > 0 ? ms / (mpixels * draws.msPerMpixel) : -1;
}

namespace {
void printDraws(std::FILE* out, const BenchResult& r) {
    const DrawsResult& d = r.draws;
    std::fprintf(out, "\ndraw calls at %ux%u (GPU time from timer queries, pixels from samples-passed queries):\n",
                 d.width, d.height);
    std::fprintf(out, "%-14s %7s %10s %12s %12s %10s %7s\n", "scene", "frames", "draws/fr", "GPU ms/fr", "Mpixels/fr",
                 "GL ms/fr", "ratio");
    for (int i = 0; i < 6; ++i) {
        if (!d.frames[i]) continue;
        unsigned long draws = 0;
        double ms = 0, samples = 0;
        for (const DrawCost& c : d.costs)
            if (c.scene == i) draws += c.draws, ms += c.gpuMs, samples += c.samples;
        const double n = d.frames[i];
        std::fprintf(out, "%-14s %7u %10.1f %12.3f %12.3f %10.2f %7.2f\n", r.scenes[i].name, d.frames[i], draws / n,
                     ms / n, samples / n / 1e6, r.glMsAtDrawSize(i), r.pixelRatio(i));
    }
    if (d.msPerMpixel > 0)
        std::fprintf(out, "(a pixel here: %.2f ms per Mpixel, from full-screen layers of a textured, blended draw;\n"
                          " ratio: GL ms per frame over covered Mpixels times that, 1 = the pixels' own cost)\n",
                     d.msPerMpixel);
    std::fprintf(out, "\nthe twenty dearest by scene, effect, technique and pass (per frame of the scene):\n");
    std::fprintf(out, "%-14s %-14s %-22s %4s %8s %10s %10s %11s\n", "scene", "effect", "technique", "pass",
                 "draws", "GPU ms", "us/draw", "Mpixels");
    for (const DrawCost* c : d.dearest(20)) {
        const double n = d.frames[c->scene];
        std::fprintf(out, "%-14s %-14s %-22s %4u %8.1f %10.3f %10.1f %11.3f\n", r.scenes[c->scene].name,
                     c->effect.c_str(), c->technique.c_str(), c->pass, c->draws / n, c->gpuMs / n,
                     c->draws ? c->gpuMs * 1000.0 / c->draws : 0.0, c->samples / n / 1e6);
    }
}

void jsonString(std::FILE* out, const std::string& text) {
    std::fputc('"', out);
    for (char c : text) {
        if (c == '"' || c == '\\') std::fprintf(out, "\\%c", c);
        else if (static_cast<unsigned char>(c) < 0x20) std::fprintf(out, "\\u%04x", c);
        else std::fputc(c, out);
    }
    std::fputc('"', out);
}
}  // namespace

void printTable(std::FILE* out, const BenchResult& r) {
    std::fprintf(out, "%-14s %7s %9s %9s %9s %7s", "scene", "frames", "logic us", "median", "p99 us", "allocs");
    if (r.gl)
        for (unsigned s = 0; s < r.glSizeCount; ++s) {
            char head[32];
            std::snprintf(head, sizeof head, "%ux%u ms", r.glSizes[s][0], r.glSizes[s][1]);
            std::fprintf(out, " %14s %9s", head, "stream");
        }
    std::fputc('\n', out);
    for (const SceneBench& s : r.scenes) {
        // A span (--from, --to) leaves some scenes without frames.
        if (!s.logicFrames && s.glMs[0].empty()) continue;
        std::fprintf(out, "%-14s %7u %9.2f %9.2f %9.2f %7lu", s.name, s.logicFrames, s.logicUs.mean(),
                     s.logicUs.percentile(50), s.logicUs.percentile(99), s.allocsMax);
        if (r.gl)
            for (unsigned k = 0; k < r.glSizeCount; ++k)
                std::fprintf(out, " %14.2f %9.2f", s.glMs[k].mean(), s.glStreamMs[k]);
        std::fputc('\n', out);
    }
    std::fprintf(out, "(logic: mean, median and 99th percentile of renderFrame + Present on the\n"
                      " trace backend; a busy machine shows in the mean first)\n");
    if (r.gl)
        std::fprintf(out, "(GL ms: renderFrame + Present + read-back of every frame; stream: mean of\n"
                          " back-to-back frames with one read-back at the end of each scene's run)\n");
    if (r.gl) std::fprintf(out, "renderer: %s\n", r.renderer.c_str());
    if (!r.warning.empty()) std::fprintf(out, "%s\n", r.warning.c_str());
    if (r.draws.measured) printDraws(out, r);
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
        for (unsigned k = 0; k < r.glSizeCount; ++k) {
            std::fprintf(out, ", \"gl_ms_%ux%u\": ", r.glSizes[k][0], r.glSizes[k][1]);
            jsonNumber(out, s.glMs[k].mean(), r.gl && !s.glMs[k].empty());
        }
        std::fputc('}', out);
    }
    std::fputc(']', out);
    if (r.gl) {
        std::fputs(", \"renderer\": ", out);
        jsonString(out, r.renderer);
        std::fputs(", \"software_warning\": ", out);
        jsonString(out, r.warning);
    }
    if (r.draws.measured) {
        std::fprintf(out, ", \"ms_per_mpixel\": %.4f, \"pixel_ratio\": [", r.draws.msPerMpixel);
        for (int i = 0; i < 6; ++i) std::fprintf(out, "%s%.3f", i ? ", " : "", r.pixelRatio(i));
        std::fputs("]", out);
        std::fputs(", \"dearest_draws\": [", out);
        const char* comma = "";
        for (const DrawCost* c : r.draws.dearest(20)) {
            const double n = r.draws.frames[c->scene];
            std::fprintf(out, "%s{\"scene\": \"%s\", \"effect\": ", comma, r.scenes[c->scene].name);
            jsonString(out, c->effect);
            std::fputs(", \"technique\": ", out);
            jsonString(out, c->technique);
            std::fprintf(out, ", \"pass\": %u, \"draws_per_frame\": %.3f, \"gpu_ms_per_frame\": %.4f, "
                              "\"samples_per_frame\": %.0f}",
                         c->pass, c->draws / n, c->gpuMs / n, c->samples / n);
            comma = ", ";
        }
        std::fputc(']', out);
    }
    std::fputs(", \"load_ms\": {\"total\": ", out);
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
