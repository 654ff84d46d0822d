// Verbose report on the sync bands: the numbers that tell whether the mix drives the
// scenes (camera cuts on band 0 and band 2, beat pulses on the band sum and on each band).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Arrangement.h"
#include "SyncFile.h"

namespace assetgen {

namespace {

const char* sectionName(Section s) {
    switch (s) {
        case Section::Intro: return "intro";
        case Section::Disco: return "disco";
        case Section::Tunnel: return "tunnel";
        case Section::BoxRoom: return "boxroom";
        case Section::Equalizer: return "equalizer";
        case Section::Finale: return "finale";
    }
    return "?";
}

// Linear interpolation between keys, holding the last key, as the player samples tracks.
float sampleBand(const std::vector<SyncRecord>& r, int band, double t) {
    if (r.empty()) return 0.0f;
    const double pos = std::max(0.0, t * kSyncRate);
    const size_t k = static_cast<size_t>(pos);
    if (k + 1 >= r.size()) return r.back()[band];
    const float f = static_cast<float>(pos - k);
    return r[k][band] + (r[k + 1][band] - r[k][band]) * f;
}

float sampleSum(const std::vector<SyncRecord>& r, double t) {
    float sum = 0.0f;
    for (int j = 0; j < kSyncBands; ++j) sum += sampleBand(r, j, t);
    return sum;
}

struct Latch {
    float peak = 0, time = 0;
    int count = 0;
    int onsets = 0;  // latches more than 0.15 s after the previous one: separate beats
    float step(float v, double t, float decay, float threshold) {
        const float decayed = peak - static_cast<float>(t - time) * decay;
        if (v > decayed + threshold) {
            if (count == 0 || t - time > 0.15) ++onsets;
            peak = v;
            time = static_cast<float>(t);
            ++count;
            return v;
        }
        return decayed;
    }
};

// Camera cuts: value above the level and more than minGap seconds since the last cut.
int countCuts(const std::vector<SyncRecord>& r, int band, float level, double minGap, double from, double to) {
    int cuts = 0;
    double last = from;
    for (double t = from; t < to; t += 1.0 / 60.0)
        if (sampleBand(r, band, t) > level && t - last > minGap) {
            ++cuts;
            last = t;
        }
    return cuts;
}

}  // namespace

void printSyncStatistics(const std::vector<SyncRecord>& r) {
    const double end = r.size() / static_cast<double>(kSyncRate);
    std::printf("  %-9s %5s %9s %9s %9s %8s %8s %6s %6s\n", "section", "beats", "b0>0.2@hit", "b0 mid", "b0>0.2mid",
                "b2 max", "b2>0.3", "cut0", "cut2");
    for (const Segment& s : songSegments()) {
        int beats = 0, hits = 0, midHigh = 0;
        double midSum = 0.0;
        int midCount = 0;
        for (int b = 0; b < s.beats; ++b) {
            const double t = s.beatTime(b);
            if (t < 0.0 || t + kBeatSeconds > end) continue;
            ++beats;
            float best = 0.0f;
            for (double u = t; u < t + 0.12; u += 1.0 / kSyncRate) best = std::max(best, sampleBand(r, 0, u));
            hits += best > 0.2f;
            float mid = 0.0f;
            for (double u = t + 0.3 * kBeatSeconds; u < t + 0.8 * kBeatSeconds; u += 1.0 / kSyncRate) {
                const float v = sampleBand(r, 0, u);
                mid = std::max(mid, v);
                midSum += v;
                ++midCount;
            }
            midHigh += mid > 0.2f;
        }
        const double from = std::max(0.0, s.start), to = std::min(end, s.beatTime(s.beats));
        float b2max = 0.0f;
        int b2over = 0;
        for (double t = from; t < to; t += 1.0 / kSyncRate) {
            const float v = sampleBand(r, 2, t);
            b2max = std::max(b2max, v);
            b2over += v > 0.3f;
        }
        std::printf("  %-9s %5d %9.2f %9.3f %9.2f %8.3f %8d %6d %6d\n", sectionName(s.section), beats,
                    beats ? static_cast<double>(hits) / beats : 0.0, midCount ? midSum / midCount : 0.0,
                    beats ? static_cast<double>(midHigh) / beats : 0.0, b2max, b2over,
                    countCuts(r, 0, 0.2f, 0.5, from, to), countCuts(r, 2, 0.3f, 0.4, from, to));
    }

    // Beat pulses as the scenes call them, at 60 frames per second, with the factor each
    // scene applies before clamping (the intro's flash is 5 p).
    struct PulseUse {
        const char* what;
        float decay, threshold, scale;
        double from, to;
    };
    const PulseUse uses[] = {
        {"intro flash 5p (0.23, 0.06)", 0.23f, 0.06f, 5.0f, 0.0, 29.2},
        {"intro dancer (0.4, 0.2)", 0.4f, 0.2f, 1.0f, 14.6, 29.2},
        {"box room (0.9, 0.1)", 0.9f, 0.1f, 1.0f, 73.6, 103.4},
        {"equalizer box (0.9, 0.1)", 0.9f, 0.1f, 1.0f, 103.4, 129.9},
    };
    for (const PulseUse& u : uses) {
        Latch latch;
        double sum = 0.0;
        int frames = 0, belowFull = 0;
        for (double t = u.from; t < u.to && t < end; t += 1.0 / 60.0) {
            const float v = std::clamp(u.scale * latch.step(sampleSum(r, t), t, u.decay, u.threshold), 0.0f, 1.0f);
            sum += v;
            belowFull += v < 0.9f;
            ++frames;
        }
        std::printf("  pulse %-28s onsets %4d (%.2f per beat), clamped mean %.3f, below 0.9 in %.0f%% of frames\n",
                    u.what, latch.onsets, latch.onsets * kBeatSeconds / (u.to - u.from), frames ? sum / frames : 0.0,
                    frames ? 100.0 * belowFull / frames : 0.0);
    }
    std::printf("  equalizer bar onsets (0.9, 0.2) per band:");
    for (int j = 0; j < kSyncBands; ++j) {
        Latch latch;
        float top = 0.0f;
        for (double t = 103.4; t < 129.9 && t < end; t += 1.0 / 60.0) {
            latch.step(sampleBand(r, j, t), t, 0.9f, 0.2f);
            top = std::max(top, sampleBand(r, j, t));
        }
        std::printf(" %d:%d(max %.2f)", j, latch.onsets, top);
    }
    std::printf("\n");
}

}  // namespace assetgen
