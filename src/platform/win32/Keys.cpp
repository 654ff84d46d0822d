// Asynchronous key state, kept per virtual key: down now, and pressed since the last query.
#include "platform/win32/keys.h"

#include <atomic>

namespace {

constexpr unsigned char kDown = 0x1;
constexpr unsigned char kPressedSinceQuery = 0x2;

std::atomic<unsigned char> gKeyState[256];

bool valid(int virtualKey) { return virtualKey >= 0 && virtualKey < 256; }

}  // namespace

short GetAsyncKeyState(int virtualKey) {
    if (!valid(virtualKey)) return 0;
    const unsigned char state =
        gKeyState[virtualKey].fetch_and(static_cast<unsigned char>(~kPressedSinceQuery));
    unsigned result = 0;
    if (state & kDown) result |= 0x8000;
    if (state & kPressedSinceQuery) result |= 0x0001;
    return static_cast<short>(result);
}

namespace win32 {

void noteKeyDown(int virtualKey) {
    if (valid(virtualKey)) gKeyState[virtualKey].fetch_or(kDown | kPressedSinceQuery);
}

void noteKeyUp(int virtualKey) {
    if (valid(virtualKey)) gKeyState[virtualKey].fetch_and(static_cast<unsigned char>(~kDown));
}

}  // namespace win32
