#include "OrbitCamera.h"

#include <algorithm>
#include <cmath>

namespace tool {

namespace {
constexpr float kFov = 0.8f;
constexpr float kLimit = 1.55f;  // just short of straight up or down, where "up" flips
}  // namespace

void OrbitCamera::frame(const D3DXVECTOR3& centre, float radius) {
    target_ = centre;
    radius_ = radius > 1e-4f ? radius : 1.0f;
    distance_ = radius_ * 1.3f / std::sin(kFov / 2);
    yaw_ = 0.6f;
    pitch_ = 0.35f;
}

void OrbitCamera::turn(float dx, float dy) {
    yaw_ -= dx * 0.006f;
    pitch_ = std::clamp(pitch_ + dy * 0.006f, -kLimit, kLimit);
}

void OrbitCamera::pan(float dx, float dy) {
    // Along the camera's own right and up, by as much as the picture moves at the target.
    const D3DXMATRIX v = view();
    const D3DXVECTOR3 right(v._11, v._21, v._31), up(v._12, v._22, v._32);
    const float s = distance_ * 0.0015f;
    target_ = D3DXVECTOR3(target_.x + (up.x * dy - right.x * dx) * s, target_.y + (up.y * dy - right.y * dx) * s,
                          target_.z + (up.z * dy - right.z * dx) * s);
}

void OrbitCamera::zoom(float steps) {
    distance_ = std::clamp(distance_ * std::pow(0.9f, steps), radius_ * 0.05f, radius_ * 100.0f);
}

D3DXVECTOR3 OrbitCamera::eye() const {
    const float c = std::cos(pitch_);
    return D3DXVECTOR3(target_.x + std::sin(yaw_) * c * distance_, target_.y + std::sin(pitch_) * distance_,
                       target_.z - std::cos(yaw_) * c * distance_);
}

D3DXMATRIX OrbitCamera::view() const {
    D3DXMATRIX m;
    const D3DXVECTOR3 e = eye(), up(0, 1, 0);
    D3DXMatrixLookAtLH(&m, &e, &target_, &up);
    return m;
}

D3DXMATRIX OrbitCamera::projection(unsigned width, unsigned height) const {
    D3DXMATRIX m;
    const float nearZ = std::max(distance_ - radius_ * 2, distance_ * 0.01f);
    D3DXMatrixPerspectiveFovLH(&m, kFov, height ? static_cast<float>(width) / height : 1.0f, nearZ,
                               distance_ + radius_ * 4);
    return m;
}

}  // namespace tool
