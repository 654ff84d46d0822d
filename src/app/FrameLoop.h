// The music-driven frame loop and the outro that follows the music's end.
#pragma once

#include "platform/win32/win32types.h"
#include "show/Show.h"

// Wall-clock time since the program start, from the performance counter.
struct ProgramClock {
    double secondsPerTick = 0.0;
    LONGLONG start = 0;

    void begin();
    double elapsedAt(LONGLONG counter) const;
    double elapsed() const;
};

// Draws a frame for each music position until the music has played to its end (true)
// or the viewer asked to stop (false: Escape, or the window was closed).
bool playFrames(Show& show);
// Two seconds of the outro on the wall clock; no keys and no messages are looked at.
void playOutro(Show& show, const ProgramClock& clock);
