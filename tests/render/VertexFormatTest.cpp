#include <cstring>

#include "render/TestDevice.h"
#include "render/VertexFormat.h"

using testing_support::TraceDeviceTest;

namespace {

std::vector<D3DVERTEXELEMENT9> declared(std::uint16_t mask, bool* created = nullptr) {
    VertexStaging staging;
    staging.formatMask = mask;
    IDirect3DVertexDeclaration9* decl = nullptr;
    const bool ok = createDeclarationFromMask(staging, &decl);
    if (created) *created = ok;
    std::vector<D3DVERTEXELEMENT9> out;
    if (!decl) return out;
    UINT count = 0;
    decl->GetDeclaration(nullptr, &count);
    out.resize(count);
    decl->GetDeclaration(out.data(), &count);
    decl->Release();
    return out;
}

void expectElement(const D3DVERTEXELEMENT9& e, WORD offset, BYTE type, BYTE usage) {
    EXPECT_EQ(e.Stream, 0);
    EXPECT_EQ(e.Offset, offset);
    EXPECT_EQ(e.Type, type);
    EXPECT_EQ(e.Method, D3DDECLMETHOD_DEFAULT);
    EXPECT_EQ(e.Usage, usage);
    EXPECT_EQ(e.UsageIndex, 0);
}

void expectEnd(const D3DVERTEXELEMENT9& e) {
    EXPECT_EQ(e.Stream, 0xFF);
    EXPECT_EQ(e.Type, D3DDECLTYPE_UNUSED);
}

using VertexFormat = TraceDeviceTest;

TEST_F(VertexFormat, GridMaskGivesPositionNormalTexcoord) {
    bool created = false;
    const auto e = declared(0x0007, &created);
    EXPECT_TRUE(created);
    ASSERT_EQ(e.size(), 4u);
    expectElement(e[0], 0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    expectElement(e[1], 12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);
    expectElement(e[2], 24, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD);
    expectEnd(e[3]);
    EXPECT_EQ(vertexSizeFromMask(0x0007), 32u);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
}

TEST_F(VertexFormat, BlendWeightFollowsPosition) {
    const auto e = declared(0x0041);
    ASSERT_EQ(e.size(), 3u);
    expectElement(e[0], 0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    expectElement(e[1], 12, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_BLENDWEIGHT);
    EXPECT_EQ(vertexSizeFromMask(0x0041), 16u);
}

TEST_F(VertexFormat, EveryKnownBitInOrderWithPackedOffsets) {
    const auto e = declared(0x03FF);
    ASSERT_EQ(e.size(), 11u);
    const BYTE usages[10] = {D3DDECLUSAGE_POSITION, D3DDECLUSAGE_NORMAL,   D3DDECLUSAGE_TEXCOORD,
                             D3DDECLUSAGE_TANGENT,  D3DDECLUSAGE_BINORMAL, D3DDECLUSAGE_COLOR,
                             D3DDECLUSAGE_BLENDWEIGHT, D3DDECLUSAGE_TEXCOORD,
                             D3DDECLUSAGE_TEXCOORD, D3DDECLUSAGE_TEXCOORD};
    const WORD offsets[10] = {0, 12, 24, 32, 44, 56, 68, 72, 84, 96};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(e[i].Usage, usages[i]) << i;
        EXPECT_EQ(e[i].Offset, offsets[i]) << i;
    }
    EXPECT_EQ(vertexSizeFromMask(0x03FF), 108u);
}

TEST_F(VertexFormat, UnknownBitIsReportedOnceAndSkipped) {
    testing::internal::CaptureStdout();
    const auto e = declared(0x0405);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(e.size(), 3u);
    expectElement(e[0], 0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    expectElement(e[1], 12, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(out, "vertexdecl bit[10]\n");
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "VertexDecl");
    EXPECT_STREQ(win32::lastMessageBox().text, "There's something very wrong");
    EXPECT_EQ(vertexSizeFromMask(0x0405), 20u);
}

TEST_F(VertexFormat, EmptyMaskHoldsOnlyTheEndMarker) {
    D3DVERTEXELEMENT9 elements[17];
    ASSERT_EQ(vertexElementsFromMask(0, elements), 1u);
    expectEnd(elements[0]);
}

TEST_F(VertexFormat, FailedCreationIsReportedAsRodizo) {
    gDevice = nullptr;  // no device: the declaration cannot be created
    VertexStaging staging;
    staging.formatMask = 0x0007;
    IDirect3DVertexDeclaration9* decl = nullptr;
    EXPECT_FALSE(createDeclarationFromMask(staging, &decl));
    EXPECT_EQ(decl, nullptr);
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "VertexDecl");
    EXPECT_STREQ(win32::lastMessageBox().text, "InvalidCall With Rodizo");
    gDevice = device;
}

TEST(VertexStagingTest, AllocatesCountTimesStride) {
    VertexStaging staging;
    staging.stride = 32;
    staging.allocate(5);
    ASSERT_NE(staging.data, nullptr);
    EXPECT_EQ(staging.count, 5u);
    std::memset(staging.data, 0xAB, 5 * 32);  // the whole block is writable (ASan checks)
    staging.release();
    EXPECT_EQ(staging.data, nullptr);
}

}  // namespace
