#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "assets/tracks/Tracks.h"
#include "platform/win32/messagebox.h"
#include "tracks/TrackStreams.h"

namespace {

class TrackRead : public ::testing::Test {
protected:
    void SetUp() override {
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
    }
};

TEST_F(TrackRead, FloatTrackWithOwnCountReadsSixteenBytes) {
    std::vector<unsigned char> bytes;
    append(bytes, std::uint32_t{3});
    for (float v : {1.5f, -2.0f, 7.25f}) append(bytes, v);
    append(bytes, std::uint32_t{0xDEADBEEF});  // whatever follows stays unread
    std::FILE* f = streamOf(bytes);
    FloatTrack track;
    EXPECT_TRUE(track.readFrom(f, 0));
    EXPECT_EQ(std::ftell(f), 16);
    ASSERT_EQ(track.count, 3u);
    EXPECT_EQ(track.keys[0], 1.5f);
    EXPECT_EQ(track.keys[1], -2.0f);
    EXPECT_EQ(track.keys[2], 7.25f);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    std::fclose(f);
}

TEST_F(TrackRead, VectorTrackWithGivenCountReadsThirtySixBytes) {
    std::vector<unsigned char> bytes;
    for (int i = 0; i < 9; ++i) append(bytes, static_cast<float>(i));
    append(bytes, 99.0f);
    std::FILE* f = streamOf(bytes);
    VectorTrack track;
    EXPECT_TRUE(track.readFrom(f, 3));
    EXPECT_EQ(std::ftell(f), 36);
    ASSERT_EQ(track.count, 3u);
    EXPECT_EQ(track.keys[0], D3DXVECTOR3(0, 1, 2));
    EXPECT_EQ(track.keys[2], D3DXVECTOR3(6, 7, 8));
    std::fclose(f);
}

TEST_F(TrackRead, RotationTrackKeysAreXYZW) {
    std::vector<unsigned char> bytes;
    append(bytes, std::uint32_t{1});
    for (float v : {0.1f, 0.2f, 0.3f, 0.9f}) append(bytes, v);
    std::FILE* f = streamOf(bytes);
    RotationTrack track;
    EXPECT_TRUE(track.readFrom(f, 0));
    EXPECT_EQ(std::ftell(f), 20);
    ASSERT_EQ(track.count, 1u);
    EXPECT_EQ(track.keys[0], D3DXQUATERNION(0.1f, 0.2f, 0.3f, 0.9f));
    std::fclose(f);
}

TEST_F(TrackRead, ZeroCountLeavesTrackEmpty) {
    std::vector<unsigned char> bytes;
    append(bytes, std::uint32_t{0});
    std::FILE* f = streamOf(bytes);
    VectorTrack track;
    EXPECT_TRUE(track.readFrom(f, 0));
    EXPECT_EQ(track.count, 0u);
    EXPECT_EQ(track.keys, nullptr);
    EXPECT_EQ(std::ftell(f), 4);
    std::fclose(f);
}

TEST_F(TrackRead, SecondFloatReadIsRefusedWithoutMovingTheStream) {
    std::vector<unsigned char> bytes;
    append(bytes, std::uint32_t{1});
    append(bytes, 4.0f);
    append(bytes, std::uint32_t{1});
    append(bytes, 8.0f);
    std::FILE* f = streamOf(bytes);
    FloatTrack track;
    ASSERT_TRUE(track.readFrom(f, 0));
    EXPECT_FALSE(track.readFrom(f, 0));
    EXPECT_EQ(std::ftell(f), 8);
    EXPECT_EQ(track.count, 1u);
    EXPECT_EQ(track.keys[0], 4.0f);
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().text, "AnimatedFloat Allready Allocated");
    EXPECT_STREQ(win32::lastMessageBox().caption, "Float Anim");
    // The caller's next read starts where the refused track's data begins.
    FloatTrack next;
    EXPECT_TRUE(next.readFrom(f, 0));
    EXPECT_EQ(next.keys[0], 8.0f);
    std::fclose(f);
}

TEST_F(TrackRead, AllocateFillsZerosAndRefusesASecondTime) {
    FloatTrack track;
    ASSERT_TRUE(track.allocate(4));
    EXPECT_EQ(track.count, 4u);
    for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(*track.keyAt(i), 0.0f);
    EXPECT_EQ(track.keyAt(3), track.keys + 3);
    EXPECT_EQ(track.keyAt(4), nullptr);
    *track.keyAt(2) = 6.0f;
    EXPECT_EQ(track.sample(2.0f / 30.0f), 6.0f);

    EXPECT_FALSE(track.allocate(10));
    EXPECT_EQ(track.count, 4u);
    EXPECT_EQ(*track.keyAt(2), 6.0f);
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().text, "FloatData Allready In Use");
    EXPECT_STREQ(win32::lastMessageBox().caption, "Dickhead");

    // A read into an allocated track is refused too.
    std::FILE* f = streamOf({1, 0, 0, 0, 0, 0, 0x80, 0x3f});
    EXPECT_FALSE(track.readFrom(f, 0));
    EXPECT_EQ(std::ftell(f), 0);
    std::fclose(f);

    track.release();
    EXPECT_TRUE(track.allocate(2));
    EXPECT_EQ(track.keyAt(0), track.keys);
}

TEST_F(TrackRead, OversizedCountIsRefusedBeforeAllocating) {
    std::vector<unsigned char> bytes;
    append(bytes, std::uint32_t{0xFFFFFFF0});
    append(bytes, 1.0f);
    std::FILE* f = streamOf(bytes);
    RotationTrack track;
    EXPECT_FALSE(track.readFrom(f, 0));
    EXPECT_EQ(track.count, 0u);
    EXPECT_EQ(track.keys, nullptr);
    EXPECT_EQ(std::ftell(f), 0);
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Problems With File");
    EXPECT_NE(std::string(win32::lastMessageBox().text).find("4294967280 keys"),
              std::string::npos)
        << win32::lastMessageBox().text;
    std::fclose(f);
}

TEST_F(TrackRead, GivenCountOneKeyTooManyIsRefused) {
    std::vector<unsigned char> bytes;
    for (int i = 0; i < 6; ++i) append(bytes, 1.0f);  // two vectors
    std::FILE* f = streamOf(bytes);
    VectorTrack track;
    EXPECT_FALSE(track.readFrom(f, 3));
    EXPECT_EQ(track.count, 0u);
    EXPECT_EQ(std::ftell(f), 0);
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_TRUE(track.readFrom(f, 2));
    EXPECT_EQ(track.count, 2u);
    std::fclose(f);
}

TEST_F(TrackRead, MissingCountIsReported) {
    std::FILE* f = streamOf({1, 2});
    FloatTrack track;
    EXPECT_FALSE(track.readFrom(f, 0));
    EXPECT_EQ(track.count, 0u);
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    std::fclose(f);
}

TEST_F(TrackRead, UnseekableStreamReadsUpToWhatArrives) {
    // A pipe cannot say how much is left: a modest count is read, the short part is zero.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::FILE* in = fdopen(fds[0], "rb");
    std::FILE* out = fdopen(fds[1], "wb");
    std::vector<unsigned char> bytes;
    append(bytes, std::uint32_t{3});
    append(bytes, 2.0f);
    append(bytes, 3.0f);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    FloatTrack track;
    EXPECT_FALSE(track.readFrom(in, 0));
    ASSERT_EQ(track.count, 3u);
    EXPECT_EQ(track.keys[0], 2.0f);
    EXPECT_EQ(track.keys[1], 3.0f);
    EXPECT_EQ(track.keys[2], 0.0f);
    std::fclose(in);

    // A count no stream of keys should reach is refused without allocating.
    ASSERT_EQ(pipe(fds), 0);
    in = fdopen(fds[0], "rb");
    out = fdopen(fds[1], "wb");
    bytes.clear();
    append(bytes, std::uint32_t{0x40000000});
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    FloatTrack huge;
    EXPECT_FALSE(huge.readFrom(in, 0));
    EXPECT_EQ(huge.count, 0u);
    EXPECT_EQ(huge.keys, nullptr);
    std::fclose(in);
}

TEST_F(TrackRead, NoStreamReadsNothing) {
    FloatTrack track;
    EXPECT_FALSE(track.readFrom(nullptr, 0));
    EXPECT_EQ(track.count, 0u);
}

}  // namespace
