#include "Loudness.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assetgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTaps = 12;  // per interpolated phase: six input samples on either side

struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;
    double process(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two K-weighting stages, derived for any sample rate from their analogue prototypes
// (a high shelf of +4 dB above about 1.7 kHz, then a high pass at about 38 Hz).
void kWeighting(int rate, Biquad& shelf, Biquad& highPass) {
    {
        const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
        const double k = std::tan(kPi * f0 / rate);
        const double vh = std::pow(10.0, gainDb / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1.0 + k / q + k * k;
        shelf.b0 = (vh + vb * k / q + k * k) / a0;
        shelf.b1 = 2.0 * (k * k - vh) / a0;
        shelf.b2 = (vh - vb * k / q + k * k) / a0;
        shelf.a1 = 2.0 * (k * k - 1.0) / a0;
        shelf.a2 = (1.0 - k / q + k * k) / a0;
    }
    {
        const double f0 = 38.13547087602444, q = 0.5003270373238773;
        const double k = std::tan(kPi * f0 / rate);
        const double a0 = 1.0 + k / q + k * k;
        highPass.b0 = 1.0;
        highPass.b1 = -2.0;
        highPass.b2 = 1.0;
        highPass.a1 = 2.0 * (k * k - 1.0) / a0;
        highPass.a2 = (1.0 - k / q + k * k) / a0;
    }
}

double toLufs(double meanSquare) { return meanSquare > 0.0 ? -0.691 + 10.0 * std::log10(meanSquare) : -200.0; }

// Mean squares (left plus right) of windows of `length` samples every `step` samples.
std::vector<double> windowPowers(const std::vector<double>& power, size_t length, size_t step) {
    std::vector<double> out;
    if (power.size() < length || length == 0) return out;
    std::vector<double> prefix(power.size() + 1, 0.0);
    for (size_t i = 0; i < power.size(); ++i) prefix[i + 1] = prefix[i] + power[i];
    for (size_t at = 0; at + length <= power.size(); at += step)
        out.push_back((prefix[at + length] - prefix[at]) / static_cast<double>(length));
    return out;
}

double gatedMean(const std::vector<double>& powers, double belowLu, std::vector<double>* kept) {
    double sum = 0.0;
    size_t n = 0;
    for (double p : powers)
        if (toLufs(p) > -70.0) sum += p, ++n;
    if (n == 0) return 0.0;
    const double gate = toLufs(sum / static_cast<double>(n)) - belowLu;
    sum = 0.0;
    n = 0;
    for (double p : powers)
        if (toLufs(p) > -70.0 && toLufs(p) > gate) {
            sum += p;
            ++n;
            if (kept) kept->push_back(toLufs(p));
        }
    return n ? sum / static_cast<double>(n) : 0.0;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const double at = p * static_cast<double>(v.size() - 1);
    const size_t i = static_cast<size_t>(at);
    const double f = at - static_cast<double>(i);
    return i + 1 < v.size() ? v[i] + (v[i + 1] - v[i]) * f : v[i];
}

// Blackman-windowed sinc coefficients for the points 1/4, 2/4 and 3/4 of the way from
// sample n to sample n + 1, over samples n - 5 ... n + 6.
struct Interpolator {
    double c[3][kTaps];
    Interpolator() {
        for (int p = 1; p <= 3; ++p) {
            double sum = 0.0;
            for (int k = 0; k < kTaps; ++k) {
                const double x = (k - (kTaps / 2 - 1)) - p / 4.0;  // tap offset from the point
                const double sinc = std::sin(kPi * x) / (kPi * x);
                const double w = (x + kTaps / 2.0) / kTaps;         // 0..1 across the span
                const double window = 0.42 - 0.5 * std::cos(2 * kPi * w) + 0.08 * std::cos(4 * kPi * w);
                c[p - 1][k] = sinc * window;
                sum += c[p - 1][k];
            }
            for (double& v : c[p - 1]) v /= sum;  // unity gain at DC
        }
    }
};

}  // namespace

std::vector<float> truePeakEnvelope(const std::vector<float>& x) {
    static const Interpolator interp;
    const long n = static_cast<long>(x.size());
    std::vector<float> env(x.size(), 0.0f);
    auto at = [&](long i) { return i >= 0 && i < n ? static_cast<double>(x[i]) : 0.0; };
    for (long i = 0; i < n; ++i) {
        double peak = std::fabs(at(i));
        for (int p = 0; p < 3; ++p) {
            double y = 0.0;
            for (int k = 0; k < kTaps; ++k) y += interp.c[p][k] * at(i - 1 - (kTaps / 2 - 1) + k);
            peak = std::max(peak, std::fabs(y));
        }
        env[static_cast<size_t>(i)] = static_cast<float>(peak);
    }
    return env;
}

LoudnessFigures measureLoudness(const std::vector<float>& left, const std::vector<float>& right, int rate) {
    LoudnessFigures f;
    const size_t n = std::min(left.size(), right.size());
    if (n == 0 || rate <= 0) return f;
    std::vector<double> power(n, 0.0);
    double samplePeak = 0.0;
    for (const std::vector<float>* ch : {&left, &right}) {
        Biquad shelf, highPass;
        kWeighting(rate, shelf, highPass);
        for (size_t i = 0; i < n; ++i) {
            const double s = (*ch)[i];
            const double y = highPass.process(shelf.process(s));
            power[i] += y * y;
            samplePeak = std::max(samplePeak, std::fabs(s));
            f.fullScaleSamples += std::fabs(s) >= 32767.0 / 32768.0;
        }
        for (float v : truePeakEnvelope(std::vector<float>(ch->begin(), ch->begin() + static_cast<long>(n))))
            f.truePeakDb = std::max(f.truePeakDb, v > 0.0f ? 20.0 * std::log10(v) : -200.0);
    }
    f.samplePeakDb = samplePeak > 0.0 ? 20.0 * std::log10(samplePeak) : -200.0;

    const size_t step = static_cast<size_t>(rate) / 10;
    const std::vector<double> blocks = windowPowers(power, static_cast<size_t>(rate) * 4 / 10, step);
    const double integrated = gatedMean(blocks, 10.0, nullptr);
    f.integratedLufs = integrated > 0.0 ? toLufs(integrated) : -70.0;

    std::vector<double> shortTerm;
    gatedMean(windowPowers(power, static_cast<size_t>(rate) * 3, step), 20.0, &shortTerm);
    f.rangeLu = percentile(shortTerm, 0.95) - percentile(shortTerm, 0.10);
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
