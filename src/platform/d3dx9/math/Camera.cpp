// View and projection matrices, left-handed.
#include "platform/d3dx9/d3dx9math.h"

#include <cmath>

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    D3DXVECTOR3 z(at->x - eye->x, at->y - eye->y, at->z - eye->z);
    D3DXVec3Normalize(&z, &z);
    D3DXVECTOR3 x;
    D3DXVec3Cross(&x, up, &z);
    D3DXVec3Normalize(&x, &x);
    D3DXVECTOR3 y;
    D3DXVec3Cross(&y, &z, &x);
    *out = D3DXMATRIX(x.x, y.x, z.x, 0.0f,
                      x.y, y.y, z.y, 0.0f,
                      x.z, y.z, z.z, 0.0f,
                      -D3DXVec3Dot(&x, eye), -D3DXVec3Dot(&y, eye), -D3DXVec3Dot(&z, eye), 1.0f);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                       float zf) {
    const float yScale = 1.0f / std::tan(fovy / 2.0f);
    const float xScale = yScale / aspect;
    *out = D3DXMATRIX(xScale, 0.0f, 0.0f, 0.0f,
                      0.0f, yScale, 0.0f, 0.0f,
                      0.0f, 0.0f, zf / (zf - zn), 1.0f,
                      0.0f, 0.0f, -zn * zf / (zf - zn), 0.0f);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf) {
    *out = D3DXMATRIX(2.0f / w, 0.0f, 0.0f, 0.0f,
                      0.0f, 2.0f / h, 0.0f, 0.0f,
                      0.0f, 0.0f, 1.0f / (zf - zn), 0.0f,
                      0.0f, 0.0f, zn / (zn - zf), 1.0f);
    return out;
}
