// The generator's building blocks: the sync file rules, the bitmap and file writers, text
// measuring, and the song's section plan.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Arrangement.h"
#include "Image.h"
#include "OutputDir.h"
#include "SyncFile.h"
#include "Text.h"

namespace fs = std::filesystem;

namespace {

TEST(SyncFileRules, SampleCountCoversWholeSecondsOfTheTrimmedLength) {
    EXPECT_EQ(assetgen::syncSampleCount(120.04f), 119 * 30);
    EXPECT_EQ(assetgen::syncSampleCount(120.06f), 120 * 30);
    EXPECT_EQ(assetgen::syncSampleCount(159.5f), 159 * 30);
    EXPECT_EQ(assetgen::syncSampleCount(0.03f), 0);
    EXPECT_EQ(assetgen::syncSampleCount(0.0f), 0);
}

TEST(SyncFileRules, FileIsHeaderThenSampleMajorFloats) {
    std::vector<assetgen::SyncRecord> records(3);
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < assetgen::kSyncBands; ++j) records[k][j] = k * 10.0f + j;
    const std::vector<uint8_t> bytes = assetgen::encodeSyncFile(records);
    ASSERT_EQ(bytes.size(), 8u + 3u * 8u * 4u);
    int32_t header[2];
    std::memcpy(header, bytes.data(), 8);
    EXPECT_EQ(header[0], 3);
    EXPECT_EQ(header[1], 8);
    float v;
    std::memcpy(&v, bytes.data() + 8 + 4 * (1 * 8 + 2), 4);  // sample 1, band 2
    EXPECT_EQ(v, 12.0f);
}

TEST(SyncFileRules, RecordsComeFromTheSpectrumAtEachThirtiethOfASecond) {
    // A 172 Hz tone (bin 2) starting at 1 s: records before it are silent, after it band 2 is
    // near the 0.5 of a full-scale windowed sine, scaled by the amplitude.
    const int rate = 44100;
    std::vector<int16_t> stereo(static_cast<size_t>(rate) * 2 * 2, 0);
    for (int i = rate; i < 2 * rate; ++i) {
        const int16_t s = static_cast<int16_t>(16384.0 * std::sin(2.0 * M_PI * 2.0 * rate / 512.0 * i / rate));
        stereo[2 * i] = stereo[2 * i + 1] = s;
    }
    const auto records = assetgen::computeSyncRecords(stereo, rate, 60);
    ASSERT_EQ(records.size(), 60u);
    EXPECT_EQ(records[10][2], 0.0f);
    EXPECT_NEAR(records[45][2], 0.25f, 0.01f);
    EXPECT_LT(records[45][0], 0.01f);
}

TEST(Writers, BitmapIsBottomUpBgrWithPaddedRows) {
    assetgen::Image img(3, 2);
    img.at(0, 0) = {1, 0, 0, 1};  // top left red
    img.at(2, 1) = {0, 0, 1, 1};  // bottom right blue
    const std::vector<uint8_t> bmp = assetgen::encodeBmp24(img);
    ASSERT_EQ(bmp.size(), 54u + 2u * 12u);
    // First stored row is the bottom one: its third pixel is blue (B, G, R order).
    EXPECT_EQ(bmp[54 + 6], 255);
    EXPECT_EQ(bmp[54 + 8], 0);
    // Second stored row is the top one: first pixel red.
    EXPECT_EQ(bmp[54 + 12 + 2], 255);
    EXPECT_EQ(bmp[54 + 12 + 0], 0);
}

TEST(Writers, PngKeepsStraightColourUnderPartialAlpha) {
    assetgen::Image img(1, 1);
    img.blend(0, 0, assetgen::rgb(0xFF8000), 0.5f);
    const std::vector<uint8_t> bytes = img.toBytes(4);
    EXPECT_EQ(bytes[0], 255);
    EXPECT_NEAR(bytes[1], 128, 1);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_NEAR(bytes[3], 128, 1);
    EXPECT_FALSE(assetgen::encodePng(img, true).empty());
}

TEST(Writers, FilesLandWholeInNewFolders) {
    char pattern[] = "/tmp/assetgen-out-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const assetgen::OutputDir out{fs::path(pattern)};
    ASSERT_TRUE(out.writeBytes("deep/er/file.bin", std::vector<uint8_t>{1, 2, 3}));
    ASSERT_TRUE(out.writeBytes("deep/er/file.bin", std::vector<uint8_t>{4, 5}));  // replaces
    std::ifstream in(fs::path(pattern) / "deep/er/file.bin", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, (std::vector<char>{4, 5}));
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(fs::path(pattern) / "deep/er")) entries += !e.is_directory();
    EXPECT_EQ(entries, 1u);  // no temporary left over
    // A path whose folder cannot be made (a file stands in the way) fails instead of pretending.
    EXPECT_FALSE(out.writeBytes("deep/er/file.bin/inside.bin", std::vector<uint8_t>{1}));
    fs::remove_all(pattern);
}

TEST(Text, KerningPullsPairsTogether) {
    const assetgen::Font& font = assetgen::Font::get("DejaVuSans-Bold.ttf");
    ASSERT_TRUE(font.valid());
    const float pair = font.measure("AV", 100.0f);
    EXPECT_LT(pair, font.measure("A", 100.0f) + font.measure("V", 100.0f) - 1.0f);
    const assetgen::Mask m = assetgen::textMask(200, 100, font, "Hi", 100.0f, 70.0f, 60.0f);
    float sum = 0.0f;
    for (float v : m.v) sum += v;
    EXPECT_GT(sum, 300.0f);
    // Centred: as much ink left of the middle as right of it, roughly.
    float left = 0.0f;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < 100; ++x) left += m.at(x, y);
    EXPECT_NEAR(left / sum, 0.5f, 0.15f);
}

TEST(Song, SectionsStartOnTheSceneChangesAndEndBeforeTheShow) {
    const auto& segments = assetgen::songSegments();
    ASSERT_EQ(segments.size(), 6u);
    const double changes[] = {29.2, 58.8, 73.6, 103.4, 129.9};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(segments[i + 1].start, changes[i], 1e-9);
    for (size_t i = 0; i + 1 < segments.size(); ++i)
        EXPECT_LE(segments[i].beatTime(segments[i].beats), segments[i + 1].start + 1e-9) << "section " << i << " overlaps";
    EXPECT_LE(segments.back().beatTime(segments.back().beats), assetgen::kSongSeconds + 1e-9);
    EXPECT_LT(assetgen::kSongSeconds, 160.0);
}

}  // namespace
