// The high-resolution performance counter, over the monotonic clock (nanoseconds).
#pragma once

#include "platform/win32/win32types.h"

BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
