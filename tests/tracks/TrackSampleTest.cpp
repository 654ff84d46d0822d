#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "assets/tracks/Tracks.h"
#include "tracks/TrackStreams.h"

namespace {

// Times whose product with 30 is exact in float; checked so the tests mean what they say.
float timeFor(float x) {
    const float t = x / 30.0f;
    EXPECT_EQ(t * 30.0f, x) << "t * 30 is not exactly " << x;
    return t;
}

template <class T>
bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

FloatTrack floats(std::initializer_list<float> values) {
    FloatTrack track;
    EXPECT_TRUE(track.allocate(static_cast<std::uint32_t>(values.size())));
    std::uint32_t i = 0;
    for (float v : values) *track.keyAt(i++) = v;
    return track;
}

VectorTrack vectors(std::initializer_list<D3DXVECTOR3> values) {
    VectorTrack track;
    fill(track, values);
    return track;
}

RotationTrack rotations(std::initializer_list<D3DXQUATERNION> values) {
    RotationTrack track;
    fill(track, values);
    return track;
}

TEST(FloatTrackSample, FirstExactAndMidpointKeys) {
    const FloatTrack track = floats({1.0f, 3.0f, -5.0f, 10.0f});
    EXPECT_EQ(track.sample(0.0f), 1.0f);
    EXPECT_EQ(track.sample(timeFor(1.0f)), 3.0f);
    EXPECT_EQ(track.sample(timeFor(2.0f)), -5.0f);
    EXPECT_EQ(track.sample(timeFor(0.5f)), 2.0f);
    EXPECT_EQ(track.sample(timeFor(1.5f)), -1.0f);
    EXPECT_EQ(track.sample(timeFor(2.25f)), -5.0f + 0.25f * 15.0f);
}

TEST(FloatTrackSample, LastKeyHoldsBitForBit) {
    // 1e8 then 1: a blend at fraction 1 would give 1e8 + (1 - 1e8) = 0 in float, so only
    // a plain copy of the last key returns 1.
    const FloatTrack big = floats({1e8f, 1.0f});
    ASSERT_NE(1e8f + 1.0f * (1.0f - 1e8f), 1.0f);
    for (float t : {timeFor(1.0f), timeFor(1.5f), 100.0f, 1e9f}) {
        const float v = big.sample(t);
        EXPECT_TRUE(sameBits(v, 1.0f)) << "t = " << t;
    }
    // Negative zero keeps its sign.
    const FloatTrack negZero = floats({5.0f, -0.0f});
    const float v = negZero.sample(10.0f);
    EXPECT_TRUE(std::signbit(v));
    EXPECT_TRUE(sameBits(v, -0.0f));
}

TEST(FloatTrackSample, OneKeyAndEmpty) {
    const FloatTrack one = floats({0.1f});
    for (float t : {0.0f, 0.01f, 1.0f, 3600.0f}) EXPECT_TRUE(sameBits(one.sample(t), 0.1f));
    const FloatTrack empty;
    EXPECT_EQ(empty.sample(0.0f), 0.0f);
    EXPECT_EQ(empty.sample(5.0f), 0.0f);
}

TEST(FloatTrackSample, TimesPastEveryIndexStayOnTheLastKey) {
    const FloatTrack track = floats({2.0f, 4.0f, 8.0f});
    EXPECT_EQ(track.sample(4e9f), 8.0f);  // t * 30 beyond 32 bits
    EXPECT_EQ(track.sample(INFINITY), 8.0f);
}

TEST(VectorTrackSample, BlendsComponentsAndHoldsLastKey) {
    const D3DXVECTOR3 k0(0, 10, -2), k1(4, 20, 2), last(1e8f, -0.0f, 0.3f);
    const VectorTrack track = vectors({k0, k1, last});
    EXPECT_EQ(track.sample(0.0f), k0);
    EXPECT_EQ(track.sample(timeFor(1.0f)), k1);
    EXPECT_EQ(track.sample(timeFor(0.5f)), D3DXVECTOR3(2, 15, 0));
    for (float t : {timeFor(2.0f), timeFor(2.5f), 60.0f}) {
        const D3DXVECTOR3 v = track.sample(t);
        EXPECT_TRUE(sameBits(v, last)) << "t = " << t;
    }
}

TEST(VectorTrackSample, EmptyIsZero) {
    const VectorTrack empty;
    EXPECT_EQ(empty.sample(0.0f), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(empty.sample(12.0f), D3DXVECTOR3(0, 0, 0));
}

TEST(RotationTrackSample, SlerpsBetweenKeys) {
    const float half = std::numbers::pi_v<float> / 4;  // half of a quarter turn
    const D3DXQUATERNION k0(0, 0, 0, 1), k1(0, 0, std::sin(half), std::cos(half));
    const RotationTrack track = rotations({k0, k1});
    const D3DXQUATERNION mid = track.sample(timeFor(0.5f));
    D3DXQUATERNION expected;
    D3DXQuaternionSlerp(&expected, &k0, &k1, 0.5f);
    EXPECT_EQ(mid, expected);
    // A unit-length eighth turn, not the shorter component-wise blend.
    EXPECT_NEAR(mid.z, std::sin(half / 2), 1e-6f);
    EXPECT_NEAR(mid.w, std::cos(half / 2), 1e-6f);
    EXPECT_GT(std::fabs(mid.w - (k0.w + k1.w) / 2), 0.01f);
    EXPECT_EQ(track.sample(0.0f), k0);
}

TEST(RotationTrackSample, LastKeyExactAndEmptyIsAllZero) {
    const D3DXQUATERNION k0(0, 0, 0, 1), last(0.1f, 0.2f, 0.3f, 0.7f);
    const RotationTrack track = rotations({k0, last});
    const D3DXQUATERNION v = track.sample(timeFor(1.0f));
    EXPECT_TRUE(sameBits(v, last));
    const RotationTrack empty;
    EXPECT_EQ(empty.sample(3.0f), D3DXQUATERNION(0, 0, 0, 0));
}

TEST(TrackLifecycle, ReleaseEmptiesAndMoveTransfersOwnership) {
    FloatTrack a = floats({1, 2, 3});
    FloatTrack b(std::move(a));
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.keys, nullptr);
    EXPECT_EQ(b.count, 3u);
    EXPECT_EQ(b.sample(timeFor(2.0f)), 3.0f);
    b.release();
    EXPECT_EQ(b.count, 0u);
    EXPECT_EQ(b.keys, nullptr);
    b.release();  // a second release is harmless
    EXPECT_EQ(b.count, 0u);
}

}  // namespace
