// Keyframe tracks sampled at 30 keys per second: key k is the value at time k/30 s, so
// sampling is a direct index. Each track owns its key array.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/d3dx9/d3dx9math.h"

constexpr float TRACK_KEYS_PER_SECOND = 30.0f;

// The three kinds differ only in the key type and in how two keys are blended.
//
// readFrom(stream, n): reads n keys at the stream's position, or, when n is 0, a uint32
// key count first and then that many keys. A count larger than what the rest of the
// stream can hold is refused with a message box (the track stays empty and the stream
// does not move). Returns true when every key was read; a stream that ends early leaves
// the unread keys at 0 and returns false.
//
// sample(t): blends keys i and i + 1 (i = the integer part of t * 30) while key i + 1
// exists; from the last key on, the last key is returned exactly as stored.

struct FloatTrack {
    std::uint32_t count = 0;
    float* keys = nullptr;

    FloatTrack() = default;
    FloatTrack(const FloatTrack&) = delete;
    FloatTrack& operator=(const FloatTrack&) = delete;
    FloatTrack(FloatTrack&& other) noexcept;
    FloatTrack& operator=(FloatTrack&& other) noexcept;
    ~FloatTrack() { release(); }

    // Refuses (message box, stream untouched) when the track already holds keys.
    bool readFrom(std::FILE* stream, std::uint32_t n);
    // n keys of 0.0 to be filled through keyAt; refused when the track holds keys.
    bool allocate(std::uint32_t n);
    // Address of key i, or null when i >= count.
    float* keyAt(std::uint32_t i);
    // An empty track gives 0.
    float sample(float t) const;
    void release();
};

struct VectorTrack {
    std::uint32_t count = 0;
    D3DXVECTOR3* keys = nullptr;

    VectorTrack() = default;
    VectorTrack(const VectorTrack&) = delete;
    VectorTrack& operator=(const VectorTrack&) = delete;
    VectorTrack(VectorTrack&& other) noexcept;
    VectorTrack& operator=(VectorTrack&& other) noexcept;
    ~VectorTrack() { release(); }

    bool readFrom(std::FILE* stream, std::uint32_t n);
    // An empty track gives (0, 0, 0).
    D3DXVECTOR3 sample(float t) const;
    void release();
};

struct RotationTrack {
    std::uint32_t count = 0;
    D3DXQUATERNION* keys = nullptr;

    RotationTrack() = default;
    RotationTrack(const RotationTrack&) = delete;
    RotationTrack& operator=(const RotationTrack&) = delete;
    RotationTrack(RotationTrack&& other) noexcept;
    RotationTrack& operator=(RotationTrack&& other) noexcept;
    ~RotationTrack() { release(); }

    bool readFrom(std::FILE* stream, std::uint32_t n);
    // Slerp between neighbouring keys. An empty track gives (0, 0, 0, 0), which as a
    // rotation matrix is still the identity.
    D3DXQUATERNION sample(float t) const;
    void release();
};
