// Comparisons for the math tests.
#pragma once

#include <gtest/gtest.h>

#include "platform/d3dx9/d3dx9math.h"

inline void expectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tol = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], tol) << "element _" << r + 1 << c + 1;
}

inline void expectVecNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tol = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

inline void expectQuatNear(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float tol = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
    EXPECT_NEAR(a.w, b.w, tol);
}
