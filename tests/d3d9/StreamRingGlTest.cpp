// The ring the GL device streams uniform blocks and DrawPrimitiveUP data through.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "d3d9/D3d9TestSupport.h"
#include "platform/d3d9/gl/GlStreamRing.h"
#include "platform/d3d9/internal.h"

namespace {

using d3d9::detail::GlStreamRing;

class StreamRing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fixture.createHeadless(64, 64));
        d3d9::internal::makeCurrent(fixture.device);
        ASSERT_TRUE(ring.create(4 * 1024));  // four regions of 1 KiB
    }
    void TearDown() override { ring.release(); }
    std::vector<std::uint8_t> contents() {
        std::vector<std::uint8_t> bytes(4 * 1024);
        glFinish();
        glGetNamedBufferSubData(ring.buffer(), 0, static_cast<GLsizeiptr>(bytes.size()), bytes.data());
        return bytes;
    }
    d3d9test::DeviceFixture fixture;
    GlStreamRing ring;
};

TEST_F(StreamRing, PushesAreAlignedAndNeverSpanTwoRegions) {
    std::uint8_t data[300] = {};
    std::ptrdiff_t previousEnd = 0;
    for (int i = 0; i < 40; ++i) {
        const std::ptrdiff_t at = ring.push(data, sizeof data, 256);
        ASSERT_GE(at, 0);
        EXPECT_EQ(at % 256, 0);
        EXPECT_EQ(at / 1024, (at + static_cast<std::ptrdiff_t>(sizeof data) - 1) / 1024) << "push " << i;
        // Each push takes fresh space until the ring comes round to its start.
        if (at != 0) EXPECT_GE(at, previousEnd);
        previousEnd = at + static_cast<std::ptrdiff_t>(sizeof data);
    }
    EXPECT_EQ(ring.push(data, 1025, 4), -1);  // larger than a region
}

TEST_F(StreamRing, DataStaysUntilTheRingComesRoundAndWrapsIntact) {
    std::uint8_t block[200];
    std::vector<std::ptrdiff_t> offsets;
    // Twice round the ring; every block carries its own number.
    for (int i = 0; i < 40; ++i) {
        for (std::uint8_t& b : block) b = static_cast<std::uint8_t>(i + 1);
        offsets.push_back(ring.push(block, sizeof block, 16));
    }
    const std::vector<std::uint8_t> bytes = contents();
    // The last lap's blocks are all there (earlier ones written over where they met).
    for (int i = 32; i < 40; ++i)
        EXPECT_EQ(bytes[static_cast<std::size_t>(offsets[static_cast<std::size_t>(i)]) + 199], i + 1) << "block " << i;
}

TEST_F(StreamRing, DataIsHeldOnlyWhileItsRegionIsBeingWritten) {
    std::uint8_t data[256] = {};
    ring.push(data, sizeof data, 256);
    const std::uint64_t first = ring.lastPosition();
    ring.push(data, sizeof data, 256);
    EXPECT_TRUE(ring.holds(first));
    ring.push(data, sizeof data, 256);
    ring.push(data, sizeof data, 256);
    ring.push(data, sizeof data, 256);  // the second region
    EXPECT_FALSE(ring.holds(first));
    EXPECT_TRUE(ring.holds(ring.lastPosition()));
}

}  // namespace
