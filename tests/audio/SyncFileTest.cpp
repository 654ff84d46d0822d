#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/AudioTestSupport.h"
#include "audio/SyncData.h"

namespace {

using audiotest::AudioTest;

std::string syncFile(const std::string& name, std::int32_t samples, std::int32_t bands, const std::vector<float>& values) {
    std::vector<unsigned char> bytes(8 + 4 * values.size());
    std::memcpy(bytes.data(), &samples, 4);
    std::memcpy(bytes.data() + 4, &bands, 4);
    if (!values.empty()) std::memcpy(bytes.data() + 8, values.data(), 4 * values.size());
    return audiotest::writeBytes(name, bytes.data(), bytes.size());
}

float key(SyncData& sync, int band, int k) { return *sync.tracks[band].keyAt(static_cast<std::uint32_t>(k)); }

TEST_F(AudioTest, SyncFileIsSampleMajor) {
    std::string path = syncFile("layout.sync", 3, 2, {1.f, 10.f, 2.f, 20.f, 3.f, 30.f});
    SyncData sync;
    ASSERT_TRUE(sync.load(path.c_str()));
    ASSERT_EQ(sync.bandCount, 2);
    ASSERT_EQ(sync.sampleCount, 3);
    EXPECT_EQ(sync.tracks[0].count, 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(key(sync, 0, k), static_cast<float>(k + 1));
        EXPECT_EQ(key(sync, 1, k), static_cast<float>(10 * (k + 1)));
    }
    // Key k is the value at k/30 s.
    EXPECT_FLOAT_EQ(sync.tracks[1].sample(1.0f / 30.0f), 20.0f);
    EXPECT_FLOAT_EQ(sync.tracks[0].sample(0.05f), 2.5f);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    sync.release();
    EXPECT_EQ(sync.bandCount, 0);
    EXPECT_EQ(sync.tracks, nullptr);
}

TEST_F(AudioTest, SyncFileShortOrLongBody) {
    SyncData sync;
    // Two records of three: the rest stays 0.
    ASSERT_TRUE(sync.load(syncFile("short.sync", 3, 2, {1.f, 10.f, 2.f}).c_str()));
    EXPECT_EQ(key(sync, 0, 0), 1.f);
    EXPECT_EQ(key(sync, 1, 0), 10.f);
    EXPECT_EQ(key(sync, 0, 1), 2.f);
    EXPECT_EQ(key(sync, 1, 1), 0.f);
    EXPECT_EQ(key(sync, 0, 2), 0.f);
    // More records than the header counts (as a capture writes): the header wins.
    ASSERT_TRUE(sync.load(syncFile("long.sync", 2, 1, {5.f, 6.f, 7.f, 8.f}).c_str()));
    EXPECT_EQ(sync.sampleCount, 2);
    EXPECT_EQ(sync.tracks[0].count, 2u);
    EXPECT_EQ(sync.tracks[0].sample(10.0f), 6.f);
    // No bands at all is a valid, empty file.
    ASSERT_TRUE(sync.load(syncFile("empty.sync", 0, 0, {}).c_str()));
    EXPECT_EQ(sync.bandCount, 0);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
}

TEST_F(AudioTest, SyncFileBadHeadersAreRefused) {
    struct Case {
        const char* name;
        std::int32_t samples, bands;
    } cases[] = {
        {"huge.sync", 1000000000, 8},       // 32 GB of keys from a 24-byte file
        {"wide.sync", 1, 300},              // more bands than the spectrum has bins
        {"negsamples.sync", -30, 8},
        {"negbands.sync", 30, -1},
        {"overflow.sync", 0x7FFFFFFF, 256},
    };
    for (const Case& c : cases) {
        win32::resetMessageBoxes();
        SyncData sync;
        std::string path = syncFile(c.name, c.samples, c.bands, {1.f, 2.f, 3.f, 4.f});
        EXPECT_FALSE(sync.load(path.c_str())) << c.name;
        EXPECT_EQ(sync.bandCount, 0) << c.name;
        EXPECT_EQ(sync.tracks, nullptr) << c.name;
        ASSERT_EQ(win32::messageBoxCount(), 1u) << c.name;
        EXPECT_STREQ(win32::lastMessageBox().caption, "Problems With File");
        EXPECT_NE(std::strstr(win32::lastMessageBox().text, c.name), nullptr) << win32::lastMessageBox().text;
    }
    // Shorter than a header.
    win32::resetMessageBoxes();
    SyncData sync;
    const unsigned char stub[5] = {3, 0, 0, 0, 2};
    EXPECT_FALSE(sync.load(audiotest::writeBytes("stub.sync", stub, sizeof stub).c_str()));
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    // No bands: nothing to read, however many samples are claimed (a fuzzer found this
    // header spinning through two billion empty records).
    win32::resetMessageBoxes();
    ASSERT_TRUE(sync.load(syncFile("noband.sync", 0x79000101, 0, {1.f}).c_str()));
    EXPECT_EQ(sync.bandCount, 0);
    EXPECT_EQ(sync.pulse(0.9f, 0.1f, 3.0f, SyncData::kAllBands), 0.0f);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    // A refused file leaves an earlier load released, not half-replaced.
    ASSERT_TRUE(sync.load(syncFile("ok.sync", 1, 1, {4.f}).c_str()));
    EXPECT_FALSE(sync.load(syncFile("huge.sync", 1000000000, 8, {}).c_str()));
    EXPECT_EQ(sync.bandCount, 0);
}

TEST_F(AudioTest, MissingSyncFileShowsItsPath) {
    SyncData sync;
    EXPECT_FALSE(sync.load("Tindermoot\\NoSuch.sync"));
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Problems With File");
    EXPECT_STREQ(win32::lastMessageBox().text, "Tindermoot\\NoSuch.sync");
}

TEST(SyncCounts, FromLengthOrDuration) {
    EXPECT_EQ(syncSampleCount(120.04f, 0.0f), 3570);
    EXPECT_EQ(syncSampleCount(120.06f, 0.0f), 3600);
    EXPECT_EQ(syncSampleCount(2.0f, 0.0f), 30);
    EXPECT_EQ(syncSampleCount(0.9f, 0.0f), 0);
    EXPECT_EQ(syncSampleCount(120.04f, 2.5f), 75);
    EXPECT_EQ(syncSampleCount(0.0f, 2.5f), 75);
    EXPECT_EQ(syncSampleCount(500.0f, 0.51f), 15);
}

TEST(SyncCounts, ProgressLineBitTest) {
    EXPECT_TRUE(syncProgressLineDue(0.02f));
    EXPECT_TRUE(syncProgressLineDue(1.28f));
    EXPECT_TRUE(syncProgressLineDue(0.0f));
    EXPECT_TRUE(syncProgressLineDue(0.11f));   // 11: bits 8, 2, 1
    EXPECT_FALSE(syncProgressLineDue(0.04f));  // 4
    EXPECT_FALSE(syncProgressLineDue(1.00f));  // 100
    EXPECT_FALSE(syncProgressLineDue(0.32f));  // 32
    EXPECT_FALSE(syncProgressLineDue(0.12f));  // 12 has bit 4: not a remainder test
    EXPECT_FALSE(syncProgressLineDue(2.00f));  // 200 = 128 + 64 + 8
    EXPECT_TRUE(syncProgressLineDue(1.36f));   // 136 = 128 + 8
    EXPECT_TRUE(syncProgressLineDue(0.27f));   // the end of the burst 24..27
    EXPECT_FALSE(syncProgressLineDue(0.28f));
}

}  // namespace
