// The video's colour conversion against BT.709 limited-range values worked out by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Yuv420.h"

namespace {

// Row 0: red, green, blue, white; row 1: black, grey 128, red, blue. Alpha varies: it
// must not count.
const std::uint8_t kPicture[2][4][4] = {
    {{255, 0, 0, 255}, {0, 255, 0, 0}, {0, 0, 255, 17}, {255, 255, 255, 255}},
    {{0, 0, 0, 99}, {128, 128, 128, 255}, {255, 0, 0, 1}, {0, 0, 255, 255}},
};

// Y' of each pixel, then Cb and Cr of the two 2x2 blocks (their means: 95.75/95.75/32 and
// 127.5/63.75/191.25).
const std::vector<std::uint8_t> kPlanes = {63, 173, 32, 235, 16, 126, 63, 32, 100, 178, 131, 151};

TEST(Yuv420, PrimariesGreysAndBlockMeansGetBt709LimitedRangeValues) {
    std::vector<std::uint8_t> out(tool::yuv420Size(4, 2));
    ASSERT_EQ(out.size(), kPlanes.size());
    tool::rgbaToYuv420(&kPicture[0][0][0], 16, 4, 2, out.data());
    EXPECT_EQ(out, kPlanes);

    // The same picture as GL reads it back, bottom row first, read with a negative step.
    std::uint8_t flipped[2][4][4];
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 4; ++c) flipped[1 - y][x][c] = kPicture[y][x][c];
    std::vector<std::uint8_t> upright(out.size());
    tool::rgbaToYuv420(&flipped[1][0][0], -16, 4, 2, upright.data());
    EXPECT_EQ(upright, kPlanes);
}

}  // namespace
