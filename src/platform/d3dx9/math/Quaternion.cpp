// Quaternions (x, y, z, w with w last).
#include "platform/d3dx9/d3dx9math.h"

#include <cmath>

// Takes the shorter way round (negating the second quaternion's weight when the two lie
// in opposite hemispheres) and falls back to a straight blend when they are nearly equal,
// where the sine weights lose precision. The result is not renormalised.
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                    const D3DXQUATERNION* q2, float t) {
    float sign = 1.0f;
    float w1 = 1.0f - t;
    float w2 = t;
    float dot = q1->x * q2->x + q1->y * q2->y + q1->z * q2->z + q1->w * q2->w;
    if (dot < 0.0f) {
        sign = -1.0f;
        dot = -dot;
    }
    if (1.0f - dot > 0.001f) {
        const float theta = std::acos(dot);
        const float s = std::sin(theta);
        w1 = std::sin(theta * w1) / s;
        w2 = std::sin(theta * w2) / s;
    }
    w2 *= sign;
    const D3DXQUATERNION r(w1 * q1->x + w2 * q2->x, w1 * q1->y + w2 * q2->y,
                           w1 * q1->z + w2 * q2->z, w1 * q1->w + w2 * q2->w);
    *out = r;
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis,
                                           float angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    const float s = std::sin(angle / 2.0f);
    *out = D3DXQUATERNION(s * n.x, s * n.y, s * n.z, std::cos(angle / 2.0f));
    return out;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
    const float len = std::sqrt(q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w);
    if (len == 0.0f) {
        *out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
    } else {
        *out = D3DXQUATERNION(q->x / len, q->y / len, q->z / len, q->w / len);
    }
    return out;
}
