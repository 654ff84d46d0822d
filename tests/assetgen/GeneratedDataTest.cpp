// Runs the generator as the build does and checks what it writes: every file the show
// loads is there and decodes, the music and its sync file agree, the overlays are clear
// where the scene must show through, and a fresh run gives the same bytes as the build's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb_image.h>

#include "platform/bass/spectrum.h"

namespace fs = std::filesystem;

namespace {

const char* const kTextureFiles[] = {
    "ruffwick01.png", "char01.png",    "floorbit.png",  "floortexture.png", "floortexture2.png", "phong.png",
    "phong2.png",     "colormap.png",  "overlay02.png", "overlay03.png",    "overlay04.png",     "overlay05.png",
    "overlay06.png",  "overlay07.png", "overlay08.png", "overlay09.png",    "overlay10.png",     "overlay11.png",
    "overlay12.png",  "frames.png",    "vobble.png",    "trelkin.png",      "ruffwick.png",      "disco.png",
    "dancing.png",    "greets.png",    "vantroop.png",  "marrowby.png",
};

std::vector<unsigned char> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Picture {
    int w = 0, h = 0, channels = 0;
    std::vector<unsigned char> rgba;
    int alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * w + x) * 4 + 3]; }
};

Picture loadPicture(const fs::path& p) {
    Picture pic;
    unsigned char* data = stbi_load(p.c_str(), &pic.w, &pic.h, &pic.channels, 4);
    if (data) {
        pic.rgba.assign(data, data + static_cast<size_t>(pic.w) * pic.h * 4);
        stbi_image_free(data);
    }
    return pic;
}

int runGenerator(const fs::path& out, const fs::path& generated) {
    const std::string cmd = std::string(GH_BINARY_DIR) + "/tools/assetgen/assetgen '" + out.string() +
                            "' --generated '" + generated.string() + "'";
    return std::system(cmd.c_str());
}

class GeneratedData : public ::testing::Test {
protected:
    static fs::path root;

    static void SetUpTestSuite() {
        char pattern[] = "/tmp/assetgen-test-XXXXXX";
        root = mkdtemp(pattern) ? fs::path(pattern) : fs::path();
        ASSERT_FALSE(root.empty());
        ASSERT_EQ(runGenerator(root / "a" / "Tindermoot", root / "a" / "generated"), 0);
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
    static fs::path data() { return root / "a" / "Tindermoot"; }
};
fs::path GeneratedData::root;

TEST_F(GeneratedData, EveryRunWritesTheSameBytes) {
    // The build generated its own copy (the test depends on it): compare with that one.
    const fs::path built = GH_BINARY_DIR;
    size_t files = 0;
    for (const char* sub : {"Tindermoot", "generated"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / "a" / sub)) {
            if (!entry.is_regular_file()) continue;
            const fs::path rel = fs::relative(entry.path(), root / "a");
            const fs::path twin = built / rel;
            ASSERT_TRUE(fs::exists(twin)) << rel;
            EXPECT_TRUE(readAll(entry.path()) == readAll(twin)) << rel << " differs from the build's copy";
            ++files;
        }
    }
    EXPECT_GE(files, 32u);  // 28 textures, loading picture, music, sync, dialog bitmap
    // Nothing half-written is left behind.
    for (const auto& entry : fs::recursive_directory_iterator(root / "a"))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(GeneratedData, MusicLastsJustUnderTheShow) {
    std::vector<int16_t> stereo;
    int rate = 0;
    ASSERT_TRUE(bass::decodeMp3((data() / "Pellmoor.mp3").c_str(), stereo, rate));
    EXPECT_EQ(rate, 44100);
    const double seconds = static_cast<double>(stereo.size() / 2) / rate;
    EXPECT_GT(seconds, 159.0);
    EXPECT_LT(seconds, 160.0);
    // The last two seconds fade to silence; the music is loud in the middle.
    int peakEnd = 0, peakMiddle = 0;
    for (size_t i = stereo.size() - 2 * 4410; i < stereo.size(); ++i) peakEnd = std::max(peakEnd, std::abs(int(stereo[i])));
    for (size_t i = stereo.size() / 2; i < stereo.size() / 2 + 2 * 44100; ++i)
        peakMiddle = std::max(peakMiddle, std::abs(int(stereo[i])));
    EXPECT_LT(peakEnd, 600);
    EXPECT_GT(peakMiddle, 16000);
}

struct SyncFile {
    int32_t samples = 0, bands = 0;
    std::vector<float> values;
    float at(int k, int band) const { return values[static_cast<size_t>(k) * bands + band]; }
    float sample(int band, double t) const {  // linear between keys, as the player reads bands
        const double pos = t * 30.0;
        const int k = static_cast<int>(pos);
        if (k + 1 >= samples) return at(samples - 1, band);
        const float f = static_cast<float>(pos - k);
        return at(k, band) + (at(k + 1, band) - at(k, band)) * f;
    }
};

SyncFile readSync(const fs::path& p) {
    SyncFile s;
    const std::vector<unsigned char> bytes = readAll(p);
    if (bytes.size() < 8) return s;
    std::memcpy(&s.samples, bytes.data(), 4);
    std::memcpy(&s.bands, bytes.data() + 4, 4);
    s.values.resize((bytes.size() - 8) / 4);
    std::memcpy(s.values.data(), bytes.data() + 8, s.values.size() * 4);
    return s;
}

// Camera cuts as the scenes make them: band above level, more than gap seconds apart.
int cuts(const SyncFile& s, int band, float level, double gap, double from, double to) {
    int n = 0;
    double last = from;
    for (double t = from; t < to; t += 1.0 / 60.0)
        if (s.sample(band, t) > level && t - last > gap) {
            ++n;
            last = t;
        }
    return n;
}

TEST_F(GeneratedData, SyncHeaderFollowsTheMusicLength) {
    std::vector<int16_t> stereo;
    int rate = 0;
    ASSERT_TRUE(bass::decodeMp3((data() / "Pellmoor.mp3").c_str(), stereo, rate));
    const float length = static_cast<float>(stereo.size() / 2) / 44100.0f;
    const SyncFile s = readSync(data() / "Rari.sync");
    EXPECT_EQ(s.samples, static_cast<int32_t>(length - 0.05f) * 30);
    EXPECT_EQ(s.bands, 8);
    ASSERT_EQ(s.values.size(), static_cast<size_t>(s.samples) * 8);
    for (float v : s.values) ASSERT_TRUE(std::isfinite(v) && v >= 0.0f);
    // Record k is the spectrum at frame round(k * 44100 / 30) of the decoded music.
    for (int k : {0, 1, 900, 2500, s.samples - 1}) {
        float bins[bass::kFftBins];
        bass::spectrum512(stereo.data(), stereo.size() / 2, static_cast<size_t>(std::llround(k * 44100.0 / 30.0)), bins);
        for (int j = 0; j < 8; ++j) EXPECT_FLOAT_EQ(s.at(k, j), bins[j]) << "record " << k << " band " << j;
    }
}

// The beat detector's shared latch on the sum of the bands, stepped at 60 frames a second;
// returns the share of frames where the intro's flash, clamp(5 p), is below full.
double flashBelowFull(const SyncFile& s, double from, double to, int* onsets) {
    float peak = 0.0f, time = 0.0f;
    int below = 0, frames = 0;
    *onsets = 0;
    for (double t = from; t < to; t += 1.0 / 60.0, ++frames) {
        float sum = 0.0f;
        for (int j = 0; j < s.bands; ++j) sum += s.sample(j, t);
        float p = peak - static_cast<float>(t - time) * 0.23f;
        if (sum > p + 0.06f) {
            if (t - time > 0.15) ++*onsets;
            peak = p = sum;
            time = static_cast<float>(t);
        }
        below += std::clamp(5.0f * p, 0.0f, 1.0f) < 0.9f;
    }
    return frames ? static_cast<double>(below) / frames : 0.0;
}

TEST_F(GeneratedData, IntroFlashFollowsTheBeat) {
    const SyncFile s = readSync(data() / "Rari.sync");
    ASSERT_EQ(s.bands, 8);
    int onsets = 0;
    // The opening picture must pulse, not sit at full strength: the intro's low end stays light.
    EXPECT_GT(flashBelowFull(s, 0.5, 29.2, &onsets), 0.3);
    EXPECT_GE(onsets, 40);  // about one per beat (62 beats)
}

TEST_F(GeneratedData, SyncBandsDriveTheCameraCuts) {
    const SyncFile s = readSync(data() / "Rari.sync");
    ASSERT_EQ(s.bands, 8);
    // Disco dancers cut on band 2 above 0.3; box room and equalizer cut on band 0 above 0.2.
    const int disco = cuts(s, 2, 0.3f, 0.4, 29.2, 58.8);
    EXPECT_GE(disco, 15);
    EXPECT_LE(disco, 74);  // never faster than the 0.4 s gap allows
    EXPECT_GE(cuts(s, 0, 0.2f, 0.5, 73.6, 103.4), 12);
    EXPECT_GE(cuts(s, 0, 0.2f, 0.5, 103.4, 129.9), 15);
    // Band 0 comes from the kick: between beats it falls back well below the cut level.
    int quiet = 0, frames = 0;
    for (int k = static_cast<int>(103.4 * 30); k < static_cast<int>(129.0 * 30); ++k, ++frames) quiet += s.at(k, 0) < 0.1f;
    EXPECT_GT(quiet, frames / 2);
}

TEST_F(GeneratedData, EveryTextureDecodes) {
    for (const char* name : kTextureFiles) {
        const Picture p = loadPicture(data() / name);
        EXPECT_GT(p.w, 0) << name;
        EXPECT_GT(p.h, 0) << name;
    }
    const Picture loading = loadPicture(data() / "loading.png");
    EXPECT_EQ(loading.w, 1024);
    EXPECT_EQ(loading.h, 768);
    EXPECT_EQ(loading.channels, 3);
    const Picture plates = loadPicture(data() / "marrowby.png");
    EXPECT_EQ(plates.w, 1024);  // 4 x 4 cells of 256 x 64
    EXPECT_EQ(plates.h, 256);
    const Picture ramp = loadPicture(data() / "colormap.png");
    EXPECT_EQ(ramp.w, 256);
    EXPECT_EQ(ramp.h, 16);
}

TEST_F(GeneratedData, OverlaysAreClearWhereTheSceneShowsThrough) {
    for (const char* name : {"frames.png", "overlay04.png", "overlay07.png", "overlay08.png", "overlay09.png",
                             "overlay10.png"}) {
        const Picture p = loadPicture(data() / name);
        ASSERT_EQ(p.channels, 4) << name;
        EXPECT_EQ(p.alpha(p.w / 2, p.h / 2), 0) << name << " covers the middle of the screen";
        EXPECT_EQ(p.alpha(p.w / 2, p.h / 3), 0) << name;
    }
    // The frame is drawn along the edges.
    const Picture frame = loadPicture(data() / "frames.png");
    EXPECT_GT(frame.alpha(frame.w / 2, 30), 200);
    EXPECT_GT(frame.alpha(30, frame.h / 2), 200);
    // Every overlay draws something and leaves its corners clear (except the frame).
    for (const char* name : {"overlay02.png", "overlay03.png", "overlay05.png", "overlay06.png", "overlay11.png",
                             "overlay12.png", "vantroop.png", "trelkin.png", "vobble.png", "greets.png"}) {
        const Picture p = loadPicture(data() / name);
        ASSERT_EQ(p.channels, 4) << name;
        EXPECT_EQ(p.alpha(2, 2), 0) << name;
        EXPECT_EQ(p.alpha(p.w - 3, p.h - 3), 0) << name;
        size_t opaque = 0;
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) opaque += p.alpha(x, y) > 250;
        EXPECT_GT(opaque, 2000u) << name << " is nearly empty";
    }
}

TEST_F(GeneratedData, DialogPictureIsA24BitBitmapOfTheDialogSize) {
    const std::vector<unsigned char> bmp = readAll(root / "a" / "generated" / "setup.bmp");
    ASSERT_GE(bmp.size(), 54u);
    auto u32 = [&](size_t at) { return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | uint32_t(bmp[at + 3]) << 24; };
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(u32(18), 125u);
    EXPECT_EQ(u32(22), 200u);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(u32(30), 0u);  // uncompressed
    EXPECT_EQ(bmp.size(), 54u + 376u * 200u);  // 375-byte rows padded to 4 bytes
}

}  // namespace
