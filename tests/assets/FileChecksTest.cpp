#include <gtest/gtest.h>

#include "assets/DataFiles.h"
#include "assets/FileChecks.h"
#include "assets/SceneLines.h"

using namespace testing_support;

namespace {

TEST(IdField, DecimalWithinFourCharacters) {
    EXPECT_EQ(parseIdField("  12xxxx", 4), 12);
    EXPECT_EQ(parseIdField("  -7", 4), -7);
    EXPECT_EQ(parseIdField("+003", 4), 3);
    EXPECT_EQ(parseIdField("abcd", 4), 0);
    EXPECT_EQ(parseIdField("12345", 4), 1234);  // the fifth character is not part of it
    EXPECT_EQ(parseIdField(" 4 5", 4), 4);
}

TEST(NodeKindOfLine, FromTheLengthBehindTheLastDot) {
    auto kind = [](const std::string& line) { return nodeKindOfLine(line.c_str(), line.size()); };
    EXPECT_EQ(kind("   1a.mesh   0"), NodeKind::Mesh);
    EXPECT_EQ(kind("   1a.abcd   0"), NodeKind::Mesh);  // letters do not matter
    EXPECT_EQ(kind("   1a.light   0"), NodeKind::Light);
    EXPECT_EQ(kind("   1a.camera   0"), NodeKind::Camera);
    EXPECT_EQ(kind("   1a.material   0"), NodeKind::MaterialList);
    EXPECT_EQ(kind("   1a.texture   0"), NodeKind::Unknown);
    EXPECT_EQ(kind("   1x   0"), NodeKind::Mesh);  // no dot, 9 characters
    EXPECT_EQ(kind("   1xy   0"), NodeKind::Light);
    EXPECT_EQ(kind("   1x.y.mesh   0"), NodeKind::Mesh);
    EXPECT_EQ(kind("   1x.mesh  .0"), NodeKind::Unknown);  // a dot in the parent field counts
}

TEST(SceneReader, LinesEndsAndFaults) {
    const std::string text = std::string("   1a.mesh   0\r\n\n   2b.light   1\nshort\n") + "\xFF" + "junk";
    SceneReader reader{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
    SceneLine line;
    FileCheck fault;
    ASSERT_EQ(reader.next(line, fault), SceneStep::Line);
    EXPECT_EQ(line.length, 14u);
    EXPECT_STREQ(line.name, "a.mesh");
    EXPECT_EQ(line.id, 1);
    EXPECT_EQ(line.number, 1u);
    fault = FileCheck{};
    ASSERT_EQ(reader.next(line, fault), SceneStep::Line);  // the blank line is passed over
    EXPECT_EQ(line.kind, NodeKind::Light);
    EXPECT_EQ(line.parentId, 1);
    EXPECT_EQ(line.number, 3u);
    fault = FileCheck{};
    ASSERT_EQ(reader.next(line, fault), SceneStep::BadLine);
    EXPECT_EQ(fault.line, 4u);
    fault = FileCheck{};
    EXPECT_EQ(reader.next(line, fault), SceneStep::End);
}

TEST(SceneReader, DataEndingWithoutTheEndByte) {
    const std::string text = "   1a.mesh   0\n   2b";
    SceneReader reader{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
    SceneLine line;
    FileCheck fault;
    ASSERT_EQ(reader.next(line, fault), SceneStep::Line);
    ASSERT_EQ(reader.next(line, fault), SceneStep::Truncated);
    EXPECT_FALSE(fault.ok);
    EXPECT_EQ(fault.line, 2u);
}

TEST(CameraCheck, SharedCountZeroLetsEachTrackStateItsOwn) {
    Bytes b;
    b.f32(1).f32(100).u32(1).f32(0.5f).u32(0);
    b.u32(2).vec({0, 0, 0}).vec({1, 1, 1});
    b.u32(1).vec({0, 0, 1});
    CameraFileLayout layout;
    FileCheck check;
    EXPECT_TRUE(checkCameraBytes(b.data.data(), b.size(), layout, check)) << check.message;
    EXPECT_EQ(layout.position.count, 2u);
    EXPECT_EQ(layout.target.count, 1u);
    EXPECT_EQ(layout.target.keysOffset, b.size() - 12);
}

TEST(CameraCheck, TruncatedFieldOfViewKeys) {
    Bytes b;
    b.f32(1).f32(100).u32(3).f32(0.5f);
    CameraFileLayout layout;
    FileCheck check;
    EXPECT_FALSE(checkCameraBytes(b.data.data(), b.size(), layout, check));
    EXPECT_EQ(check.offset, 12u);
    char text[300];
    check.describe(text, sizeof text);
    EXPECT_NE(std::string(text).find("field-of-view track claims 3 keys"), std::string::npos) << text;
    EXPECT_NE(std::string(text).find("at byte 12"), std::string::npos) << text;
}

TEST(LightCheck, KeysMustFit) {
    Bytes good = lightBytes({{1, 2, 3}});
    LightFileLayout layout;
    FileCheck ok;
    EXPECT_TRUE(checkLightBytes(good.data.data(), good.size(), layout, ok));
    EXPECT_EQ(layout.position.keysOffset, 28u);
    Bytes bad = good;
    bad.data[24] = 2;
    FileCheck check;
    EXPECT_FALSE(checkLightBytes(bad.data.data(), bad.size(), layout, check));
    FileCheck shortHeader;
    EXPECT_FALSE(checkLightBytes(bad.data.data(), 20, layout, shortHeader));
}

TEST(SyncCheck, HeaderCountsAgainstSize) {
    Bytes b;
    b.u32(10).u32(8).zeros(10 * 8 * 4);
    FileCheck ok;
    EXPECT_TRUE(checkSyncBytes(b.data.data(), b.size(), ok));
    FileCheck bad;
    EXPECT_FALSE(checkSyncBytes(b.data.data(), b.size() - 1, bad));
    Bytes huge;
    huge.u32(0xFFFFFFFF).u32(0xFFFFFFFF);
    FileCheck overflow;
    EXPECT_FALSE(checkSyncBytes(huge.data.data(), huge.size(), overflow));
}

TEST(MeshCheck, EveryIndexMustBeBelowTheVertexCount) {
    MeshFile m = quadMesh(0, 0, 1, 1, 0);
    m.indices[5] = 9;
    const Bytes b = m.bytes();
    MeshFileLayout layout;
    FileCheck check;
    EXPECT_FALSE(checkMeshBytes(b.data.data(), b.size(), layout, check));
    EXPECT_FALSE(layout.geometrySound);
    EXPECT_EQ(check.offset, 86u + 10);
}

TEST(MeshCheck, StrideMayPadTheLayoutButNotShortenIt) {
    struct Case {
        std::uint32_t stride;
        bool sound;
    };
    for (const Case c : {Case{12, true}, Case{16, true}, Case{64, true}, Case{8, false}, Case{14, false}}) {
        MeshFile m;
        m.mask = 0x0001;  // a 12-byte position
        m.stride = c.stride;
        m.vertices.assign(3 * c.stride / 4, 0.0f);
        m.indices = {0, 1, 2};
        const Bytes b = m.bytes();
        MeshFileLayout layout;
        FileCheck check;
        EXPECT_EQ(checkMeshBytes(b.data.data(), b.size(), layout, check), c.sound) << c.stride << ": " << check.message;
        EXPECT_EQ(layout.geometrySound, c.sound) << c.stride;
        if (!c.sound) EXPECT_EQ(check.offset, 80u) << c.stride;
    }
}

TEST(MeshCheck, SixtyFiveThousandFiveHundredThirtySixVerticesAreAllowed) {
    MeshFile m;
    m.mask = 0x0001;
    m.stride = 12;
    m.vertices.assign(65536 * 3, 0.0f);
    m.indices = {0, 1, 65535};
    const Bytes b = m.bytes();
    MeshFileLayout layout;
    FileCheck check;
    EXPECT_TRUE(checkMeshBytes(b.data.data(), b.size(), layout, check)) << check.message;
    EXPECT_EQ(layout.vertexCount, 65536u);
}

}  // namespace
