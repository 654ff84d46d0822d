#include "Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assetgen {

namespace {

double toDb(double linear) { return linear > 0.0 ? 20.0 * std::log10(linear) : -200.0; }

}  // namespace

LoudnessFigures measureLoudness(const std::vector<float>& left, const std::vector<float>& right, int rate) {
    LoudnessFigures f;
    const size_t n = std::min(left.size(), right.size());
    if (n == 0 || rate <= 0) return f;
    ebur128_state* meter = ebur128_init(2, static_cast<unsigned long>(rate),
                                        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK);
    if (!meter) return f;
    std::vector<float> frames(2 * n);
    for (size_t i = 0; i < n; ++i) {
        frames[2 * i] = left[i];
        frames[2 * i + 1] = right[i];
        f.fullScaleSamples += (std::fabs(left[i]) >= 32767.0f / 32768.0f) + (std::fabs(right[i]) >= 32767.0f / 32768.0f);
    }
    double integrated = 0.0, range = 0.0;
    if (ebur128_add_frames_float(meter, frames.data(), n) == EBUR128_SUCCESS &&
        ebur128_loudness_global(meter, &integrated) == EBUR128_SUCCESS &&
        ebur128_loudness_range(meter, &range) == EBUR128_SUCCESS) {
        // Silence measures minus infinity; the meters' floor is -70.
        f.integratedLufs = std::isfinite(integrated) ? integrated : -70.0;
        f.rangeLu = range;
    }
    for (unsigned channel = 0; channel < 2; ++channel) {
        double truePeak = 0.0, samplePeak = 0.0;
        if (ebur128_true_peak(meter, channel, &truePeak) == EBUR128_SUCCESS)
            f.truePeakDb = std::max(f.truePeakDb, toDb(truePeak));
        if (ebur128_sample_peak(meter, channel, &samplePeak) == EBUR128_SUCCESS)
            f.samplePeakDb = std::max(f.samplePeakDb, toDb(samplePeak));
    }
    ebur128_destroy(&meter);
    return f;
}

LoudnessFigures measureLoudness(const std::vector<int16_t>& stereo, int rate) {
    std::vector<float> left(stereo.size() / 2), right(stereo.size() / 2);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = stereo[2 * i] / 32768.0f;
        right[i] = stereo[2 * i + 1] / 32768.0f;
    }
    return measureLoudness(left, right, rate);
}

void printLoudness(const char* what, const LoudnessFigures& f) {
    std::printf("%s: integrated %.1f LUFS, range %.1f LU, true peak %.2f dBTP, sample peak %.2f dBFS, "
                "%ld samples at full scale\n",
                what, f.integratedLufs, f.rangeLu, f.truePeakDb, f.samplePeakDb, f.fullScaleSamples);
}

}  // namespace assetgen
