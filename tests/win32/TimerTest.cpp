#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/timer.h"

namespace {

TEST(PerformanceCounter, NanosecondsOfAMonotonicClock) {
    LARGE_INTEGER frequency{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000000LL);

    LARGE_INTEGER a{}, b{};
    ASSERT_TRUE(QueryPerformanceCounter(&a));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(QueryPerformanceCounter(&b));
    const double seconds = double(b.QuadPart - a.QuadPart) / double(frequency.QuadPart);
    EXPECT_GE(seconds, 0.020);
    EXPECT_LT(seconds, 2.0);
}

TEST(PerformanceCounter, NullOutputFails) {
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
}

}  // namespace
