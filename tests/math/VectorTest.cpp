#include "math/MathExpect.h"

namespace {

TEST(Vector, DotCrossLength) {
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    D3DXVECTOR3 c;
    D3DXVec3Cross(&c, &x, &y);
    EXPECT_EQ(c, D3DXVECTOR3(0, 0, 1));
    const D3DXVECTOR3 a(1, 2, 3), b(-4, 5, 0.5f);
    EXPECT_EQ(D3DXVec3Dot(&a, &b), 1 * -4 + 2 * 5 + 3 * 0.5f);
    D3DXVec3Cross(&c, &a, &b);
    EXPECT_EQ(c, D3DXVECTOR3(2 * 0.5f - 3 * 5, 3 * -4 - 1 * 0.5f, 1 * 5 - 2 * -4));
    // Aliasing the output with an input.
    D3DXVECTOR3 alias = a;
    D3DXVec3Cross(&alias, &alias, &b);
    EXPECT_EQ(alias, c);
    const D3DXVECTOR3 v(3, 4, 12);
    EXPECT_EQ(D3DXVec3Length(&v), 13.0f);
}

TEST(Vector, NormalizeKeepsZeroAtZero) {
    const D3DXVECTOR3 v(0, 3, 4);
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &v);
    expectVecNear(n, D3DXVECTOR3(0, 0.6f, 0.8f), 1e-7f);
    const D3DXVECTOR3 zero(0, 0, 0);
    D3DXVec3Normalize(&n, &zero);
    EXPECT_EQ(n, zero);
}

TEST(Vector, TransformAndTransformCoord) {
    // A matrix with a non-trivial last column: Transform keeps w, TransformCoord divides.
    const D3DXMATRIX m(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 2, 3, 4, 1);
    const D3DXVECTOR3 p(1, 1, 3);
    D3DXVECTOR4 h;
    D3DXVec3Transform(&h, &p, &m);
    EXPECT_EQ(h, D3DXVECTOR4(3, 4, 7, 4));
    D3DXVECTOR3 c;
    D3DXVec3TransformCoord(&c, &p, &m);
    EXPECT_EQ(c, D3DXVECTOR3(0.75f, 1.0f, 1.75f));
}

}  // namespace
