// A frame's device calls allocate nothing on the heap, on either backend: the show's
// frame loop and the trace tool run them thousands of times.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "d3d9/D3d9TestSupport.h"

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

// Counts every C++ allocation of the test program.
void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++gAllocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Keeps the last line only, in a fixed buffer.
struct FixedSink : d3d9::TraceSink {
    char last[1024] = {};
    long count = 0;
    void line(const char* text, std::size_t length) override {
        const std::size_t n = length < sizeof last - 1 ? length : sizeof last - 1;
        std::memcpy(last, text, n);
        last[n] = '\0';
        ++count;
    }
};

struct Geometry {
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
    bool create(IDirect3DDevice9* device) {
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END()};
        if (FAILED(device->CreateVertexBuffer(4 * 20, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr)) ||
            FAILED(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr)) ||
            FAILED(device->CreateVertexDeclaration(elements, &decl))) {
            return false;
        }
        void* data = nullptr;
        ib->Lock(0, 0, &data, 0);
        const WORD indices[6] = {0, 1, 2, 2, 1, 3};
        std::memcpy(data, indices, sizeof indices);
        return SUCCEEDED(ib->Unlock());
    }
    ~Geometry() {
        if (decl) decl->Release();
        if (ib) ib->Release();
        if (vb) vb->Release();
    }
};

void frame(IDirect3DDevice9* device, const Geometry& g, int i) {
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->SetRenderState(D3DRS_CULLMODE, (i & 1) ? D3DCULL_NONE : D3DCULL_CW);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetStreamSource(0, g.vb, 0, 20);
    device->SetIndices(g.ib);
    device->SetVertexDeclaration(g.decl);
    DWORD value = 0;
    device->GetRenderState(D3DRS_ZENABLE, &value);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

long allocationsOverFrames(IDirect3DDevice9* device) {
    Geometry g;
    EXPECT_TRUE(g.create(device));
    frame(device, g, 0);  // first use may set things up
    frame(device, g, 1);
    const long before = gAllocations.load();
    for (int i = 0; i < 50; ++i) frame(device, g, i);
    return gAllocations.load() - before;
}

}  // namespace

TEST(Allocation, TraceFramesAllocateNothing) {
    FixedSink sink;
    d3d9test::DeviceFixture f;
    ASSERT_TRUE(f.createTrace(&sink));
    EXPECT_EQ(0, allocationsOverFrames(f.device));
    EXPECT_GE(sink.count, 52 * 11);  // the lines were written: eleven calls a frame
}

TEST(Allocation, GlFramesAllocateNothing) {
    d3d9test::DeviceFixture f;
    if (!f.createHeadless(64, 64)) GTEST_SKIP() << "no headless OpenGL here";
    EXPECT_EQ(0, allocationsOverFrames(f.device));
}
