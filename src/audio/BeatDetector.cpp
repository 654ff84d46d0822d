// Beat pulses: latch a value that rises above the falling envelope by more than a threshold.
#include "audio/SyncData.h"

BeatDetector gBeatDetector;

float SyncData::bandValue(int band, float t) const {
    // Bands that were never loaded (a capture run, or beyond the file's bands) read as 0.
    if (band < 0 || band >= bandCount || !tracks) return 0.0f;
    return tracks[band].sample(t);
}

float SyncData::pulse(float decayRate, float threshold, float t, std::uint8_t band) const {
    BeatDetector& d = gBeatDetector;
    const float decayed = d.sharedPeak - (t - d.sharedTime) * decayRate;
    float v = 0.0f;
    if (band == kAllBands) {
        for (int j = 0; j < bandCount && tracks; ++j) v += tracks[j].sample(t);
    } else {
        v = bandValue(band, t);
    }
    if (v > decayed + threshold) {
        d.sharedPeak = v;
        d.sharedTime = t;
        return v;
    }
    return decayed;
}

float SyncData::bandPulse(float decayRate, float threshold, float t, std::uint8_t band) const {
    if (band >= BeatDetector::kBands) return 0.0f;
    BeatDetector& d = gBeatDetector;
    const float decayed = d.bandPeaks[band] - (t - d.bandTimes[band]) * decayRate;
    const float v = bandValue(band, t);
    if (v > decayed + threshold) {
        d.bandPeaks[band] = v;
        d.bandTimes[band] = t;
        return v;
    }
    return decayed;
}
