// The song: a four-on-the-floor track in A minor at 129.7 BPM whose sections begin where
// the show's scenes change. Each section keeps its own beat grid so that its first
// downbeat lands exactly on the scene change.
#pragma once

#include <vector>

namespace assetgen {

constexpr double kBeatSeconds = 0.4625;   // 129.73 BPM: 64 beats span a 29.6 s scene
constexpr double kSongSeconds = 159.5;    // the show's last scene ends at 160 s
constexpr double kFinalFadeSeconds = 2.0;

enum class Section { Intro, Disco, Tunnel, BoxRoom, Equalizer, Finale };

struct Segment {
    Section section;
    double start;  // music time of beat 0 (the intro's beat 0 lies just before the file starts)
    int beats;
    double beatTime(double beat) const { return start + beat * kBeatSeconds; }
};

const std::vector<Segment>& songSegments();

// Level report of a render, for tuning the mix.
struct SongStats {
    double sectionRms[6] = {};         // per section, in segment order
};

// Renders the whole song's mix, before mastering, as stereo float samples at 44.1 kHz;
// its peaks may pass 1.0 (the master limiter brings them down).
void renderSong(std::vector<float>& left, std::vector<float>& right, SongStats* stats = nullptr);

}  // namespace assetgen
