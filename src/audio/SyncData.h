// The music's spectrum, sampled 30 times per second into one keyframe track per band,
// and the beat detector that turns the bands into pulses.
#pragma once

#include <cstdint>

#include "assets/tracks/Tracks.h"
#include "audio/MusicStream.h"

// The beat detector's latches: one for every SyncData::pulse call in the program, and one
// per band for SyncData::bandPulse. Program-wide, never reset.
struct BeatDetector {
    static constexpr int kBands = 8;
    float sharedPeak = 0.0f;
    float sharedTime = 0.0f;
    float bandPeaks[kBands] = {};
    float bandTimes[kBands] = {};
};

extern BeatDetector gBeatDetector;

class SyncData {
public:
    static constexpr int kMaxBands = 256;  // the spectrum has 256 bins
    static constexpr std::uint8_t kAllBands = 255;

    std::int32_t bandCount = 0;
    std::int32_t sampleCount = 0;
    FloatTrack* tracks = nullptr;  // bandCount tracks of sampleCount keys each

    SyncData() = default;
    SyncData(const SyncData&) = delete;
    SyncData& operator=(const SyncData&) = delete;
    ~SyncData() { release(); }

    // Reads a sync file: header (sample count, band count), then the values sample by
    // sample. A short file leaves the missing keys at 0.0; a header the file cannot stand
    // for is refused with a message box.
    bool load(const char* path);
    // Records the sync file by playing the music muted from its start to its end. The file
    // appears only once complete. True when it was written.
    bool capture(const char* path, MusicStream& music, int bands, float duration);
    // Loads the file, or records it and then loads what was recorded.
    void loadOrCapture(const char* path, MusicStream& music, int bands, float duration);
    void release();

    // A value that jumps on a beat and falls by decayRate per second until the next one.
    // band 255: the sum of all bands, else that band. One latch for every call.
    float pulse(float decayRate, float threshold, float t, std::uint8_t band) const;
    // The same for band 0..7, with a latch per band.
    float bandPulse(float decayRate, float threshold, float t, std::uint8_t band) const;

private:
    float bandValue(int band, float t) const;
};

// Records a capture takes for a music length (seconds) or, when not 0, a duration.
std::int32_t syncSampleCount(float lengthSeconds, float duration);
// Whether the capture's progress line is due at a position: whole centiseconds with none
// of the bits of 100 set.
bool syncProgressLineDue(float positionSeconds);
