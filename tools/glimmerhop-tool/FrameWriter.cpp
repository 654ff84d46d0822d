#include "FrameWriter.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tool {

void runBehind(id_t who) {
    errno = 0;
    const int ours = getpriority(PRIO_PROCESS, 0);
    if (errno == 0) setpriority(PRIO_PROCESS, who, std::min(ours + 10, 19));
}

bool FrameSink::writeBottomUp(const std::uint8_t* rows, unsigned width, unsigned height) {
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    upright_.resize(row * height);
    for (unsigned y = 0; y < height; ++y)
        std::memcpy(upright_.data() + row * y, rows + row * (height - 1 - y), row);
    // The back buffer has no alpha of its own (X8R8G8B8): the picture is opaque.
    for (std::size_t i = 3; i < upright_.size(); i += 4) upright_[i] = 255;
    return write(upright_.data());
}


FrameWriter::FrameWriter(FrameSink& sink, unsigned width, unsigned height)
    : sink_(sink), width_(width), height_(height), thread_([this] { run(); }) {}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool FrameWriter::waitForSlot(unsigned slot) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] {
        if (failed_) return true;
        for (const Queued& q : queue_)
            if (q.slot == slot) return false;
        return true;
    });
    return !failed_;
}

bool FrameWriter::push(unsigned slot, const std::uint8_t* rows) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_) return false;
        queue_.push_back(Queued{slot, rows});
    }
    changed_.notify_all();
    return true;
}

bool FrameWriter::drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || queue_.empty(); });
    return !failed_;
}

void FrameWriter::run() {
    // The writing (colour conversion, PNG compression) takes the time the renderer
    // leaves, as the encoder does: where llvmpipe renders, its threads meet at every
    // frame and one held up holds up all. A full queue still gives it all the time.
    runBehind(static_cast<id_t>(gettid()));
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || failed_ || !queue_.empty(); });
        if (failed_ || queue_.empty()) {
            if (stopping_ || failed_) return;
            continue;
        }
        const Queued next = queue_.front();
        lock.unlock();
        const bool ok = sink_.writeBottomUp(next.rows, width_, height_);
        lock.lock();
        queue_.pop_front();
        if (!ok) {
            failed_ = true;
            queue_.clear();
        }
        changed_.notify_all();
    }
}

}  // namespace tool
