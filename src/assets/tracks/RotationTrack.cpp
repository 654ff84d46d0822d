#include <utility>

#include "assets/tracks/TrackKeys.h"
#include "assets/tracks/Tracks.h"

RotationTrack::RotationTrack(RotationTrack&& other) noexcept
    : count(std::exchange(other.count, 0)), keys(std::exchange(other.keys, nullptr)) {}

RotationTrack& RotationTrack::operator=(RotationTrack&& other) noexcept {
    if (this != &other) {
        release();
        count = std::exchange(other.count, 0);
        keys = std::exchange(other.keys, nullptr);
    }
    return *this;
}

bool RotationTrack::readFrom(std::FILE* stream, std::uint32_t n) {
    // Loaded once on a fresh track; earlier keys are freed rather than leaked.
    release();
    return tracks::readTrack(stream, n, count, keys);
}

D3DXQUATERNION RotationTrack::sample(float t) const {
    if (count == 0) return D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
    const tracks::KeyPosition at = tracks::locate(t, count);
    if (!at.blend) return keys[count - 1];
    D3DXQUATERNION q;
    D3DXQuaternionSlerp(&q, &keys[at.index], &keys[at.index + 1], at.fraction);
    return q;
}

void RotationTrack::release() { tracks::freeKeys(count, keys); }
