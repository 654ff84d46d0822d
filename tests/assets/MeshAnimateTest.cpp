#include <cstdio>

#include <gtest/gtest.h>

#include "assets/Mesh.h"

namespace {

template <class Track, class Key>
void fill(Track& track, std::vector<Key> keys) {
    std::FILE* f = fmemopen(keys.data(), keys.size() * sizeof(Key), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(track.readFrom(f, static_cast<std::uint32_t>(keys.size())));
    std::fclose(f);
}

void animateWith(Mesh& m, D3DXVECTOR3 p, D3DXQUATERNION q, D3DXVECTOR3 s) {
    fill(m.positionTrack, std::vector<D3DXVECTOR3>{p});
    fill(m.rotationTrack, std::vector<D3DXQUATERNION>{q});
    fill(m.scaleTrack, std::vector<D3DXVECTOR3>{s});
}

const D3DXQUATERNION kQuarterTurnZ{0.0f, 0.0f, 0.70710677f, 0.70710677f};

TEST(MeshAnimate, SingleKeyGivesScaleThenRotateThenTranslate) {
    Mesh m;
    animateWith(m, {1, 2, 3}, kQuarterTurnZ, {2, 2, 2});
    m.base = translationMatrix({100, 0, 0});
    for (float t : {0.0f, 0.5f, 30.0f}) {
        m.animate(t);
        const D3DXMATRIX expected =
            scalingMatrix({2, 2, 2}) * rotationMatrix(kQuarterTurnZ) * translationMatrix({1, 2, 3});
        EXPECT_TRUE(m.local == expected) << t;
        EXPECT_TRUE(m.world == expected * m.base) << t;
    }
}

TEST(MeshAnimate, NoKeysMeansWorldIsBaseWhateverTheParent) {
    Mesh parent;
    animateWith(parent, {5, 5, 5}, kQuarterTurnZ, {1, 1, 1});
    parent.animate(0);
    Mesh m;
    m.parent = &parent;
    m.base = yawPitchRollMatrix({0.1f, 0.2f, 0.3f});
    m.animate(2.0f);
    EXPECT_TRUE(m.world == m.base);
    EXPECT_TRUE(m.local == IDENTITY_MATRIX);
}

TEST(MeshAnimate, ChildComposesTheLocalsOfTwoAncestors) {
    Mesh grand, parent, child;
    animateWith(grand, {10, 0, 0}, kQuarterTurnZ, {1, 1, 1});
    animateWith(parent, {0, 5, 0}, {0, 0, 0, 1}, {2, 2, 2});
    animateWith(child, {1, 0, 0}, kQuarterTurnZ, {1, 1, 1});
    parent.parent = &grand;
    child.parent = &parent;
    grand.animate(0);
    parent.animate(0);
    child.animate(0);
    EXPECT_TRUE(child.world == child.local * (parent.local * grand.local));

    // Bases of the ancestors and of the child itself take no part.
    const D3DXMATRIX before = child.world;
    grand.base = translationMatrix({1000, 1000, 1000});
    parent.base = scalingMatrix({9, 9, 9});
    child.base = translationMatrix({-50, 0, 0});
    grand.animate(0);
    parent.animate(0);
    child.animate(0);
    EXPECT_TRUE(child.world == before);

    // A point at the child's origin ends where the three transforms put it.
    D3DXVECTOR3 origin(0, 0, 0), out;
    D3DXVec3TransformCoord(&out, &origin, &child.world);
    // child (1,0,0); parent x2 + (0,5,0) = (2,5,0); grand turns it to (-5,2,0), + (10,0,0)
    EXPECT_NEAR(out.x, 5.0f, 1e-4);
    EXPECT_NEAR(out.y, 2.0f, 1e-4);
    EXPECT_NEAR(out.z, 0.0f, 1e-4);
}

TEST(MeshAnimate, ParentLoopDoesNotHang) {
    Mesh a;
    animateWith(a, {1, 0, 0}, {0, 0, 0, 1}, {1, 1, 1});
    a.parent = &a;  // the scene loader refuses this; animate must still end
    a.animate(0);
    a.parent = nullptr;
    SUCCEED();
}

TEST(MatrixBuilders, MatchTheD3DXFunctions) {
    D3DXMATRIX m;
    EXPECT_TRUE(translationMatrix({1, 2, 3}) == *D3DXMatrixTranslation(&m, 1, 2, 3));
    EXPECT_TRUE(scalingMatrix({1, 2, 3}) == *D3DXMatrixScaling(&m, 1, 2, 3));
    EXPECT_TRUE(rotationMatrix(kQuarterTurnZ) == *D3DXMatrixRotationQuaternion(&m, &kQuarterTurnZ));
    EXPECT_TRUE(yawPitchRollMatrix({0.1f, 0.2f, 0.3f}) == *D3DXMatrixRotationYawPitchRoll(&m, 0.1f, 0.2f, 0.3f));
    EXPECT_TRUE(rotationMatrix({0, 0, 0, 0}) == IDENTITY_MATRIX);
}

}  // namespace
