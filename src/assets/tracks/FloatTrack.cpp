#include <utility>

#include "assets/tracks/TrackKeys.h"
#include "assets/tracks/Tracks.h"
#include "platform/win32/messagebox.h"

FloatTrack::FloatTrack(FloatTrack&& other) noexcept
    : count(std::exchange(other.count, 0)), keys(std::exchange(other.keys, nullptr)) {}

FloatTrack& FloatTrack::operator=(FloatTrack&& other) noexcept {
    if (this != &other) {
        release();
        count = std::exchange(other.count, 0);
        keys = std::exchange(other.keys, nullptr);
    }
    return *this;
}

bool FloatTrack::readFrom(std::FILE* stream, std::uint32_t n) {
    if (keys || count) {
        // Loading twice would lose the first keys; the caller's next reads still start
        // where this track's data begins.
        MessageBoxA(nullptr, "AnimatedFloat Allready Allocated", "Float Anim", MB_OK);
        return false;
    }
    return tracks::readTrack(stream, n, count, keys);
}

bool FloatTrack::allocate(std::uint32_t n) {
    if (keys || count) {
        MessageBoxA(nullptr, "FloatData Allready In Use", "Dickhead", MB_OK);
        return false;
    }
    if (n == 0) return true;
    keys = static_cast<float*>(tracks::allocateKeys(sizeof(float), n));
    if (!keys) return false;
    count = n;
    return true;
}

float* FloatTrack::keyAt(std::uint32_t i) { return i < count ? keys + i : nullptr; }

float FloatTrack::sample(float t) const {
    if (count == 0) return 0.0f;
    const tracks::KeyPosition at = tracks::locate(t, count);
    if (!at.blend) return keys[count - 1];
    const float a = keys[at.index], b = keys[at.index + 1];
    return a + at.fraction * (b - a);
}

void FloatTrack::release() { tracks::freeKeys(count, keys); }
