#include <cmath>
#include <numbers>

#include "math/MathExpect.h"

namespace {

const float kPi = std::numbers::pi_v<float>;

D3DXVECTOR3 apply(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
    D3DXVECTOR3 r;
    D3DXVec3TransformCoord(&r, &p, &m);
    return r;
}

TEST(LookAt, EyeToOriginTargetOntoPositiveZ) {
    const D3DXVECTOR3 eye(3, -4, 5), at(-1, 2, 0.5f), up(0, 0, 1);
    D3DXMATRIX v;
    D3DXMatrixLookAtLH(&v, &eye, &at, &up);
    expectVecNear(apply(eye, v), D3DXVECTOR3(0, 0, 0));
    D3DXVECTOR3 d(at.x - eye.x, at.y - eye.y, at.z - eye.z);
    const D3DXVECTOR3 target = apply(at, v);
    expectVecNear(target, D3DXVECTOR3(0, 0, D3DXVec3Length(&d)), 1e-5f);
    EXPECT_GT(target.z, 0.0f);
    // The world up ends up in the view's upper half (+y), with no sideways part.
    const D3DXVECTOR3 above(eye.x, eye.y, eye.z + 1);
    const D3DXVECTOR3 u = apply(above, v);
    EXPECT_GT(u.y, 0.0f);
    EXPECT_NEAR(u.x, 0.0f, 1e-5f);
}

TEST(LookAt, LayoutOfTheAxes) {
    // Looking down +x from the origin with z up: view z = world x, view x = cross(up, z)
    // = world +y, view y = cross(z, x) = world z; the axes are the matrix columns.
    const D3DXVECTOR3 eye(0, 0, 0), at(5, 0, 0), up(0, 0, 1);
    D3DXMATRIX v;
    D3DXMatrixLookAtLH(&v, &eye, &at, &up);
    expectMatrixNear(v, D3DXMATRIX(0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1), 1e-7f);
    // The last row is minus the eye projected on each axis.
    const D3DXVECTOR3 eye2(1, 2, 3), at2(6, 2, 3);
    D3DXMatrixLookAtLH(&v, &eye2, &at2, &up);
    EXPECT_NEAR(v._41, -2.0f, 1e-6f);  // -dot((0,1,0), eye)
    EXPECT_NEAR(v._42, -3.0f, 1e-6f);  // -dot((0,0,1), eye)
    EXPECT_NEAR(v._43, -1.0f, 1e-6f);  // -dot((1,0,0), eye)
}

TEST(Perspective, ScalesAndDepthRow) {
    const float fovy = kPi / 4, aspect = 16.0f / 9.0f, zn = 1.0f, zf = 1000.0f;
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, fovy, aspect, zn, zf);
    const float yScale = 1.0f / std::tan(fovy / 2);
    EXPECT_EQ(p._22, yScale);
    EXPECT_EQ(p._11, yScale / aspect);
    EXPECT_EQ(p._33, zf / (zf - zn));
    EXPECT_EQ(p._34, 1.0f);
    EXPECT_EQ(p._43, -zn * zf / (zf - zn));
    EXPECT_EQ(p._44, 0.0f);
    for (float v : {p._12, p._13, p._14, p._21, p._23, p._24, p._31, p._32, p._41, p._42})
        EXPECT_EQ(v, 0.0f);
}

TEST(Perspective, NearPlaneToZeroFarPlaneToOne) {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, kPi / 3, 4.0f / 3.0f, 2.0f, 50.0f);
    EXPECT_NEAR(apply(D3DXVECTOR3(0, 0, 2), p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(apply(D3DXVECTOR3(0, 0, 50), p).z, 1.0f, 1e-6f);
    // A point on the top edge of the field of view lands on y = 1.
    const float z = 10.0f;
    const D3DXVECTOR3 top(0, z * std::tan(kPi / 6), z);
    EXPECT_NEAR(apply(top, p).y, 1.0f, 1e-5f);
}

TEST(Ortho, ScreenBoxMapsToClipBox) {
    D3DXMATRIX o;
    D3DXMatrixOrthoLH(&o, 640, 480, 0, 1);
    EXPECT_EQ(o, D3DXMATRIX(2.0f / 640, 0, 0, 0, 0, 2.0f / 480, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
    const D3DXVECTOR3 corner = apply(D3DXVECTOR3(320, 240, 0.5f), o);
    EXPECT_FLOAT_EQ(corner.x, 1.0f);
    EXPECT_FLOAT_EQ(corner.y, 1.0f);
    EXPECT_FLOAT_EQ(corner.z, 0.5f);
    const D3DXVECTOR3 other = apply(D3DXVECTOR3(-320, -240, 0), o);
    EXPECT_FLOAT_EQ(other.x, -1.0f);
    EXPECT_FLOAT_EQ(other.y, -1.0f);
}

TEST(Ortho, DepthRangeMapsToZeroOne) {
    D3DXMATRIX o;
    D3DXMatrixOrthoLH(&o, 2, 2, 5, 25);
    EXPECT_EQ(o._33, 1.0f / 20.0f);
    EXPECT_EQ(o._43, 5.0f / -20.0f);
    EXPECT_NEAR(apply(D3DXVECTOR3(0, 0, 5), o).z, 0.0f, 1e-7f);
    EXPECT_NEAR(apply(D3DXVECTOR3(0, 0, 25), o).z, 1.0f, 1e-6f);
}

}  // namespace
