// The 512-sample FFT behind BASS_DATA_FFT512.
#include <cmath>

#include <kiss_fftr.h>

#include "platform/bass/spectrum.h"

namespace bass {
namespace {

struct FftPlan {
    kiss_fftr_cfg config = nullptr;
    float hann[kFftSize];

    FftPlan() {
        config = kiss_fftr_alloc(static_cast<int>(kFftSize), 0, nullptr, nullptr);
        // Periodic Hann: its mean is exactly 0.5, so a centred sine reads exactly half.
        for (std::size_t n = 0; n < kFftSize; ++n)
            hann[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(n) / kFftSize));
    }
    ~FftPlan() { kiss_fftr_free(config); }
};

const FftPlan& plan() {
    static const FftPlan instance;
    return instance;
}

}  // namespace

void spectrum512(const std::int16_t* stereoFrames, std::size_t frameCount, std::size_t positionFrame,
                 float out[kFftBins], bool hannWindow) {
    const FftPlan& p = plan();
    kiss_fft_scalar input[kFftSize];
    kiss_fft_cpx bins[kFftSize / 2 + 1];

    // Frames [positionFrame - 512, positionFrame): what has just been heard.
    for (std::size_t n = 0; n < kFftSize; ++n) {
        float v = 0.0f;
        if (positionFrame + n >= kFftSize) {
            std::size_t frame = positionFrame + n - kFftSize;
            if (stereoFrames && frame < frameCount) {
                float left = stereoFrames[2 * frame];
                float right = stereoFrames[2 * frame + 1];
                v = (left + right) * (0.5f / 32768.0f);
            }
        }
        input[n] = hannWindow ? v * p.hann[n] : v;
    }
    kiss_fftr(p.config, input, bins);
    const float scale = 2.0f / static_cast<float>(kFftSize);
    for (std::size_t k = 0; k < kFftBins; ++k)
        out[k] = std::sqrt(bins[k].r * bins[k].r + bins[k].i * bins[k].i) * scale;
}

}  // namespace bass
