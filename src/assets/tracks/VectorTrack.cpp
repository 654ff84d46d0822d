#include <utility>

#include "assets/tracks/TrackKeys.h"
#include "assets/tracks/Tracks.h"

VectorTrack::VectorTrack(VectorTrack&& other) noexcept
    : count(std::exchange(other.count, 0)), keys(std::exchange(other.keys, nullptr)) {}

VectorTrack& VectorTrack::operator=(VectorTrack&& other) noexcept {
    if (this != &other) {
        release();
        count = std::exchange(other.count, 0);
        keys = std::exchange(other.keys, nullptr);
    }
    return *this;
}

bool VectorTrack::readFrom(std::FILE* stream, std::uint32_t n) {
    // Loaded once on a fresh track; earlier keys are freed rather than leaked.
    release();
    return tracks::readTrack(stream, n, count, keys);
}

D3DXVECTOR3 VectorTrack::sample(float t) const {
    if (count == 0) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    const tracks::KeyPosition at = tracks::locate(t, count);
    if (!at.blend) return keys[count - 1];
    const D3DXVECTOR3& a = keys[at.index];
    const D3DXVECTOR3& b = keys[at.index + 1];
    const float f = at.fraction;
    return D3DXVECTOR3(a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z));
}

void VectorTrack::release() { tracks::freeKeys(count, keys); }
