#include "render/Camera.h"

#include "app/globals/DisplaySettings.h"
#include "render/D3DError.h"

D3DXMATRIX currentView{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
D3DXMATRIX currentProjection{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
D3DXMATRIX currentViewProjection{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void setScreenMatrices(Effect* effect) {
    D3DXMatrixIdentity(&currentView);
    D3DXMatrixOrthoLH(&currentProjection, 640.0f, 480.0f, -100.0f, 100000.0f);
    ID3DXEffect* fx = effect ? effect->compiled : nullptr;
    if (!fx) return;
    fx->SetMatrix("matView", &currentView);
    fx->SetMatrix("matProjection", &currentProjection);
    // The view is the identity, so the projection is also the view-projection.
    fx->SetMatrix("matViewProjection", &currentProjection);
}

bool Camera::apply(Effect* effect, std::uint8_t flags, float time) {
    D3DXVECTOR3 eye = fixedEye;
    D3DXVECTOR3 target = fixedTarget;
    float fov = fixedFov;
    if (!(flags & CAMERA_FIXED)) {
        eye = positionTrack.sample(time);
        target = targetTrack.sample(time);
        // A camera file without field-of-view keys keeps the fixed angle rather than 0.
        if (fovTrack.count > 0) fov = fovTrack.sample(time);
    }

    ID3DXEffect* fx = effect ? effect->compiled : nullptr;
    HRESULT last = S_OK;
    if (flags & (CAMERA_VIEW | CAMERA_VIEW_PROJECTION)) {
        D3DXMatrixLookAtLH(&currentView, &eye, &target, &up);
        if (fx) last = fx->SetMatrix("matView", &currentView);
    }
    if (flags & (CAMERA_PROJECTION | CAMERA_VIEW_PROJECTION)) {
        D3DXMatrixPerspectiveFovLH(&currentProjection, fov, gDisplaySettings.aspectRatio,
                                   nearPlane, farPlane);
        if (fx) last = fx->SetMatrix("matProjection", &currentProjection);
    }
    if (flags & CAMERA_VIEW_PROJECTION) {
        D3DXMatrixMultiply(&currentViewProjection, &currentView, &currentProjection);
        if (fx) last = fx->SetMatrix("matViewProjection", &currentViewProjection);
    }
    if (flags & CAMERA_EYE_TARGET) {
        if (fx) {
            fx->SetFloatArray("CameraPosition", &eye.x, 3);
            last = fx->SetFloatArray("CameraTarget", &target.x, 3);
        }
    }
    if (FAILED(last)) {
        showD3DError(last, "Sending Matrices", "Camera");
        return false;
    }
    return true;
}

void Camera::setShot(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                     float targetZ, float fov) {
    fixedEye = D3DXVECTOR3(eyeX, eyeY, eyeZ);
    fixedTarget = D3DXVECTOR3(targetX, targetY, targetZ);
    fixedFov = fov;
}

void Camera::release() {
    positionTrack.release();
    targetTrack.release();
    fovTrack.release();
}
