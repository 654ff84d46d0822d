// The progress of a render run on standard error (frames done of all, frames per
// second, time left) and its closing summary: frames and milliseconds per frame for the
// loading screen, each of the six scenes and the outro.
#pragma once

#include <chrono>
#include <cstdio>

namespace tool {

// Parts of a run, in the order they come.
enum RunPart : int { kLoadingPart = 0, kFirstScenePart = 1, kOutroPart = 7, kRunParts = 8 };
const char* runPartName(int part);

class RunProgress {
public:
    using Clock = std::chrono::steady_clock;

    // `terminal`: redraw one line with \r; otherwise print a plain line now and then.
    RunProgress(unsigned total, bool terminal, std::FILE* out = stderr);
    // A frame of `part` is done and took `ms` milliseconds. `now` is for tests.
    void frameDone(int part, double ms) { frameDone(part, ms, Clock::now()); }
    void frameDone(int part, double ms, Clock::time_point now);
    // The last line (ends the \r line on a terminal).
    void end();
    void printSummary(std::FILE* out) const;

    unsigned done() const { return done_; }
    unsigned linesWritten() const { return lines_; }
    struct PartTiming {
        unsigned frames = 0;
        double totalMs = 0, worstMs = 0;
    };
    const PartTiming& part(int index) const { return parts_[index]; }

private:
    void show(Clock::time_point now);

    unsigned total_;
    bool terminal_;
    std::FILE* out_;
    unsigned done_ = 0;
    unsigned lines_ = 0;
    Clock::time_point start_, lastShown_;
    bool shownOnce_ = false;
    PartTiming parts_[kRunParts];
};

}  // namespace tool
