// The master bus: a stereo-linked look-ahead limiter whose detector sees the peaks between
// samples (4x oversampled), so that the encoded and decoded song stays under its ceiling
// without the hard clipping that a plain clipper leaves on every loud kick.
#pragma once

#include <vector>

namespace assetgen {

struct LimiterSettings {
    double ceilingDb = -2.2;          // true-peak ceiling before encoding, leaving room for the codec
    double lookaheadSeconds = 0.002;  // the gain is down by the time the peak arrives
    double releaseSeconds = 0.12;     // back to unity after a peak
};

struct LimiterStats {
    double activeFraction = 0.0;  // share of samples with gain more than 0.01 dB below 1
    double deepestDb = 0.0;       // the largest gain reduction (negative dB)
};

// The stages ahead of the limiter: a gentle low shelf that gives the kick and bass the weight
// the sync bands read (a low end that loudness meters hardly count), the drive into the
// chain, and a soft clipper that rounds the kicks' tips so the limiter has little to do.
struct MasterSettings {
    double lowShelfDb = 0.0;
    double lowShelfHz = 160.0;
    double driveDb = 0.0;
    double clipDb = -2.3;  // the soft clipper's largest output
    LimiterSettings limiter;
};

struct MasterStats {
    double clippedFraction = 0.0;  // share of samples the soft clipper bent
    LimiterStats limiter;
};

MasterStats masterSong(std::vector<float>& left, std::vector<float>& right, const MasterSettings& settings);

// Applies the limiter in place to both channels (offline: the look-ahead needs no delay).
LimiterStats limitMaster(std::vector<float>& left, std::vector<float>& right, const LimiterSettings& settings = {});

}  // namespace assetgen
