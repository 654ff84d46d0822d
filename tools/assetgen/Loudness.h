// Loudness and peak figures of a stereo signal, measured the way broadcast meters do
// (ITU-R BS.1770 K-weighted, gated loudness; EBU Tech 3342 loudness range; 4x oversampled
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

// The largest magnitude of the signal between its samples, estimated at 4x the sample rate
// (one value per input sample: the peak over the interval that ends at it).
std::vector<float> truePeakEnvelope(const std::vector<float>& x);

void printLoudness(const char* what, const LoudnessFigures& f);

}  // namespace assetgen
