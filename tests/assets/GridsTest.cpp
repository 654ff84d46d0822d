#include <cstring>

#include "assets/Mesh.h"
#include "render/Grids.h"
#include "render/TestDevice.h"

using testing_support::TraceDeviceTest;

namespace {

struct V {
    float x, y, z, nx, ny, nz, u, v;
};

std::vector<V> vertices(Mesh& mesh) {
    std::vector<V> out(mesh.vertexCount);
    void* p = nullptr;
    if (!mesh.vertexBuffer || FAILED(mesh.vertexBuffer->Lock(0, 0, &p, D3DLOCK_READONLY)) || !p)
        return {};
    std::memcpy(out.data(), p, out.size() * sizeof(V));
    mesh.vertexBuffer->Unlock();
    return out;
}

std::vector<std::uint16_t> indices(Mesh& mesh) {
    std::vector<std::uint16_t> out(mesh.triangleCount * 3);
    void* p = nullptr;
    if (!mesh.indexBuffer || FAILED(mesh.indexBuffer->Lock(0, 0, &p, D3DLOCK_READONLY)) || !p)
        return {};
    std::memcpy(out.data(), p, out.size() * 2);
    mesh.indexBuffer->Unlock();
    return out;
}

std::uint32_t bits(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

using Grids = TraceDeviceTest;

TEST_F(Grids, ScreenQuadCornersTexcoordsAndIndices) {
    Mesh quad;
    buildGridMesh(quad, 2, 2, 644, 484, -322, -242);
    EXPECT_EQ(quad.vertexCount, 4u);
    EXPECT_EQ(quad.vertexStride, 32u);
    EXPECT_EQ(quad.triangleCount, 2u);
    ASSERT_NE(quad.vertexDecl, nullptr);
    const auto v = vertices(quad);
    ASSERT_EQ(v.size(), 4u);
    const float expected[4][5] = {{-322, -242, 1, 0, 0}, {322, -242, 1, 1, 0},
                                  {-322, 242, 1, 0, -1}, {322, 242, 1, 1, -1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, expected[i][0]) << i;
        EXPECT_EQ(v[i].y, expected[i][1]) << i;
        EXPECT_EQ(v[i].z, expected[i][2]) << i;
        EXPECT_EQ(v[i].u, expected[i][3]) << i;
        EXPECT_EQ(v[i].v, expected[i][4]) << i;
        EXPECT_EQ(v[i].nx, 0.0f);
        EXPECT_EQ(v[i].ny, 0.0f);
        EXPECT_EQ(v[i].nz, 1.0f);
    }
    EXPECT_EQ(indices(quad), (std::vector<std::uint16_t>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(win32::messageBoxCount(), 0u);
}

TEST_F(Grids, BuffersFollowTheSharedConventions) {
    Mesh quad;
    buildGridMesh(quad, 2, 2, 644, 484, -322, -242);
    const auto vb = log.starting("CreateVertexBuffer");
    const auto ib = log.starting("CreateIndexBuffer");
    ASSERT_EQ(vb.size(), 1u);
    ASSERT_EQ(ib.size(), 1u);
    // length, usage 0x208, FVF 0x112, default pool
    EXPECT_NE(vb[0].find("128"), std::string::npos) << vb[0];
    EXPECT_NE(vb[0].find("0x208"), std::string::npos) << vb[0];
    EXPECT_NE(vb[0].find("0x112"), std::string::npos) << vb[0];
    EXPECT_NE(ib[0].find("12"), std::string::npos) << ib[0];
    EXPECT_NE(ib[0].find("D3DFMT_INDEX16"), std::string::npos) << ib[0];
    EXPECT_NE(ib[0].find("D3DPOOL_MANAGED"), std::string::npos) << ib[0];
}

TEST_F(Grids, ScreenGridStepsAreRoundedOnce) {
    Mesh grid;
    buildGridMesh(grid, 80, 60, 640, 480, -320, -240);
    EXPECT_EQ(grid.vertexCount, 4800u);
    EXPECT_EQ(grid.triangleCount, 2u * 79 * 59);
    const auto v = vertices(grid);
    ASSERT_EQ(v.size(), 4800u);
    const float fx = static_cast<float>(640.0 * (1.0 / 79));
    const float fu = static_cast<float>(1.0 / 79);
    const float fv = static_cast<float>(1.0 / 59);
    for (int r : {0, 1, 30, 59}) {
        for (int c : {0, 1, 17, 78, 79}) {
            const V& p = v[r * 80 + c];
            EXPECT_EQ(bits(p.x), bits(static_cast<float>(-320.0 + c * static_cast<double>(fx))));
            EXPECT_EQ(bits(p.u), bits(static_cast<float>(c * static_cast<double>(fu))));
            EXPECT_EQ(bits(p.v), bits(-static_cast<float>(r * static_cast<double>(fv))));
            EXPECT_EQ(p.z, 1.0f);
        }
    }
    // Point numbering is row by row and the last point reaches the far corner.
    EXPECT_NEAR(v[4799].x, 320.0f, 1e-3);
    EXPECT_NEAR(v[4799].y, 240.0f, 1e-3);
    const auto idx = indices(grid);
    ASSERT_EQ(idx.size(), 6u * 79 * 59);
    // Cell (c 2, r 1): p = 82.
    const std::size_t cell = (1 * 79 + 2) * 6;
    EXPECT_EQ(std::vector<std::uint16_t>(idx.begin() + cell, idx.begin() + cell + 6),
              (std::vector<std::uint16_t>{82, 83, 162, 163, 162, 83}));
}

TEST_F(Grids, TileGridCountsAndTileNumbers) {
    Mesh floor;
    buildTileGrid(floor, 20, 20, 500, 500, -250, -250);
    EXPECT_EQ(floor.vertexCount, 2166u);
    EXPECT_EQ(floor.triangleCount, 722u);
    const auto v = vertices(floor);
    ASSERT_EQ(v.size(), 2166u);
    const float tx = 0.0015f;
    const float ty = 0.0018f;
    EXPECT_EQ(bits(tx), 0x3AC49BA6u);
    EXPECT_EQ(bits(ty), 0x3AEBEDFAu);
    auto expectTile = [&](std::size_t k, unsigned n) {
        EXPECT_EQ(bits(v[k].nx), bits(static_cast<float>(n * static_cast<double>(tx)))) << k;
        EXPECT_EQ(bits(v[k].ny), bits(static_cast<float>(n * static_cast<double>(ty)))) << k;
        EXPECT_EQ(v[k].nz, 1.0f) << k;
    };
    expectTile(0, 0);
    expectTile(6, 0);
    expectTile(7, 1);
    expectTile(12, 1);
    expectTile(13, 2);
    expectTile(2165, 360);
    // Tile number 0 leaves the normal exactly (0, 0, 1).
    EXPECT_EQ(v[3].nx, 0.0f);
    EXPECT_EQ(v[3].ny, 0.0f);
    // Vertex k copies the grid point that entry k of the cell list names: entry 3 of
    // cell 0 is point 21 = (c 1, r 1).
    const float step = static_cast<float>(500.0 * (1.0 / 19));
    EXPECT_EQ(bits(v[3].x), bits(static_cast<float>(-250.0 + step)));
    EXPECT_EQ(bits(v[3].y), bits(static_cast<float>(-250.0 + step)));
    const auto idx = indices(floor);
    ASSERT_EQ(idx.size(), 2166u);
    for (std::size_t k = 0; k < idx.size(); ++k) ASSERT_EQ(idx[k], k);
}

TEST_F(Grids, FlatInZEqualsOneWhateverTheArguments) {
    Mesh grid;
    buildTileGrid(grid, 3, 4, -10, 7.5f, 1000, -3);
    for (const V& p : vertices(grid)) EXPECT_EQ(p.z, 1.0f);
    EXPECT_EQ(grid.vertexCount, 6u * 2 * 3);
}

TEST_F(Grids, FailedCreationIsReportedAndLeavesTheMeshEmpty) {
    gDevice = nullptr;
    Mesh grid;
    buildGridMesh(grid, 2, 2, 644, 484, -322, -242);
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "VertexBuffer");
    EXPECT_EQ(grid.vertexBuffer, nullptr);
    EXPECT_EQ(grid.indexBuffer, nullptr);
    EXPECT_EQ(grid.vertexCount, 0u);
    gDevice = device;
}

TEST_F(Grids, TooManyVerticesForSixteenBitIndicesIsRefused) {
    Mesh grid;
    buildTileGrid(grid, 200, 200, 100, 100, 0, 0);  // 237,606 vertices
    EXPECT_EQ(grid.vertexBuffer, nullptr);
    EXPECT_EQ(win32::messageBoxCount(), 1u);
}

}  // namespace
