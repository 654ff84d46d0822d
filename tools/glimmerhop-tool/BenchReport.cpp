#include "BenchReport.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

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

namespace {
using Json = nlohmann::ordered_json;

// A figure to `decimals` places, as the table gives it; a measurement that was not taken
// is null (JSON has no NaN or infinity either).
Json figure(double v, bool taken, int decimals = 3) {
    if (!taken || !std::isfinite(v)) return nullptr;
    const double scale = std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

Json sceneJson(const BenchResult& r, const SceneBench& s) {
    Json j;
    j["name"] = s.name;
    j["logic_us_mean"] = figure(s.logicUs.mean(), !s.logicUs.empty());
    j["logic_us_median"] = figure(s.logicUs.percentile(50), !s.logicUs.empty());
    j["logic_us_p99"] = figure(s.logicUs.percentile(99), !s.logicUs.empty());
    j["allocs_per_frame_max"] = s.allocsMax;
    for (unsigned k = 0; k < r.glSizeCount; ++k)
        j["gl_ms_" + std::to_string(r.glSizes[k][0]) + "x" + std::to_string(r.glSizes[k][1])] =
            figure(s.glMs[k].mean(), r.gl && !s.glMs[k].empty());
    return j;
}

Json dearestJson(const BenchResult& r) {
    Json list = Json::array();
    for (const DrawCost* c : r.draws.dearest(20)) {
        const double n = r.draws.frames[c->scene];
        list.push_back({{"scene", r.scenes[c->scene].name},
                        {"effect", c->effect},
                        {"technique", c->technique},
                        {"pass", c->pass},
                        {"draws_per_frame", figure(c->draws / n, true)},
                        {"gpu_ms_per_frame", figure(c->gpuMs / n, true, 4)},
                        {"samples_per_frame", figure(c->samples / n, true, 0)}});
    }
    return list;
}
}  // namespace

void printJson(std::FILE* out, const BenchResult& r) {
    Json j;
    j["scenes"] = Json::array();
    for (const SceneBench& s : r.scenes) j["scenes"].push_back(sceneJson(r, s));
    if (r.gl) {
        j["renderer"] = r.renderer;
        j["software_warning"] = r.warning;
    }
    if (r.draws.measured) {
        j["ms_per_mpixel"] = figure(r.draws.msPerMpixel, true, 4);
        Json ratios = Json::array();
        for (int i = 0; i < 6; ++i) ratios.push_back(figure(r.pixelRatio(i), true));
        j["pixel_ratio"] = ratios;
        j["dearest_draws"] = dearestJson(r);
    }
    Json& load = j["load_ms"];
    load["total"] = figure(r.loadTotalMs(), true);
    for (const LoadStep& s : r.load) {
        std::string key = s.kind;
        std::replace(key.begin(), key.end(), ' ', '_');
        load[key] = figure(s.ms, true);
    }
    // Names come from effect files: bytes that are not UTF-8 are replaced, not fatal.
    const std::string text = j.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::fprintf(out, "%s\n", text.c_str());
}

}  // namespace tool
