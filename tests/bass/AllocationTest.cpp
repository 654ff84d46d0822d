// The spectrum is read every frame of a capture: it must not allocate.
#include <atomic>
#include <cstdlib>
#include <new>

#include "bass/BassTestSupport.h"

namespace {
std::atomic<bool> gCounting{false};
std::atomic<int> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (gCounting) ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using basstest::BassTest;

TEST_F(BassTest, SpectrumAndPositionReadsDoNotAllocate) {
    static const std::string path = basstest::makeMp3("alloc", 500.0, 1.0, 2);
    HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(BASS_StreamPlay(h, FALSE, 0));
    float fft[512];
    BASS_ChannelGetData(h, fft, BASS_DATA_FFT512);  // the first call may set up the FFT
    gAllocations = 0;
    gCounting = true;
    float sum = 0.0f;
    for (int i = 0; i < 200; ++i) {
        BASS_ChannelGetData(h, fft, BASS_DATA_FFT512);
        sum += fft[11] + BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
    }
    gCounting = false;
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_GT(sum, 0.0f);
}

}  // namespace
