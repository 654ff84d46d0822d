// Setting parameters and running passes allocates nothing: the show does it for every
// draw of every frame.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"

namespace {
std::atomic<long> gAllocations{0};
}

// AddressSanitizer keeps its own operator new; the count is taken in ordinary builds.
#if !defined(__SANITIZE_ADDRESS__)
#define GH_COUNTS_ALLOCATIONS 1
void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

// Counts lines without keeping them.
struct CountingSink : d3d9::TraceSink {
    long lines = 0;
    void line(const char*, std::size_t) override { ++lines; }
};

TEST(EffectAllocations, DrawCallsAllocateNothing) {
#if !defined(GH_COUNTS_ALLOCATIONS)
    GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
#endif
    CountingSink sink;
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Trace, &sink);
    ASSERT_TRUE(device);
    ID3DXEffect* effect = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(device, fxtest::dataPath("Showcase.fx").c_str(), nullptr, nullptr, 0, nullptr,
                                        &effect, nullptr),
              D3D_OK);
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    const float eye[3] = {1, 2, 3};
    long before = gAllocations.load();
    long linesBefore = sink.lines;
    for (int frame = 0; frame < 10; ++frame) {
        effect->SetFloat("time", static_cast<float>(frame));
        effect->SetMatrix("matWorldViewProjection", &m);
        effect->SetFloatArray("CameraPosition", eye, 3);
        effect->SetBool("usealpha", frame & 1);
        effect->SetTexture("tex0", nullptr);
        effect->SetFloat("undeclared", 1.0f);
        effect->SetTechnique("AdditiveOverlay");
        UINT passes = 0;
        effect->Begin(&passes, 0);
        for (UINT p = 0; p < passes; ++p) {
            effect->BeginPass(p);
            effect->EndPass();
        }
        effect->End();
    }
    EXPECT_EQ(gAllocations.load() - before, 0);
    EXPECT_GT(sink.lines - linesBefore, 10 * 14);
    effect->Release();
    device->Release();
}

// States evaluated from parameters and sent to the device at BeginPass, saved at Begin
// and put back at End, allocate nothing either (after a first frame that lets the device
// make room for the light it is given).
TEST(EffectAllocations, PassStatesAllocateNothing) {
#if !defined(GH_COUNTS_ALLOCATIONS)
    GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
#endif
    CountingSink sink;
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Trace, &sink);
    ASSERT_TRUE(device);
    for (const char* file : {"PassStates.fx", "DeviceStates.fx"}) {
        ID3DXEffect* effect = nullptr;
        ASSERT_EQ(D3DXCreateEffectFromFileA(device, fxtest::dataPath(file).c_str(), nullptr, nullptr, 0, nullptr,
                                            &effect, nullptr),
                  D3D_OK);
        long before = 0, linesBefore = 0;
        for (int frame = 0; frame < 10; ++frame) {
            if (frame == 1) {
                before = gAllocations.load();
                linesBefore = sink.lines;
            }
            effect->SetFloat("alpha", static_cast<float>(frame) * 0.1f);
            effect->SetInt("mode", frame);
            effect->SetFloat("fogStart", static_cast<float>(frame));
            UINT passes = 0;
            effect->Begin(&passes, 0);
            for (UINT p = 0; p < passes; ++p) {
                effect->BeginPass(p);
                effect->EndPass();
            }
            effect->End();
        }
        EXPECT_EQ(gAllocations.load() - before, 0) << file;
        EXPECT_GT(sink.lines - linesBefore, 9 * 8) << file;
        effect->Release();
    }
    device->Release();
}

}  // namespace
