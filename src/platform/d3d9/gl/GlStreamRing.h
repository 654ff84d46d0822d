// A ring of buffer space the device streams per-draw data through: uniform blocks,
// the clip-plane block and the vertices and indices of DrawPrimitiveUP. The buffer is
// mapped once, persistently and coherently, so a write never updates a buffer that a
// queued draw reads: each write takes fresh space, and space comes round again only
// after the fence placed behind it has signalled.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d3d9::detail {

class GlStreamRing {
public:
    // With the context current. False when the buffer cannot be made or mapped.
    bool create(std::size_t size);
    void release();
    bool ready() const { return bytes_ != nullptr; }
    unsigned buffer() const { return buffer_; }
    // Copies `size` bytes in at an offset that is a multiple of `alignment` (a power of
    // two) and returns that offset; -1 when the data is larger than a region.
    std::ptrdiff_t push(const void* data, std::size_t size, std::size_t alignment);
    // Where the last push put its data, counted from the ring's creation.
    std::uint64_t lastPosition() const { return last_; }
    // True while data pushed at `position` may still be drawn from: its region is the one
    // being written. Once the ring moves on, the fence behind that region no longer
    // covers new draws, so the data must be pushed again.
    bool holds(std::uint64_t position) const { return position >= regionStart_ && last_ != kNone; }
    // Fence waits so far: a sign the ring is too small for what one frame streams.
    unsigned waits() const { return waits_; }

private:
    static constexpr unsigned kRegions = 4;
    // Moves into the next region: fences the one left, waits for the one entered.
    void enterRegion(unsigned region);

    unsigned buffer_ = 0;
    std::uint8_t* bytes_ = nullptr;
    std::size_t size_ = 0, regionSize_ = 0;
    std::size_t offset_ = 0;  // next free byte
    unsigned region_ = 0;     // the region being written
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};
    std::uint64_t lap_ = 0;           // times round the ring, times its size
    std::uint64_t regionStart_ = 0;   // the current region's first byte, counted likewise
    std::uint64_t last_ = kNone;
    void* fences_[kRegions] = {};  // GLsync behind each region's last use
    unsigned waits_ = 0;
};

}  // namespace d3d9::detail
