#include "Master.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "TruePeak.h"
#include "Synth.h"

namespace assetgen {

LimiterStats limitMaster(std::vector<float>& left, std::vector<float>& right, const LimiterSettings& settings) {
    LimiterStats stats;
    const size_t n = std::min(left.size(), right.size());
    if (n == 0) return stats;
    const double ceiling = std::pow(10.0, settings.ceilingDb / 20.0);
    const size_t look = std::max<size_t>(1, static_cast<size_t>(settings.lookaheadSeconds * kSampleRate));

    // The gain each sample needs on its own, from the louder channel's true peak.
    const std::vector<float> envL = truePeakEnvelope(left), envR = truePeakEnvelope(right);
    std::vector<double> need(n);
    for (size_t i = 0; i < n; ++i) {
        const double peak = std::max(envL[i], envR[i]);
        need[i] = peak > ceiling ? ceiling / peak : 1.0;
    }
    // Hold: at each sample the smallest need of the next `look` samples (a running minimum).
    std::vector<double> held(n);
    std::deque<size_t> window;  // indices of increasing need
    for (size_t j = n; j-- > 0;) {
        while (!window.empty() && need[window.back()] >= need[j]) window.pop_back();
        window.push_back(j);
        while (window.front() >= j + look) window.pop_front();
        held[j] = need[window.front()];
    }
    // Release: the gain rises back smoothly but never above what the hold allows.
    const double rise = 1.0 - std::exp(-1.0 / (settings.releaseSeconds * kSampleRate));
    double g = 1.0;
    for (size_t i = 0; i < n; ++i) {
        g = std::min(held[i], g + (1.0 - g) * rise);
        held[i] = g;
    }
    // Attack: a moving average over the look-ahead. Every sample it averages holds at most
    // the need of the peak ahead, so the smoothed gain is down in time.
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sum += held[i];
        if (i >= look) sum -= held[i - look];
        // Before the first sample the average sees the first hold, which is no higher than
        // the need of any peak within the first look-ahead.
        const double smooth = i + 1 >= look ? sum / static_cast<double>(look)
                                            : (sum + static_cast<double>(look - i - 1) * held[0]) / static_cast<double>(look);
        const double gain = std::min(smooth, 1.0);
        left[i] = static_cast<float>(left[i] * gain);
        right[i] = static_cast<float>(right[i] * gain);
        if (gain < 0.999) stats.activeFraction += 1.0;  // more than 0.01 dB off
        stats.deepestDb = std::min(stats.deepestDb, 20.0 * std::log10(gain));
    }
    stats.activeFraction /= static_cast<double>(n);
    return stats;
}

MasterStats masterSong(std::vector<float>& left, std::vector<float>& right, const MasterSettings& settings) {
    MasterStats stats;
    const size_t n = std::min(left.size(), right.size());
    const double shelf = std::pow(10.0, settings.lowShelfDb / 20.0) - 1.0;
    const double drive = std::pow(10.0, settings.driveDb / 20.0);
    const double top = std::pow(10.0, settings.clipDb / 20.0), knee = 0.7 * top;
    const double a = 1.0 - std::exp(-2.0 * 3.14159265358979323846 * settings.lowShelfHz / kSampleRate);
    long bent = 0;
    for (std::vector<float>* ch : {&left, &right}) {
        double low = 0.0;
        for (size_t i = 0; i < n; ++i) {
            double x = (*ch)[i];
            low += a * (x - low);  // one-pole low pass: the part the shelf lifts
            x = (x + shelf * low) * drive;
            const double m = std::fabs(x);
            if (m > knee) {
                x = std::copysign(knee + (top - knee) * std::tanh((m - knee) / (top - knee)), x);
                ++bent;
            }
            (*ch)[i] = static_cast<float>(x);
        }
    }
    stats.clippedFraction = n ? static_cast<double>(bent) / (2.0 * static_cast<double>(n)) : 0.0;
    stats.limiter = limitMaster(left, right, settings.limiter);
    return stats;
}

}  // namespace assetgen
