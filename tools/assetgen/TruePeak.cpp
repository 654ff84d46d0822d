#include "TruePeak.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace assetgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTaps = 12;  // per interpolated phase: six input samples on either side

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

}  // namespace assetgen
