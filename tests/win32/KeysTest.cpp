#include <gtest/gtest.h>

#include "platform/win32/keys.h"

namespace {

constexpr short kDownNow = static_cast<short>(0x8000);
constexpr short kDownAndPressed = static_cast<short>(0x8001);

// Each test uses its own keys: the state is process-wide.
TEST(AsyncKeyState, DownReportsPressedOnceThenDownOnly) {
    EXPECT_EQ(GetAsyncKeyState('I'), 0);
    win32::noteKeyDown('I');
    EXPECT_EQ(GetAsyncKeyState('I'), kDownAndPressed);
    EXPECT_EQ(GetAsyncKeyState('I'), kDownNow);
    win32::noteKeyUp('I');
    EXPECT_EQ(GetAsyncKeyState('I'), 0);
}

TEST(AsyncKeyState, PressAndReleaseBetweenQueriesIsNotLost) {
    win32::noteKeyDown(VK_ESCAPE);
    win32::noteKeyUp(VK_ESCAPE);
    const short state = GetAsyncKeyState(VK_ESCAPE);
    EXPECT_NE(state, 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
}

TEST(AsyncKeyState, KeysAreIndependent) {
    win32::noteKeyDown('J');
    EXPECT_EQ(GetAsyncKeyState('K'), 0);
    EXPECT_EQ(GetAsyncKeyState('J'), kDownAndPressed);
    // Querying one key leaves another's pressed bit alone.
    win32::noteKeyDown('N');
    EXPECT_EQ(GetAsyncKeyState('M'), 0);
    EXPECT_EQ(GetAsyncKeyState('N') & 1, 1);
    win32::noteKeyUp('J');
    win32::noteKeyUp('N');
}

TEST(AsyncKeyState, OutOfRangeKeysAreIgnored) {
    win32::noteKeyDown(-1);
    win32::noteKeyDown(256);
    win32::noteKeyUp(100000);
    EXPECT_EQ(GetAsyncKeyState(-1), 0);
    EXPECT_EQ(GetAsyncKeyState(256), 0);
    EXPECT_EQ(GetAsyncKeyState(255), 0);
}

}  // namespace
