// The writer thread between read-back and sink: frames come out whole, upright, opaque
// and in order, a slot is not handed back while its frame waits, and a failed write
// stops everything after it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "FrameWriter.h"

namespace {

constexpr unsigned kWidth = 3, kHeight = 4;
constexpr std::size_t kFrameBytes = kWidth * kHeight * 4;

struct RecordingSink : tool::FrameSink {
    std::vector<std::vector<std::uint8_t>> frames;
    int failAt = -1;  // index of the write that fails
    bool write(const std::uint8_t* rgba) override {
        // Slow enough that the producer runs ahead and has to wait for its slots.
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        if (static_cast<int>(frames.size()) == failAt) return false;
        frames.emplace_back(rgba, rgba + kFrameBytes);
        return true;
    }
    bool finish() override { return true; }
    void abort() override {}
    std::string describe() const override { return "memory"; }
};

// Frame `n` as GL reads it back: row y (counted from the bottom) holds n * 16 + y, alpha 0.
void fill(std::uint8_t* rows, unsigned n) {
    for (unsigned y = 0; y < kHeight; ++y)
        for (unsigned x = 0; x < kWidth; ++x) {
            std::uint8_t* p = rows + (y * kWidth + x) * 4;
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(n * 16 + y);
            p[3] = 0;
        }
}

TEST(FrameWriter, FramesArriveInOrderUprightAndOpaqueThroughReusedSlots) {
    RecordingSink sink;
    constexpr unsigned kSlots = 3, kFrames = 10;
    std::vector<std::uint8_t> slots[kSlots];
    for (auto& s : slots) s.resize(kFrameBytes);
    {
        tool::FrameWriter writer(sink, kWidth, kHeight);
        for (unsigned n = 0; n < kFrames; ++n) {
            const unsigned slot = n % kSlots;
            ASSERT_TRUE(writer.waitForSlot(slot));
            fill(slots[slot].data(), n);
            ASSERT_TRUE(writer.push(slot, slots[slot].data()));
        }
        EXPECT_TRUE(writer.drain());
    }
    ASSERT_EQ(sink.frames.size(), kFrames);
    for (unsigned n = 0; n < kFrames; ++n) {
        const std::vector<std::uint8_t>& f = sink.frames[n];
        // The top row written first is the last row read back.
        EXPECT_EQ(f[0], n * 16 + kHeight - 1) << "frame " << n;
        EXPECT_EQ(f[kFrameBytes - 4], n * 16) << "frame " << n;
        for (std::size_t i = 3; i < kFrameBytes; i += 4) ASSERT_EQ(f[i], 255) << "frame " << n;
    }
}

TEST(FrameWriter, AFailedWriteStopsTheRest) {
    RecordingSink sink;
    sink.failAt = 1;
    std::vector<std::uint8_t> slots[2];
    for (auto& s : slots) s.assign(kFrameBytes, 0);
    tool::FrameWriter writer(sink, kWidth, kHeight);
    bool refused = false;
    for (unsigned n = 0; n < 20 && !refused; ++n) {
        const unsigned slot = n % 2;
        refused = !writer.waitForSlot(slot) || !writer.push(slot, slots[slot].data());
    }
    EXPECT_TRUE(refused) << "frames were taken after the sink failed";
    EXPECT_FALSE(writer.drain());
    EXPECT_EQ(sink.frames.size(), 1u);
}

}  // namespace
