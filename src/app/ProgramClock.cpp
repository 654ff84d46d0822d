#include "app/FrameLoop.h"
#include "platform/win32/timer.h"

void ProgramClock::begin() {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    secondsPerTick = 1.0 / static_cast<double>(frequency.QuadPart);
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    start = now.QuadPart;
}

double ProgramClock::elapsedAt(LONGLONG counter) const {
    return static_cast<double>(static_cast<LONGLONG>(counter - start)) * secondsPerTick;
}

double ProgramClock::elapsed() const {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return elapsedAt(now.QuadPart);
}
