#include <cmath>
#include <numbers>

#include "math/MathExpect.h"

namespace {

const float kPi = std::numbers::pi_v<float>;

D3DXMATRIX sample() {
    return D3DXMATRIX(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
}

TEST(Matrix, MultiplyIsRowTimesColumn) {
    const D3DXMATRIX a = sample();
    D3DXMATRIX b;
    D3DXMatrixTranslation(&b, 10, 20, 30);
    D3DXMATRIX p;
    D3DXMatrixMultiply(&p, &a, &b);
    // Row 0 of a is (1,2,3,4): translated by the last row weight 4.
    EXPECT_EQ(p, D3DXMATRIX(1 + 40, 2 + 80, 3 + 120, 4, 5 + 80, 6 + 160, 7 + 240, 8,
                            9 + 120, 10 + 240, 11 + 360, 12, 13 + 160, 14 + 320, 15 + 480, 16));
    EXPECT_EQ(a * b, p);
}

TEST(Matrix, MultiplyLeftFactorActsFirst) {
    D3DXMATRIX s, t;
    D3DXMatrixScaling(&s, 2, 2, 2);
    D3DXMatrixTranslation(&t, 1, 0, 0);
    const D3DXVECTOR3 p(1, 1, 1);
    D3DXVECTOR3 r;
    const D3DXMATRIX st = s * t;
    D3DXVec3TransformCoord(&r, &p, &st);
    EXPECT_EQ(r, D3DXVECTOR3(3, 2, 2));  // scaled, then moved
    const D3DXMATRIX ts = t * s;
    D3DXVec3TransformCoord(&r, &p, &ts);
    EXPECT_EQ(r, D3DXVECTOR3(4, 2, 2));  // moved, then scaled
}

TEST(Matrix, MultiplyAllowsOutputToAliasEitherInput) {
    const D3DXMATRIX a = sample();
    D3DXMATRIX b;
    D3DXMatrixRotationYawPitchRoll(&b, 0.3f, 0.5f, 0.7f);
    const D3DXMATRIX expected = a * b;

    D3DXMATRIX left = a;
    D3DXMatrixMultiply(&left, &left, &b);
    EXPECT_EQ(left, expected);

    D3DXMATRIX right = b;
    D3DXMatrixMultiply(&right, &a, &right);
    EXPECT_EQ(right, expected);

    D3DXMATRIX both = a;
    D3DXMatrixMultiply(&both, &both, &both);
    EXPECT_EQ(both, a * a);
}

TEST(Matrix, ReturnsItsOutputPointer) {
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixIdentity(&m), &m);
    EXPECT_EQ(D3DXMatrixRotationX(&m, 1), &m);
    D3DXQUATERNION q(0, 0, 0, 1);
    EXPECT_EQ(D3DXQuaternionSlerp(&q, &q, &q, 0.5f), &q);
}

TEST(Matrix, TranslationAndScalingLayout) {
    D3DXMATRIX t, s;
    D3DXMatrixTranslation(&t, 1, 2, 3);
    D3DXMatrixScaling(&s, 4, 5, 6);
    EXPECT_EQ(t, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1));
    EXPECT_EQ(s, D3DXMATRIX(4, 0, 0, 0, 0, 5, 0, 0, 0, 0, 6, 0, 0, 0, 0, 1));
}

TEST(Matrix, AxisRotationsAreLeftHanded) {
    // Left-handed, row vectors: a positive angle about z turns +x towards +y, about x turns
    // +y towards +z, about y turns +z towards +x.
    D3DXMATRIX m;
    D3DXVECTOR3 r;
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    D3DXMatrixRotationZ(&m, kPi / 2);
    D3DXVec3TransformCoord(&r, &x, &m);
    expectVecNear(r, y);
    D3DXMatrixRotationX(&m, kPi / 2);
    D3DXVec3TransformCoord(&r, &y, &m);
    expectVecNear(r, z);
    D3DXMatrixRotationY(&m, kPi / 2);
    D3DXVec3TransformCoord(&r, &z, &m);
    expectVecNear(r, x);

    D3DXMatrixRotationX(&m, 0.4f);
    EXPECT_EQ(m._23, std::sin(0.4f));
    EXPECT_EQ(m._32, -std::sin(0.4f));
}

TEST(Matrix, YawPitchRollIsRollThenPitchThenYaw) {
    const float yaw = 0.7f, pitch = -0.4f, roll = 1.3f;
    D3DXMATRIX rz, rx, ry, ypr;
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    D3DXMatrixRotationYawPitchRoll(&ypr, yaw, pitch, roll);
    expectMatrixNear(ypr, rz * rx * ry, 1e-6f);

    // Any other order gives a different matrix for these angles.
    const D3DXMATRIX other = ry * rx * rz;
    float diff = 0;
    for (int i = 0; i < 16; ++i) diff += std::fabs((&ypr._11)[i] - (&other._11)[i]);
    EXPECT_GT(diff, 0.1f);
}

TEST(Matrix, YawAlonePitchAloneRollAlone) {
    D3DXMATRIX a, b;
    D3DXMatrixRotationYawPitchRoll(&a, 0.9f, 0, 0);
    D3DXMatrixRotationY(&b, 0.9f);
    expectMatrixNear(a, b, 1e-7f);
    D3DXMatrixRotationYawPitchRoll(&a, 0, 0.9f, 0);
    D3DXMatrixRotationX(&b, 0.9f);
    expectMatrixNear(a, b, 1e-7f);
    D3DXMatrixRotationYawPitchRoll(&a, 0, 0, 0.9f);
    D3DXMatrixRotationZ(&b, 0.9f);
    expectMatrixNear(a, b, 1e-7f);
}

TEST(Matrix, RotationQuaternionMatchesAxisAngle) {
    const D3DXVECTOR3 axis(1, 2, 3);
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, 0.8f);
    D3DXMATRIX fromQuat;
    D3DXMatrixRotationQuaternion(&fromQuat, &q);

    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &axis);
    const D3DXVECTOR3 p(0.5f, -1, 2);
    D3DXVECTOR3 r;
    D3DXVec3TransformCoord(&r, &p, &fromQuat);
    // A rotation about the axis keeps the axis, lengths and the component along the axis.
    D3DXVECTOR3 na;
    D3DXVec3TransformCoord(&na, &n, &fromQuat);
    expectVecNear(na, n);
    EXPECT_NEAR(D3DXVec3Length(&r), D3DXVec3Length(&p), 1e-5f);
    EXPECT_NEAR(D3DXVec3Dot(&r, &n), D3DXVec3Dot(&p, &n), 1e-5f);

    // About z alone it equals RotationZ.
    const D3DXVECTOR3 zAxis(0, 0, 1);
    D3DXQuaternionRotationAxis(&q, &zAxis, 0.8f);
    D3DXMATRIX a, b;
    D3DXMatrixRotationQuaternion(&a, &q);
    D3DXMatrixRotationZ(&b, 0.8f);
    expectMatrixNear(a, b, 1e-6f);
}

TEST(Matrix, RotationQuaternionDoesNotNormalise) {
    const D3DXQUATERNION zero(0, 0, 0, 0);
    D3DXMATRIX m, id;
    D3DXMatrixIdentity(&id);
    D3DXMatrixRotationQuaternion(&m, &zero);
    EXPECT_EQ(m, id);

    // A quaternion of length 2 is used as it stands: _11 = 1 - 2(y^2 + z^2) = 1 - 8.
    const D3DXQUATERNION twice(0, 0, 0, 2);
    D3DXMatrixRotationQuaternion(&m, &twice);
    EXPECT_EQ(m, id);
    const D3DXQUATERNION longZ(0, 0, 2, 0);
    D3DXMatrixRotationQuaternion(&m, &longZ);
    EXPECT_EQ(m._11, -7.0f);
    EXPECT_EQ(m._22, -7.0f);
    EXPECT_EQ(m._33, 1.0f);
}

TEST(Matrix, TransposeAliasSafe) {
    D3DXMATRIX m = sample();
    D3DXMatrixTranspose(&m, &m);
    EXPECT_EQ(m, D3DXMATRIX(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16));
}

TEST(Matrix, InverseUndoesTransform) {
    D3DXMATRIX r, t, s;
    D3DXMatrixRotationYawPitchRoll(&r, 0.3f, 1.1f, -0.6f);
    D3DXMatrixTranslation(&t, 4, -2, 7);
    D3DXMatrixScaling(&s, 2, 3, 0.5f);
    const D3DXMATRIX m = s * r * t;
    D3DXMATRIX inv;
    float det = 0;
    ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &m), &inv);
    EXPECT_NEAR(det, 3.0f, 1e-5f);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    expectMatrixNear(m * inv, id, 1e-5f);

    D3DXMATRIX alias = m;
    D3DXMatrixInverse(&alias, nullptr, &alias);
    expectMatrixNear(alias, inv, 1e-6f);
}

TEST(Matrix, InverseOfSingularFails) {
    D3DXMATRIX s;
    D3DXMatrixScaling(&s, 1, 0, 1);
    D3DXMATRIX out = sample();
    float det = 5;
    EXPECT_EQ(D3DXMatrixInverse(&out, &det, &s), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(out, sample());
}

}  // namespace
