#include "app/FrameLoop.h"

#include <cstdio>
#include <cstdlib>

#include "app/AppWindow.h"
#include "app/globals/DisplaySettings.h"
#include "platform/win32/timer.h"

namespace {

// With GLIMMERHOP_DEBUG_POSITION set, the music position goes to standard error once a
// second of wall-clock time and for the last frame, so that tests can watch pausing,
// seeking and the end of the music from outside.
class PositionReport {
public:
    PositionReport() : enabled_(std::getenv("GLIMMERHOP_DEBUG_POSITION") != nullptr) {
        if (enabled_) clock_.begin();
    }
    void note(float position) {
        if (!enabled_) return;
        const double now = clock_.elapsed();
        if (now < next_) return;
        next_ = now + 1.0;
        std::fprintf(stderr, "position %.3f\n", position);
    }
    // The loop's last position, and why it ended: "end" (the music) or "stop".
    void last(float position, const char* why) {
        if (enabled_) std::fprintf(stderr, "position %.3f %s\n", position, why);
    }

private:
    bool enabled_;
    ProgramClock clock_;
    double next_ = 0.0;
};

void present() { gDevice->Present(nullptr, nullptr, nullptr, nullptr); }

}  // namespace

bool playFrames(Show& show) {
    PositionReport report;
    for (;;) {
        const float t = show.music.positionSeconds();
        show.renderFrame(t);
        present();
        show.music.pollPlaybackKeys();
        report.note(t);
        if (!gAppWindow.pumpMessages()) {
            report.last(t, "stop");
            return false;
        }
        const float position = show.music.positionSeconds();
        const float length = show.music.lengthSeconds();
        if (position > length - 0.001f) {
            report.last(position, "end");
            return true;
        }
    }
}

void playOutro(Show& show, const ProgramClock& clock) {
    const float outroStart = static_cast<float>(clock.elapsed());
    const float outroEnd = outroStart + 2.0f;
    LARGE_INTEGER now{};
    do {
        QueryPerformanceCounter(&now);
        show.renderOutro(static_cast<float>(clock.elapsedAt(now.QuadPart) - outroStart));
        present();
        QueryPerformanceCounter(&now);
    } while (clock.elapsedAt(now.QuadPart) < outroEnd);
}
