// Feeds a FrameSink from a thread of its own, so that encoding and writing a frame run
// beside the rendering of the next ones. Frames are written in the order they are
// queued; each is held in a read-back slot that is not reused until it is written.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "FrameSink.h"

namespace tool {

class FrameWriter {
public:
    FrameWriter(FrameSink& sink, unsigned width, unsigned height);
    ~FrameWriter();  // writes what is queued, then stops
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Waits until no queued frame uses `slot`. False once a write has failed.
    bool waitForSlot(unsigned slot);
    // Queues the frame in `slot` (rows bottom first, as read back). False once a write
    // has failed; nothing more is written after a failure.
    bool push(unsigned slot, const std::uint8_t* rows);
    // Waits until every queued frame is written; false when any write failed.
    bool drain();

private:
    struct Queued {
        unsigned slot;
        const std::uint8_t* rows;
    };
    void run();

    FrameSink& sink_;
    unsigned width_, height_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Queued> queue_;  // the front one is being written while it is there
    bool failed_ = false, stopping_ = false;
    std::thread thread_;
};

}  // namespace tool
