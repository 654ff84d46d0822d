// Pellmoor.mp3: the synthesised song, encoded at 192 kbit/s.
#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Arrangement.h"
#include "Mp3Encoder.h"
#include "Synth.h"
#include "Steps.h"

namespace assetgen {

bool generateMusic(const GenContext& ctx) {
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<float> left, right;
    SongStats stats;
    renderSong(left, right, &stats);
    const auto t1 = std::chrono::steady_clock::now();
    const std::vector<uint8_t> mp3 = encodeMp3(left, right, 192);
    const auto t2 = std::chrono::steady_clock::now();
    if (ctx.verbose) {
        float peak = 0.0f;
        for (size_t i = 0; i < left.size(); ++i) peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        std::printf("music: %.3f s of audio, peak %.3f, synth %.2f s, encode %.2f s, %zu bytes\n",
                    left.size() / static_cast<double>(kSampleRate), peak,
                    std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count(),
                    mp3.size());
        std::printf("music: limiter active on %.4f%% of samples; section RMS", stats.limitedFraction * 100.0);
        for (double r : stats.sectionRms) std::printf(" %.3f", r);
        std::printf("\n");
    }
    if (mp3.empty()) return false;
    return ctx.data.writeBytes("Pellmoor.mp3", mp3);
}

}  // namespace assetgen
