// The orthographic screen set-up and the perspective camera, and the view and
// projection they leave behind for every mesh draw.
#pragma once

#include <cstdint>

#include "assets/tracks/Tracks.h"
#include "platform/d3dx9/d3dx9math.h"
#include "render/Effect.h"

// The matrices of the last camera or screen set-up.
extern D3DXMATRIX currentView;
extern D3DXMATRIX currentProjection;
extern D3DXMATRIX currentViewProjection;  // only updated by a camera asked for it (bit 2)

// A 640 x 480 box centred on the origin, y up, z from -100 to 100000; sends
// "matView", "matProjection" and "matViewProjection" to `effect`.
void setScreenMatrices(Effect* effect);

// Flag bits of Camera::apply.
constexpr std::uint8_t CAMERA_VIEW = 0x01;
constexpr std::uint8_t CAMERA_PROJECTION = 0x02;
constexpr std::uint8_t CAMERA_VIEW_PROJECTION = 0x04;
constexpr std::uint8_t CAMERA_EYE_TARGET = 0x08;
constexpr std::uint8_t CAMERA_FIXED = 0x10;

struct Camera {
    D3DXVECTOR3 up{0.0f, 1.0f, 0.0f};
    VectorTrack positionTrack;
    VectorTrack targetTrack;
    FloatTrack fovTrack;
    float nearPlane = 1.0f;
    float farPlane = 10000.0f;
    D3DXVECTOR3 fixedEye{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 fixedTarget{0.0f, 0.0f, 1.0f};
    float fixedFov = 0.785398185f;

    Camera() = default;
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;
    ~Camera() { release(); }

    // Computes what `flags` asks for at `time`, stores it in the current matrices and
    // sends it to `effect`. False after reporting a failed effect call.
    bool apply(Effect* effect, std::uint8_t flags, float time);
    void setShot(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                 float targetZ, float fov);
    // Frees the keys of the three tracks.
    void release();
};
