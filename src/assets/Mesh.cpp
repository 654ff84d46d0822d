#include "assets/Mesh.h"

#include "app/globals/DisplaySettings.h"
#include "assets/MaterialList.h"
#include "render/Camera.h"

namespace {
// Parent links form chains towards the root; a chain longer than this can only be a
// loop, which the scene loader refuses, so the walk stops there.
constexpr int kMaxAncestors = 256;
}  // namespace

D3DXMATRIX translationMatrix(const D3DXVECTOR3& v) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, v.x, v.y, v.z);
    return m;
}

D3DXMATRIX scalingMatrix(const D3DXVECTOR3& v) {
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, v.x, v.y, v.z);
    return m;
}

D3DXMATRIX rotationMatrix(const D3DXQUATERNION& q) {
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    return m;
}

D3DXMATRIX yawPitchRollMatrix(const D3DXVECTOR3& v) {
    D3DXMATRIX m;
    D3DXMatrixRotationYawPitchRoll(&m, v.x, v.y, v.z);
    return m;
}

void Mesh::animate(float t) {
    if (positionTrack.count == 0 && rotationTrack.count == 0 && scaleTrack.count == 0) {
        local = IDENTITY_MATRIX;
        world = base;
        return;
    }
    const D3DXVECTOR3 p = positionTrack.sample(t);
    const D3DXQUATERNION q = rotationTrack.sample(t);
    const D3DXVECTOR3 s = scaleTrack.sample(t);
    D3DXMATRIX sr;
    const D3DXMATRIX scaling = scalingMatrix(s);
    const D3DXMATRIX rotation = rotationMatrix(q);
    const D3DXMATRIX translation = translationMatrix(p);
    D3DXMatrixMultiply(&sr, &scaling, &rotation);
    D3DXMatrixMultiply(&local, &sr, &translation);
    if (!parent) {
        D3DXMatrixMultiply(&world, &local, &base);
        return;
    }
    // ancestorProduct(n) = n.local x ancestorProduct(n.parent), formed from the root down.
    const Mesh* chain[kMaxAncestors];
    int depth = 0;
    for (const Mesh* n = parent; n && depth < kMaxAncestors; n = n->parent) chain[depth++] = n;
    D3DXMATRIX ancestors = chain[depth - 1]->local;
    for (int i = depth - 2; i >= 0; --i) D3DXMatrixMultiply(&ancestors, &chain[i]->local, &ancestors);
    D3DXMatrixMultiply(&world, &local, &ancestors);
}

void Mesh::setMatrices(Effect* newEffect) {
    if (newEffect) effect = newEffect;
    ID3DXEffect* fx = effect ? effect->compiled : nullptr;
    if (!fx) return;
    fx->SetMatrix("matWorld", &world);

    // View first, then World: the reverse of the order of the two below.
    D3DXMATRIX worldView;
    D3DXMatrixMultiply(&worldView, &currentView, &world);
    fx->SetMatrix("matWorldView", &worldView);

    D3DXMATRIX wvp;
    D3DXMatrixMultiply(&wvp, &world, &currentView);
    D3DXMatrixMultiply(&wvp, &wvp, &currentProjection);
    fx->SetMatrix("matWorldViewProjection", &wvp);

    const D3DXMATRIX flip = scalingMatrix(D3DXVECTOR3(1.0f, 1.0f, -1.0f));
    D3DXMATRIX mirror;
    D3DXMatrixMultiply(&mirror, &world, &flip);
    D3DXMatrixMultiply(&mirror, &mirror, &currentView);
    D3DXMatrixMultiply(&mirror, &mirror, &currentProjection);
    fx->SetMatrix("matMirror", &mirror);
}

void Mesh::bindBuffers() {
    if (!gDevice) return;
    gDevice->SetStreamSource(0, vertexBuffer, 0, vertexStride);
    gDevice->SetVertexDeclaration(vertexDecl);
    gDevice->SetIndices(indexBuffer);
}

void Mesh::draw(DrawRequest request) {
    if (request.effect) effect = request.effect;
    ID3DXEffect* fx = effect ? effect->compiled : nullptr;
    // No effect, or nothing loaded to draw: nothing is sent and nothing drawn.
    if (!fx || !vertexBuffer || !indexBuffer || !vertexDecl || !gDevice) return;
    setMatrices(nullptr);
    if ((request.flags & DRAW_MATERIAL_TEXTURES) && materials) materials->bindTextures(effect);
    bindBuffers();

    fx->SetTechnique(request.technique);
    UINT passes = 0;
    fx->Begin(&passes, 0);
    const bool single = request.pass != DRAW_ALL_PASSES && request.pass < passes;
    const UINT first = single ? request.pass : 0;
    const UINT last = single ? request.pass + 1 : passes;
    for (UINT i = first; i < last; ++i) {
        fx->BeginPass(i);
        gDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
        fx->EndPass();
    }
    fx->End();
}

void Mesh::release() {
    if (vertexBuffer) vertexBuffer->Release();
    if (indexBuffer) indexBuffer->Release();
    if (vertexDecl) vertexDecl->Release();
    vertexBuffer = nullptr;
    indexBuffer = nullptr;
    vertexDecl = nullptr;
    positionTrack.release();
    scaleTrack.release();
    rotationTrack.release();
}
