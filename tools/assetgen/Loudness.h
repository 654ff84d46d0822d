// Loudness and peak figures of a stereo signal, measured by libebur128 the way broadcast
// meters do (ITU-R BS.1770 gated loudness, EBU Tech 3342 loudness range, oversampled
// true peak), so that a change to the music shows what it does to the master.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

struct LoudnessFigures {
    double integratedLufs = -70.0;
    double rangeLu = 0.0;
    double truePeakDb = -200.0;    // dBTP
    double samplePeakDb = -200.0;  // dBFS
    long fullScaleSamples = 0;     // samples at or beyond full scale (clipped)
};

// Interleaved stereo 16-bit samples, as decoded from the MP3.
LoudnessFigures measureLoudness(const std::vector<int16_t>& stereo, int rate);
// Two float channels in -1..1.
LoudnessFigures measureLoudness(const std::vector<float>& left, const std::vector<float>& right, int rate);

void printLoudness(const char* what, const LoudnessFigures& f);

}  // namespace assetgen
