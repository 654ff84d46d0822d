#include <cstring>

#include "assets/DataFiles.h"
#include "assets/Mesh.h"
#include "render/TestDevice.h"
#include "render/TestFiles.h"

using namespace testing_support;

namespace {

class MeshLoad : public TraceDeviceTest {
protected:
    std::string dir;
    void SetUp() override {
        TraceDeviceTest::SetUp();
        dir = scratchFolder();
    }
    std::string write(const std::string& name, const Bytes& b) {
        const std::string path = dir + name;
        EXPECT_TRUE(writeFile(path, b.data));
        return path;
    }
};

TEST_F(MeshLoad, SoundFileFillsBuffersAndTracks) {
    MeshFile file = quadMesh(-1, -1, 1, 1, 0);
    file.materialIndex = 2;
    file.keys.positions = {{1, 2, 3}, {4, 5, 6}};
    file.keys.rotations = {{0, 0, 0, 1}, {0, 0, 0, 1}};
    file.keys.scales = {{1, 1, 1}, {2, 2, 2}};
    const std::string path = write("quad.mesh", file.bytes());
    Mesh mesh;
    mesh.load(path.c_str());
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().text;
    EXPECT_EQ(mesh.materialIndex, 2u);
    EXPECT_EQ(mesh.vertexCount, 4u);
    EXPECT_EQ(mesh.vertexStride, 32u);
    EXPECT_EQ(mesh.triangleCount, 2u);
    ASSERT_NE(mesh.vertexBuffer, nullptr);
    ASSERT_NE(mesh.indexBuffer, nullptr);
    ASSERT_NE(mesh.vertexDecl, nullptr);
    EXPECT_EQ(mesh.positionTrack.count, 2u);
    EXPECT_EQ(mesh.rotationTrack.count, 2u);
    EXPECT_EQ(mesh.scaleTrack.count, 2u);
    EXPECT_EQ(mesh.scaleTrack.keys[1], D3DXVECTOR3(2, 2, 2));

    void* p = nullptr;
    ASSERT_EQ(mesh.vertexBuffer->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(p, file.vertices.data(), 128), 0);
    mesh.vertexBuffer->Unlock();
    ASSERT_EQ(mesh.indexBuffer->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(p, file.indices.data(), 12), 0);
    mesh.indexBuffer->Unlock();

    const auto vb = log.starting("CreateVertexBuffer");
    ASSERT_EQ(vb.size(), 1u);
    EXPECT_NE(vb[0].find("0x208"), std::string::npos) << vb[0];
    EXPECT_NE(vb[0].find("D3DPOOL_DEFAULT"), std::string::npos) << vb[0];
}

TEST_F(MeshLoad, KeyCountZeroLetsEachTrackStateItsOwn) {
    MeshFile file = quadMesh(-1, -1, 1, 1, 0);
    Bytes b = file.bytes();  // ends with K = 0
    b.u32(1).vec({7, 8, 9});         // position: 1 key
    b.u32(0);                        // rotation: none
    b.u32(2).vec({1, 1, 1}).vec({3, 3, 3});  // scale: 2 keys
    Mesh mesh;
    mesh.load(write("own.mesh", b).c_str());
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().text;
    EXPECT_EQ(mesh.positionTrack.count, 1u);
    EXPECT_EQ(mesh.rotationTrack.count, 0u);
    EXPECT_EQ(mesh.scaleTrack.count, 2u);
    EXPECT_EQ(mesh.positionTrack.keys[0], D3DXVECTOR3(7, 8, 9));
}

TEST_F(MeshLoad, FileEndingRightAfterKeyCountZeroHasNoTracks) {
    Mesh mesh;
    mesh.load(write("plain.mesh", quadMesh(0, 0, 1, 1, 0).bytes()).c_str());
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    EXPECT_EQ(mesh.positionTrack.count + mesh.rotationTrack.count + mesh.scaleTrack.count, 0u);
    EXPECT_NE(mesh.vertexBuffer, nullptr);
}

TEST_F(MeshLoad, MissingFileIsReportedAndTheMeshStaysEmpty) {
    Mesh mesh;
    const std::string path = dir + "absent.mesh";
    mesh.load(path.c_str());
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Failed To Open The MeshFile");
    EXPECT_EQ(win32::lastMessageBox().text, path);
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(log.count("Create"), 0u);
}

// Every broken mesh gets one box naming the file and the fault, and creates nothing it
// cannot fill.
TEST_F(MeshLoad, BrokenGeometryIsRefusedWithOneBox) {
    struct Case {
        const char* name;
        Bytes bytes;
        const char* needle;
    };
    MeshFile good = quadMesh(0, 0, 1, 1, 0);
    std::vector<Case> cases;
    {
        Bytes b = good.bytes();
        b.data.resize(50);
        cases.push_back({"header.mesh", b, "header"});
    }
    {
        MeshFile m = good;
        m.indices[4] = 4;  // vertex count is 4
        cases.push_back({"index.mesh", m.bytes(), "index 4 is 4"});
    }
    {
        MeshFile m = good;
        m.stride = 28;
        m.vertices.resize(28);  // 4 x 28 bytes, but the mask says 32
        cases.push_back({"stride.mesh", m.bytes(), "stride 28"});
    }
    {
        Bytes b = good.bytes();
        b.data[76] = 0x01;  // V = 65537
        b.data[77] = 0x00;
        b.data[78] = 0x01;
        cases.push_back({"many.mesh", b, "65536"});
    }
    {
        Bytes b = good.bytes();
        b.data[72] = 0xFF;  // T far beyond the file
        b.data[73] = 0xFF;
        cases.push_back({"tri.mesh", b, "triangles"});
    }
    {
        Bytes b = good.bytes();
        b.data.resize(86 + 12 + 100);  // vertex data cut short
        cases.push_back({"short.mesh", b, "vertices"});
    }
    for (const Case& c : cases) {
        win32::resetMessageBoxes();
        log.lines.clear();
        Mesh mesh;
        const std::string path = write(c.name, c.bytes);
        mesh.load(path.c_str());
        EXPECT_EQ(win32::messageBoxCount(), 1u) << c.name;
        const std::string text = win32::lastMessageBox().text;
        EXPECT_NE(text.find(path), std::string::npos) << text;
        EXPECT_NE(text.find(c.needle), std::string::npos) << c.name << ": " << text;
        EXPECT_EQ(mesh.vertexBuffer, nullptr) << c.name;
        EXPECT_EQ(mesh.indexBuffer, nullptr) << c.name;
        EXPECT_EQ(log.count("CreateVertexBuffer"), 0u) << c.name;
    }
}

// Eight bytes of padding after each vertex's elements: loaded, and bound with the file's
// 40-byte stride, not the 32 bytes the mask describes.
TEST_F(MeshLoad, PaddedStrideIsKeptForBinding) {
    MeshFile file = quadMesh(-1, -1, 1, 1, 0);
    std::vector<float> padded;
    for (std::size_t v = 0; v < 4; ++v) {
        padded.insert(padded.end(), file.vertices.begin() + 8 * v, file.vertices.begin() + 8 * v + 8);
        padded.insert(padded.end(), {-7.0f, -7.0f});
    }
    file.vertices = padded;
    file.stride = 40;
    Mesh mesh;
    mesh.load(write("padded.mesh", file.bytes()).c_str());
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().text;
    EXPECT_EQ(mesh.vertexCount, 4u);
    EXPECT_EQ(mesh.vertexStride, 40u);
    ASSERT_NE(mesh.vertexBuffer, nullptr);
    void* p = nullptr;
    ASSERT_EQ(mesh.vertexBuffer->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(p, padded.data(), 160), 0);
    mesh.vertexBuffer->Unlock();
    log.lines.clear();
    mesh.bindBuffers();
    const auto bound = log.starting("SetStreamSource");
    ASSERT_EQ(bound.size(), 1u);
    EXPECT_NE(bound[0].find(" 0 40"), std::string::npos) << bound[0];
}

TEST_F(MeshLoad, BrokenTracksKeepTheSoundGeometry) {
    MeshFile file = quadMesh(0, 0, 1, 1, 0);
    file.keys.positions = {{1, 2, 3}};
    file.keys.rotations = {{0, 0, 0, 1}};
    file.keys.scales = {{1, 1, 1}};
    Bytes b = file.bytes();
    b.data.resize(b.size() - 4);  // the last scale key is cut
    Mesh mesh;
    mesh.load(write("tracks.mesh", b).c_str());
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_NE(std::string(win32::lastMessageBox().text).find("scale track"), std::string::npos)
        << win32::lastMessageBox().text;
    EXPECT_NE(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(mesh.positionTrack.count + mesh.rotationTrack.count + mesh.scaleTrack.count, 0u);
}

TEST_F(MeshLoad, ReleaseEmptiesBuffersAndTracks) {
    MeshFile file = quadMesh(0, 0, 1, 1, 0);
    file.keys.positions = {{1, 2, 3}};
    file.keys.rotations = {{0, 0, 0, 1}};
    file.keys.scales = {{1, 1, 1}};
    Mesh mesh;
    mesh.load(write("r.mesh", file.bytes()).c_str());
    mesh.release();
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(mesh.indexBuffer, nullptr);
    EXPECT_EQ(mesh.vertexDecl, nullptr);
    EXPECT_EQ(mesh.positionTrack.count, 0u);
}

}  // namespace

namespace {

TEST_F(MeshLoad, UnknownMaskBitIsReportedAndTheMeshStillLoads) {
    MeshFile file = quadMesh(0, 0, 1, 1, 0);
    file.mask = 0x0807;  // bit 11 names no element; the stride stays that of the known bits
    testing::internal::CaptureStdout();
    Mesh mesh;
    mesh.load(write("odd.mesh", file.bytes()).c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "vertexdecl bit[11]\n");
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "VertexDecl");
    EXPECT_NE(mesh.vertexBuffer, nullptr);
    EXPECT_NE(mesh.vertexDecl, nullptr);
}

}  // namespace
