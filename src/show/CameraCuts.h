// When the scenes that cut on the music cut their camera: a band of the sync data above a
// threshold, no sooner than a hold after the last cut. Shared with the tools that plot
// the cuts, so that a plot shows the cuts the show makes.
#pragma once

#include <cstdint>

#include "audio/SyncData.h"

namespace show {

// One band of the sync data sampled directly at t (no beat detection); 0 when the band
// is missing.
inline float bandValue(const SyncData& sync, unsigned band, float t) {
    return sync.tracks && static_cast<std::int32_t>(band) < sync.bandCount
               ? sync.tracks[band].sample(t)
               : 0.0f;
}

struct CameraCutRule {
    unsigned band;
    float threshold;
    float hold;  // seconds
};

constexpr CameraCutRule kDiscoCuts{2, 0.3f, 0.4f};
constexpr CameraCutRule kBoxRoomCuts{0, 0.2f, 0.5f};
constexpr CameraCutRule kEqualizerCuts{0, 0.2f, 0.5f};

inline bool cutDue(const SyncData& sync, const CameraCutRule& rule, float t, float lastCut) {
    return bandValue(sync, rule.band, t) > rule.threshold && static_cast<double>(t) - lastCut > rule.hold;
}

}  // namespace show
