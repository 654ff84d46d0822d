// The shared device behaviour, seen through the trace backend: the lines it writes,
// argument checks, state copies, buffers, declarations and reference counts.
#include <gtest/gtest.h>

#include <cstring>

#include "d3d9/D3d9TestSupport.h"
#include "platform/d3d9/internal.h"

using d3d9test::DeviceFixture;
using d3d9test::LineSink;

namespace {

const D3DVERTEXELEMENT9 kPosNormTex[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

struct Quad {
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
    void create(IDirect3DDevice9* device, UINT vertices = 4) {
        ASSERT_EQ(D3D_OK, device->CreateVertexBuffer(vertices * 32, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                                     0, D3DPOOL_DEFAULT, &vb, nullptr));
        ASSERT_EQ(D3D_OK, device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                                    D3DPOOL_MANAGED, &ib, nullptr));
        ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(kPosNormTex, &decl));
        void* data = nullptr;
        ASSERT_EQ(D3D_OK, ib->Lock(0, 0, &data, 0));
        const WORD indices[6] = {0, 1, 2, 2, 1, 3};
        std::memcpy(data, indices, sizeof indices);
        ASSERT_EQ(D3D_OK, ib->Unlock());
    }
    ~Quad() {
        if (decl) decl->Release();
        if (ib) ib->Release();
        if (vb) vb->Release();
    }
};

}  // namespace

TEST(TraceBackend, WritesOneLinePerCallInTheTraceFormat) {
    LineSink sink;
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(&sink));
    Quad quad;
    quad.create(f.device);
    sink.lines.clear();

    d3d9::traceNote(f.device, "frame 130");
    f.device->BeginScene();
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x000000FF, 1.0f, 0);
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    f.device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    f.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    f.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    f.device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    f.device->SetRenderState(D3DRS_ALPHAREF, 128);
    f.device->SetRenderState(D3DRS_COLORWRITEENABLE, 0x7);
    f.device->SetStreamSource(0, quad.vb, 0, 32);
    f.device->SetIndices(quad.ib);
    f.device->SetVertexDeclaration(quad.decl);
    f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    f.device->EndScene();
    f.device->Present(nullptr, nullptr, nullptr, nullptr);

    const std::vector<std::string> expected = {
        "frame 130",
        "BeginScene",
        "Clear 0x3 0x000000ff 1 0",
        "SetRenderState D3DRS_CULLMODE D3DCULL_NONE",
        "SetRenderState D3DRS_ZENABLE D3DZB_FALSE",
        "SetRenderState D3DRS_ALPHABLENDENABLE TRUE",
        "SetRenderState D3DRS_SRCBLEND D3DBLEND_SRCALPHA",
        "SetRenderState D3DRS_ZFUNC D3DCMP_LESSEQUAL",
        "SetRenderState D3DRS_ALPHAREF 128",
        "SetRenderState D3DRS_COLORWRITEENABLE 0x7",
        "SetStreamSource 0 vb1 0 32",
        "SetIndices ib1",
        "SetVertexDeclaration decl1",
        "DrawIndexedPrimitive D3DPT_TRIANGLELIST 0 0 4 0 2",
        "EndScene",
        "Present",
    };
    EXPECT_EQ(expected, sink.lines);
}

TEST(TraceBackend, NamesCreatedObjectsAndMarksFailures) {
    LineSink sink;
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(&sink));
    Quad quad;
    quad.create(f.device);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateTexture(64, 32, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                              &texture, nullptr));
    f.device->SetTexture(0, texture);
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF0000, 0.25f, 7);
    f.device->EndScene();  // not in a scene
    f.device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    EXPECT_STREQ("tex1", d3d9::internal::textureName(texture));
    EXPECT_EQ(7u, texture->GetLevelCount());  // 64x32 down to 1x1
    texture->Release();

    const std::vector<std::string> expected = {
        "CreateDevice 640 480 0 1 0x0",
        "CreateDepthStencilSurface ds1 640 480 D3DFMT_D24S8 0 0 1",
        "SetDepthStencilSurface ds1",
        "CreateVertexBuffer vb1 128 0x208 0x0 D3DPOOL_DEFAULT",
        "CreateIndexBuffer ib1 12 0x8 D3DFMT_INDEX16 D3DPOOL_MANAGED",
        "CreateVertexDeclaration decl1 {0 0 D3DDECLTYPE_FLOAT3 0 D3DDECLUSAGE_POSITION 0} "
        "{0 12 D3DDECLTYPE_FLOAT3 0 D3DDECLUSAGE_NORMAL 0} "
        "{0 24 D3DDECLTYPE_FLOAT2 0 D3DDECLUSAGE_TEXCOORD 0}",
        "Lock ib1 0 0 0x0",
        "Unlock ib1",
        "CreateTexture tex1 64 32 0 0x0 D3DFMT_A8R8G8B8 D3DPOOL_MANAGED",
        "SetTexture 0 tex1",
        "Clear 0x1 0x80ff0000 0.25 7",
        "EndScene failed 0x8876086c",
        "SetSamplerState 0 D3DSAMP_MINFILTER D3DTEXF_LINEAR",
        "Release tex1 0",
    };
    EXPECT_EQ(expected, sink.lines);
}

TEST(TraceBackend, RenderStatesStartAtTheD3d9DefaultsAndRoundTrip) {
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(nullptr));
    const std::pair<D3DRENDERSTATETYPE, DWORD> defaults[] = {
        {D3DRS_ZENABLE, D3DZB_FALSE},  // no automatic depth buffer was asked for
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_COLORWRITEENABLE, 0xF},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_STENCILENABLE, FALSE},
        {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
        {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
        {D3DRS_STENCILMASK, 0xFFFFFFFFu},
        {D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu},
        {D3DRS_POINTSIZE, 0x3f800000u},      // 1.0f
        {D3DRS_POINTSIZE_MAX, 0x42800000u},  // 64.0f
        {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
        {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFFu},
        {D3DRS_COLORWRITEENABLE1, 0xF},
        {D3DRS_BLENDFACTOR, 0xFFFFFFFFu},
        {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
        {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO},
        {D3DRS_CCW_STENCILFUNC, D3DCMP_ALWAYS},
        {D3DRS_DEPTHBIAS, 0},
    };
    for (const auto& [state, value] : defaults) {
        DWORD got = 12345;
        ASSERT_EQ(D3D_OK, f.device->GetRenderState(state, &got));
        EXPECT_EQ(value, got) << "state " << state;
    }
    EXPECT_EQ(D3D_OK, f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW));
    EXPECT_EQ(D3D_OK, f.device->SetRenderState(D3DRS_ALPHAREF, 0x40));
    DWORD got = 0;
    f.device->GetRenderState(D3DRS_CULLMODE, &got);
    EXPECT_EQ(static_cast<DWORD>(D3DCULL_CW), got);
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->GetRenderState(D3DRS_CULLMODE, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL,
              f.device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(4000), 1));

    DWORD func = 0;
    float ref = -1;
    EXPECT_FALSE(d3d9::internal::alphaTest(f.device, func, ref));
    f.device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    f.device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    EXPECT_TRUE(d3d9::internal::alphaTest(f.device, func, ref));
    EXPECT_EQ(static_cast<DWORD>(D3DCMP_GREATER), func);
    EXPECT_FLOAT_EQ(64.0f / 255.0f, ref);
}

TEST(TraceBackend, ScissorRectangleAndClipPlanesAreTracedAndChecked) {
    LineSink sink;
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(&sink, 320, 200));
    RECT rect{};
    ASSERT_EQ(D3D_OK, f.device->GetScissorRect(&rect));
    EXPECT_EQ(320, rect.right);  // the whole back buffer at first
    EXPECT_EQ(200, rect.bottom);
    sink.lines.clear();
    const RECT inside{10, 20, 30, 40}, tooTall{0, 0, 10, 201};
    EXPECT_EQ(D3D_OK, f.device->SetScissorRect(&inside));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetScissorRect(&tooTall));
    const float plane[4] = {0.5f, 0, -1, 2};
    EXPECT_EQ(D3D_OK, f.device->SetClipPlane(2, plane));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetClipPlane(2, nullptr));
    f.device->SetRenderState(D3DRS_DEPTHBIAS, 0xbf000000u);  // -0.5f
    ASSERT_EQ(5u, sink.lines.size());
    EXPECT_EQ("SetScissorRect 10 20 30 40", sink.lines[0]);
    EXPECT_EQ("SetScissorRect 0 0 10 201 failed 0x8876086c", sink.lines[1]);
    EXPECT_EQ("SetClipPlane 2 0.5 0 -1 2", sink.lines[2]);
    EXPECT_EQ("SetClipPlane 2 null failed 0x8876086c", sink.lines[3]);
    EXPECT_EQ("SetRenderState D3DRS_DEPTHBIAS -0.5", sink.lines[4]);
    float back[4] = {};
    ASSERT_EQ(D3D_OK, f.device->GetClipPlane(2, back));
    EXPECT_EQ(-1.0f, back[2]);
    ASSERT_EQ(D3D_OK, f.device->GetScissorRect(&rect));
    EXPECT_EQ(20, rect.top);
}

TEST(TraceBackend, AutomaticDepthBufferTurnsDepthTestOn) {
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Trace;
    d3d9::configure(config);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(nullptr, d3d);
    D3DPRESENT_PARAMETERS pp = d3d9test::presentParams(320, 240);
    pp.EnableAutoDepthStencil = TRUE;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &device));
    DWORD z = 0;
    device->GetRenderState(D3DRS_ZENABLE, &z);
    EXPECT_EQ(static_cast<DWORD>(D3DZB_TRUE), z);
    // The automatic depth buffer makes depth clears valid.
    EXPECT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
    EXPECT_EQ(0u, device->Release());
    EXPECT_EQ(0u, d3d->Release());
    d3d9::configure(d3d9::BackendConfig{});
}

TEST(TraceBackend, BuffersKeepWhatWasWrittenAndCheckTheirArguments) {
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(nullptr));
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_DEFAULT,
                                                   &vb, nullptr));
    void* data = nullptr;
    ASSERT_EQ(D3D_OK, vb->Lock(0, 0, &data, D3DLOCK_DISCARD));
    for (int i = 0; i < 64; ++i) static_cast<unsigned char*>(data)[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(D3D_OK, vb->Unlock());
    ASSERT_EQ(D3D_OK, vb->Lock(16, 8, &data, D3DLOCK_READONLY));
    EXPECT_EQ(16, static_cast<unsigned char*>(data)[0]);
    EXPECT_EQ(23, static_cast<unsigned char*>(data)[7]);
    EXPECT_EQ(D3D_OK, vb->Unlock());

    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Unlock());  // nothing locked
    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(60, 8, &data, 0));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(65, 0, &data, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(0, 4, nullptr, 0));
    vb->Release();

    IDirect3DVertexBuffer9* none = reinterpret_cast<IDirect3DVertexBuffer9*>(&f);
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateVertexBuffer(0, 0, 0, D3DPOOL_DEFAULT, &none, nullptr));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateVertexBuffer(16, 0, 0, D3DPOOL_DEFAULT, nullptr, nullptr));
    EXPECT_EQ(E_OUTOFMEMORY, f.device->CreateVertexBuffer(0xFFFFFFF0u, 0, 0, D3DPOOL_DEFAULT, &none, nullptr));
    IDirect3DIndexBuffer9* ib = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateIndexBuffer(12, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                                                             &ib, nullptr));
    EXPECT_EQ(E_OUTOFMEMORY, f.device->CreateIndexBuffer(0xFFFFFFF0u, 0, D3DFMT_INDEX16,
                                                         D3DPOOL_MANAGED, &ib, nullptr));
    EXPECT_EQ(nullptr, ib);
}

TEST(TraceBackend, DeclarationsAreValidated) {
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(nullptr));
    IDirect3DVertexDeclaration9* decl = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateVertexDeclaration(kPosNormTex, &decl));
    UINT count = 0;
    ASSERT_EQ(D3D_OK, decl->GetDeclaration(nullptr, &count));
    EXPECT_EQ(4u, count);
    D3DVERTEXELEMENT9 copy[4];
    ASSERT_EQ(D3D_OK, decl->GetDeclaration(copy, &count));
    EXPECT_EQ(24, copy[2].Offset);
    EXPECT_EQ(0xFF, copy[3].Stream);
    decl->Release();

    const D3DVERTEXELEMENT9 endOnly[] = {D3DDECL_END()};
    ASSERT_EQ(D3D_OK, f.device->CreateVertexDeclaration(endOnly, &decl));
    decl->GetDeclaration(nullptr, &count);
    EXPECT_EQ(1u, count);
    decl->Release();

    auto rejected = [&](D3DVERTEXELEMENT9 bad) {
        const D3DVERTEXELEMENT9 list[] = {kPosNormTex[0], bad, D3DDECL_END()};
        IDirect3DVertexDeclaration9* out = nullptr;
        const HRESULT hr = f.device->CreateVertexDeclaration(list, &out);
        if (out) out->Release();
        return hr == D3DERR_INVALIDCALL && out == nullptr;
    };
    EXPECT_TRUE(rejected({0, 12, 13, 0, D3DDECLUSAGE_NORMAL, 0}));            // packed type
    EXPECT_TRUE(rejected({0, 12, 40, 0, D3DDECLUSAGE_NORMAL, 0}));            // unknown type
    EXPECT_TRUE(rejected({0, 12, D3DDECLTYPE_FLOAT3, 0, 14, 0}));             // unknown usage
    EXPECT_TRUE(rejected({0, 13, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0}));  // unaligned
    EXPECT_TRUE(rejected({16, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0})); // stream
    EXPECT_TRUE(rejected({0xFF, 0, D3DDECLTYPE_FLOAT3, 0, 0, 0}));            // end not UNUSED

    D3DVERTEXELEMENT9 unterminated[17];
    for (int i = 0; i < 17; ++i) {
        unterminated[i] = {0, static_cast<WORD>(i * 4), D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD,
                           static_cast<BYTE>(i % 8)};
    }
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateVertexDeclaration(unterminated, &decl));
    unterminated[16] = D3DDECL_END();  // 16 elements and the end: the most allowed
    ASSERT_EQ(D3D_OK, f.device->CreateVertexDeclaration(unterminated, &decl));
    decl->Release();
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateVertexDeclaration(nullptr, &decl));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateVertexDeclaration(kPosNormTex, nullptr));
}

TEST(TraceBackend, DrawsAreCheckedAgainstTheBoundBuffers) {
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(nullptr));
    Quad quad;
    quad.create(f.device, 4);
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2));
    f.device->SetStreamSource(0, quad.vb, 0, 32);
    f.device->SetIndices(quad.ib);
    f.device->SetVertexDeclaration(quad.decl);
    EXPECT_EQ(D3D_OK, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2));
    EXPECT_EQ(D3D_OK, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 1));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 0));
    // Index 3 plus base 1 is past the fourth vertex; a base that stays inside is fine.
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2));
    EXPECT_EQ(D3D_OK, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 1));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 4, 0, 1));
    // A stride that leaves the last vertex short of its elements.
    f.device->SetStreamSource(0, quad.vb, 0, 40);
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetStreamSource(1, quad.vb, 0, 32));
}

TEST(TraceBackend, ReferenceCountsFollowCom) {
    LineSink sink;
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(&sink));
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateVertexBuffer(96, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr));
    EXPECT_EQ(2u, vb->AddRef());
    EXPECT_EQ(1u, vb->Release());
    // Bound: the caller's count still goes to zero, and the device keeps the buffer
    // usable until it is unbound.
    f.device->SetStreamSource(0, vb, 0, 32);
    EXPECT_EQ(0u, vb->Release());
    EXPECT_EQ(D3D_OK, f.device->SetStreamSource(0, nullptr, 0, 0));

    // The device outlived by one of its resources: both releases still succeed.
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr));
    f.depth->Release();
    f.depth = nullptr;
    EXPECT_EQ(2u, f.device->AddRef());
    EXPECT_EQ(1u, f.device->Release());
    EXPECT_EQ(0u, f.device->Release());
    f.device = nullptr;
    void* data = nullptr;
    EXPECT_EQ(D3D_OK, ib->Lock(0, 0, &data, 0));
    EXPECT_EQ(D3D_OK, ib->Unlock());
    EXPECT_EQ(0u, ib->Release());
    EXPECT_EQ("Release ib1 0", sink.lines.back());
}

TEST(TraceBackend, ClearNeedsASuitableDepthSurface) {
    DeviceFixture f;
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Trace;
    ASSERT_TRUE(f.create(config, 320, 240, D3DMULTISAMPLE_NONE, false));
    EXPECT_EQ(D3D_OK, f.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateDepthStencilSurface(320, 240, D3DFMT_D24X8, D3DMULTISAMPLE_NONE,
                                                          0, TRUE, &depth, nullptr));
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(D3D_OK, depth->GetDesc(&desc));
    EXPECT_EQ(D3DFMT_D24X8, desc.Format);
    EXPECT_EQ(320u, desc.Width);
    ASSERT_EQ(D3D_OK, f.device->SetDepthStencilSurface(depth));
    EXPECT_EQ(D3D_OK, f.device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->Clear(2, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0));
    depth->Release();

    IDirect3DSurface9* small = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateDepthStencilSurface(160, 120, D3DFMT_D24X8, D3DMULTISAMPLE_NONE,
                                                          0, TRUE, &small, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetDepthStencilSurface(small));
    small->Release();
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateDepthStencilSurface(
                                      320, 240, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &small, nullptr));
    EXPECT_EQ(D3D_OK, f.device->BeginScene());
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->BeginScene());
}

// Cube and render-target textures without GL: a lock hands out memory of the level's
// size, target changes are traced and refused where D3D9 refuses them.
TEST(TraceBackend, CubeLocksAndRenderTargetsAreTracedAndChecked) {
    LineSink sink;
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(&sink));
    IDirect3DCubeTexture9* cube = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateCubeTexture(8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr));
    EXPECT_EQ(4u, cube->GetLevelCount());
    D3DLOCKED_RECT r;
    ASSERT_EQ(D3D_OK, cube->LockRect(D3DCUBEMAP_FACE_NEGATIVE_Z, 1, &r, nullptr, 0));
    EXPECT_EQ(16, r.Pitch);
    std::memset(r.pBits, 0xAB, 16 * 4);
    ASSERT_EQ(D3D_OK, cube->UnlockRect(D3DCUBEMAP_FACE_NEGATIVE_Z, 1));
    const RECT outside{0, 0, 9, 1};
    EXPECT_EQ(D3DERR_INVALIDCALL, cube->LockRect(D3DCUBEMAP_FACE_POSITIVE_X, 0, &r, &outside, 0));
    IDirect3DCubeTexture9* refused = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateCubeTexture(8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                                              D3DPOOL_DEFAULT, &refused, nullptr));
    EXPECT_EQ(nullptr, refused);

    IDirect3DTexture9* target = nullptr;
    IDirect3DSurface9* level = nullptr;
    IDirect3DSurface9* back = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->CreateTexture(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F,
                                                          D3DPOOL_MANAGED, &target, nullptr));
    ASSERT_EQ(D3D_OK, f.device->CreateTexture(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F,
                                              D3DPOOL_DEFAULT, &target, nullptr));
    ASSERT_EQ(D3D_OK, target->GetSurfaceLevel(0, &level));
    ASSERT_EQ(D3D_OK, f.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
    sink.lines.clear();
    EXPECT_EQ(D3D_OK, f.device->SetRenderTarget(0, level));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetRenderTarget(0, f.depth));
    EXPECT_EQ(D3D_OK, f.device->SetRenderTarget(0, back));
    ASSERT_EQ(3u, sink.lines.size());
    EXPECT_EQ("SetRenderTarget 0 tex1:0", sink.lines[0]);
    EXPECT_EQ(0u, sink.lines[1].find("SetRenderTarget 0 ds")) << sink.lines[1];
    EXPECT_NE(std::string::npos, sink.lines[1].find(" failed 0x8876086c")) << sink.lines[1];
    EXPECT_EQ("SetRenderTarget 0 backbuffer", sink.lines[2]);
    // The level keeps its texture: released first, the texture still answers through it.
    target->Release();
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(D3D_OK, level->GetDesc(&desc));
    EXPECT_EQ(64u, desc.Width);
    EXPECT_EQ(static_cast<DWORD>(D3DUSAGE_RENDERTARGET), desc.Usage);
    level->Release();
    back->Release();
    cube->Release();
}
