#include "RunProgress.h"

#include <algorithm>

#include "ShowHost.h"

namespace tool {

namespace {
// A terminal line is redrawn at most 4 times a second; a log gets a line every 5 s.
constexpr double kTerminalInterval = 0.25;
constexpr double kLogInterval = 5.0;

void formatDuration(double seconds, char* text, std::size_t size) {
    const long s = static_cast<long>(seconds + 0.5);
    if (s >= 3600) std::snprintf(text, size, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else std::snprintf(text, size, "%ld:%02ld", s / 60, s % 60);
}
}  // namespace

const char* runPartName(int part) {
    if (part == kLoadingPart) return "loading";
    if (part == kOutroPart) return "outro";
    return sceneName(part - kFirstScenePart);
}

RunProgress::RunProgress(unsigned total, bool terminal, std::FILE* out)
    : total_(total), terminal_(terminal), out_(out), start_(Clock::now()) {}

void RunProgress::frameDone(int part, double ms, Clock::time_point now) {
    if (part >= 0 && part < kRunParts) {
        PartTiming& p = parts_[part];
        ++p.frames;
        p.totalMs += ms;
        p.worstMs = std::max(p.worstMs, ms);
    }
    ++done_;
    const double since = std::chrono::duration<double>(now - lastShown_).count();
    if (!shownOnce_ || since >= (terminal_ ? kTerminalInterval : kLogInterval)) show(now);
}

void RunProgress::show(Clock::time_point now) {
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double fps = elapsed > 0 ? done_ / elapsed : 0.0;
    char left[32] = "?";
    if (fps > 0) formatDuration((total_ - std::min(done_, total_)) / fps, left, sizeof left);
    const double share = total_ ? static_cast<double>(done_) / total_ : 1.0;
    if (terminal_) {
        constexpr int kWidth = 30;
        char bar[kWidth + 1];
        const int filled = static_cast<int>(share * kWidth);
        for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
        bar[kWidth] = '\0';
        std::fprintf(out_, "\r[%s] %u/%u frames  %.1f fps  %s left ", bar, done_, total_, fps, left);
    } else {
        std::fprintf(out_, "%u/%u frames (%.0f%%), %.1f fps, %s left\n", done_, total_, share * 100.0, fps, left);
    }
    std::fflush(out_);
    ++lines_;
    lastShown_ = now;
    shownOnce_ = true;
}

void RunProgress::end() {
    show(Clock::now());
    if (terminal_) std::fputc('\n', out_);
}

void RunProgress::printSummary(std::FILE* out) const {
    double totalMs = 0;
    for (int i = 0; i < kRunParts; ++i) {
        const PartTiming& p = parts_[i];
        totalMs += p.totalMs;
        if (!p.frames) continue;
        std::fprintf(out, "%-14s %6u frames, %8.2f ms mean, %8.2f ms worst\n", runPartName(i), p.frames,
                     p.totalMs / p.frames, p.worstMs);
    }
    if (done_ && totalMs > 0)
        std::fprintf(out, "%-14s %6u frames in %.1f s, %.2f frames per second\n", "all", done_, totalMs / 1000.0,
                     done_ / (totalMs / 1000.0));
}

}  // namespace tool
