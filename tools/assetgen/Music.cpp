// Pellmoor.mp3: the synthesised song, mastered through the look-ahead limiter and encoded
// at 192 kbit/s.
#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Arrangement.h"
#include "Loudness.h"
#include "Master.h"
#include "Mp3Encoder.h"
#include "Synth.h"
#include "Steps.h"

namespace assetgen {

bool generateMusic(const GenContext& ctx) {
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<float> left, right;
    SongStats stats;
    renderSong(left, right, &stats);
    // Tuned on the decoded MP3 (see `assetgen --verbose`): about -11 LUFS, true peak under
    // -1.5 dBTP, and the sync bands still cutting the cameras as often as before.
    MasterSettings master;
    master.lowShelfDb = 4.0;
    master.driveDb = -2.5;
    master.clipDb = -2.3;
    master.limiter.ceilingDb = -2.2;
    const MasterStats mastered = masterSong(left, right, master);
    const LimiterStats& limiter = mastered.limiter;
    const auto t1 = std::chrono::steady_clock::now();
    const std::vector<uint8_t> mp3 = encodeMp3(left, right, 192);
    const auto t2 = std::chrono::steady_clock::now();
    if (ctx.verbose) {
        std::printf("music: %.3f s of audio, synth and master %.2f s, encode %.2f s, %zu bytes\n",
                    left.size() / static_cast<double>(kSampleRate), std::chrono::duration<double>(t1 - t0).count(),
                    std::chrono::duration<double>(t2 - t1).count(), mp3.size());
        std::printf("music: soft clipper on %.2f%% of samples; limiter on %.2f%%, at most %.2f dB; mix section RMS",
                    mastered.clippedFraction * 100.0, limiter.activeFraction * 100.0, limiter.deepestDb);
        for (double r : stats.sectionRms) std::printf(" %.3f", r);
        std::printf("\n");
        printLoudness("music: master before encoding", measureLoudness(left, right, kSampleRate));
    }
    if (mp3.empty()) return false;
    return ctx.data.writeBytes("Pellmoor.mp3", mp3);
}

}  // namespace assetgen
