#include <cmath>
#include <numbers>

#include "math/MathExpect.h"

namespace {

const float kPi = std::numbers::pi_v<float>;

D3DXQUATERNION aboutZ(float angle) {
    return D3DXQUATERNION(0, 0, std::sin(angle / 2), std::cos(angle / 2));
}

D3DXQUATERNION lerp(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float t) {
    return D3DXQUATERNION(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z),
                          a.w + t * (b.w - a.w));
}

float length(const D3DXQUATERNION& q) {
    return std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
}

TEST(Slerp, FollowsTheArc) {
    const D3DXQUATERNION a = aboutZ(0), b = aboutZ(kPi / 2);
    D3DXQUATERNION r;
    D3DXQuaternionSlerp(&r, &a, &b, 0.5f);
    expectQuatNear(r, aboutZ(kPi / 4), 1e-6f);
    EXPECT_NEAR(length(r), 1.0f, 1e-6f);
    // A straight blend would be shorter than unit length here.
    EXPECT_LT(length(lerp(a, b, 0.5f)), 0.99f);
    D3DXQuaternionSlerp(&r, &a, &b, 0.25f);
    expectQuatNear(r, aboutZ(kPi / 8), 1e-6f);
}

TEST(Slerp, EndpointsAreTheInputs) {
    const D3DXQUATERNION a = aboutZ(0.3f), b = aboutZ(1.4f);
    D3DXQUATERNION r;
    D3DXQuaternionSlerp(&r, &a, &b, 0.0f);
    expectQuatNear(r, a, 1e-6f);
    D3DXQuaternionSlerp(&r, &a, &b, 1.0f);
    expectQuatNear(r, b, 1e-6f);
}

TEST(Slerp, TakesTheShortestPath) {
    // b and -b are the same rotation: blending towards -b negates its weight, so the
    // result is the short path towards b, component for component.
    const D3DXQUATERNION a = aboutZ(0), b = aboutZ(kPi / 2);
    const D3DXQUATERNION negB(-b.x, -b.y, -b.z, -b.w);
    D3DXQUATERNION viaB, viaNegB;
    D3DXQuaternionSlerp(&viaB, &a, &b, 0.5f);
    D3DXQuaternionSlerp(&viaNegB, &a, &negB, 0.5f);
    expectQuatNear(viaNegB, viaB, 1e-6f);
    // At t = 1 the result is b, not -b: the sign of the far end is flipped.
    D3DXQUATERNION end;
    D3DXQuaternionSlerp(&end, &a, &negB, 1.0f);
    expectQuatNear(end, b, 1e-6f);
}

TEST(Slerp, NearlyEqualInputsUseStraightBlend) {
    // 1 - dot below 0.001: plain lerp weights, bit for bit, no renormalisation.
    const D3DXQUATERNION a = aboutZ(0.0f), b = aboutZ(0.05f);
    const float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    ASSERT_LT(1.0f - dot, 0.001f);
    D3DXQUATERNION r;
    D3DXQuaternionSlerp(&r, &a, &b, 0.3f);
    const float w1 = 1.0f - 0.3f, w2 = 0.3f;
    EXPECT_EQ(r, D3DXQUATERNION(w1 * a.x + w2 * b.x, w1 * a.y + w2 * b.y, w1 * a.z + w2 * b.z,
                                w1 * a.w + w2 * b.w));

    // Unnormalised inputs stay unnormalised.
    const D3DXQUATERNION big(0, 0, 0, 2);
    D3DXQuaternionSlerp(&r, &big, &big, 0.5f);
    EXPECT_EQ(r, big);
}

TEST(Slerp, WideAngleUsesSineWeights) {
    const D3DXQUATERNION a = aboutZ(0.0f), b = aboutZ(0.2f);
    const float dot = a.w * b.w + a.z * b.z;
    ASSERT_GT(1.0f - dot, 0.001f);
    D3DXQUATERNION r;
    D3DXQuaternionSlerp(&r, &a, &b, 0.5f);
    expectQuatNear(r, aboutZ(0.1f), 1e-6f);
    const D3DXQUATERNION l = lerp(a, b, 0.5f);
    EXPECT_NE(r, l);
}

TEST(Quaternion, RotationAxisNormalisesTheAxis) {
    const D3DXVECTOR3 axis(0, 0, 5);
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, 1.0f);
    expectQuatNear(q, aboutZ(1.0f), 1e-7f);
}

TEST(Quaternion, Normalize) {
    const D3DXQUATERNION q(1, 2, 2, 4);
    D3DXQUATERNION n;
    D3DXQuaternionNormalize(&n, &q);
    expectQuatNear(n, D3DXQUATERNION(0.2f, 0.4f, 0.4f, 0.8f), 1e-7f);
    const D3DXQUATERNION zero(0, 0, 0, 0);
    D3DXQuaternionNormalize(&n, &zero);
    EXPECT_EQ(n, zero);
}

}  // namespace
