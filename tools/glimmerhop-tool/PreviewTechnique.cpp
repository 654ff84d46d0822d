#include "PreviewTechnique.h"

#include <cmath>
#include <cstring>
#include <fstream>

#include "app/globals/DisplaySettings.h"
#include "platform/d3dx9/effect/EffectDescription.h"

namespace tool {

namespace {

template <typename T>
void release(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// The scene's own effect: lambert light over the checker, with a highlight bright enough
// for glow and bloom passes to find.
constexpr const char* kSceneEffect = R"(float4x4 WorldViewProjection;
float4x4 World;
float3 ToLight;
float3 Eye;
texture Checker;
sampler2D CheckerSampler = sampler_state { Texture = <Checker>; MinFilter = Linear; MagFilter = Linear; MipFilter = Linear; };
struct SceneIn { float4 position : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct SceneOut { float4 position : POSITION; float2 uv : TEXCOORD0; float3 normal : TEXCOORD1; float3 toEye : TEXCOORD2; };
SceneOut SceneVs(SceneIn i)
{
    SceneOut o;
    o.position = mul(i.position, WorldViewProjection);
    o.uv = i.uv * 2;
    o.normal = mul(i.normal, (float3x3)World);
    o.toEye = Eye - mul(i.position, World).xyz;
    return o;
}
float4 ScenePs(SceneOut i) : COLOR
{
    float3 n = normalize(i.normal);
    float diffuse = 0.2 + 0.8 * saturate(dot(n, ToLight));
    float highlight = pow(saturate(dot(reflect(-ToLight, n), normalize(i.toEye))), 24);
    return float4(tex2D(CheckerSampler, i.uv).rgb * diffuse + highlight, 1);
}
technique Scene
{
    pass
    {
        VertexShader = compile vs_2_0 SceneVs();
        PixelShader = compile ps_2_0 ScenePs();
        ZEnable = true; ZWriteEnable = true; CullMode = CCW; AlphaBlendEnable = false;
    }
}
)";

}  // namespace

MeshBuffers::~MeshBuffers() {
    release(vertices);
    release(indices);
    release(declaration);
}

bool MeshBuffers::create(IDirect3DDevice9* device, const PreviewMesh& mesh) {
    const UINT vbytes = static_cast<UINT>(mesh.vertices.size() * sizeof(PreviewVertex));
    const UINT ibytes = static_cast<UINT>(mesh.indices.size() * sizeof(std::uint16_t));
    void* data = nullptr;
    if (FAILED(device->CreateVertexBuffer(vbytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vertices, nullptr)) ||
        FAILED(vertices->Lock(0, vbytes, &data, 0)))
        return false;
    std::memcpy(data, mesh.vertices.data(), vbytes);
    vertices->Unlock();
    if (FAILED(device->CreateIndexBuffer(ibytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices,
                                         nullptr)) ||
        FAILED(indices->Lock(0, ibytes, &data, 0)))
        return false;
    std::memcpy(data, mesh.indices.data(), ibytes);
    indices->Unlock();
    vertexCount = static_cast<UINT>(mesh.vertices.size());
    triangleCount = static_cast<UINT>(mesh.indices.size() / 3);
    return SUCCEEDED(device->CreateVertexDeclaration(previewDeclaration(), &declaration));
}

void MeshBuffers::bind(IDirect3DDevice9* device) const {
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, vertices, 0, sizeof(PreviewVertex));
    device->SetIndices(indices);
}

void MeshBuffers::draw(IDirect3DDevice9* device) const {
    bind(device);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
}

HostScene::~HostScene() { release(effect_); }

bool HostScene::create(IDirect3DDevice9* device, const std::string& scratch, IDirect3DTexture9* checker,
                       const PreviewScene& s) {
    device_ = device;
    const std::string path = scratch + "/host-scene.fx";
    if (!(std::ofstream(path) << kSceneEffect)) return false;
    if (FAILED(D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect_, nullptr)))
        return false;
    D3DXMATRIX wvp;
    D3DXMatrixMultiply(&wvp, &s.world, &s.view);
    D3DXMatrixMultiply(&wvp, &wvp, &s.projection);
    effect_->SetMatrix("WorldViewProjection", &wvp);
    effect_->SetMatrix("World", &s.world);
    const float* p = s.lightPosition;
    const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    const float toLight[3] = {p[0] / length, p[1] / length, p[2] / length};
    effect_->SetFloatArray("ToLight", toLight, 3);
    effect_->SetFloatArray("Eye", s.eye, 3);
    if (checker) effect_->SetTexture("Checker", checker);
    return true;
}

void HostScene::draw(const MeshBuffers& mesh) const {
    UINT passes = 0;
    if (!effect_ || FAILED(effect_->SetTechnique("Scene")) || FAILED(effect_->Begin(&passes, 0))) return;
    for (UINT p = 0; p < passes; ++p) {
        effect_->BeginPass(p);
        mesh.draw(device_);
        effect_->EndPass();
    }
    effect_->End();
}

bool drawTechnique(ID3DXEffect* effect, const fx::EffectDescription& d, std::size_t index,
                   const std::vector<PassPlan>& plans, const MeshBuffers& mesh, PreviewTargets& targets,
                   const HostScene* scene, D3DCOLOR background, TechniqueRun& run) {
    IDirect3DDevice9* device = gDevice;
    const fx::TechniqueDescription& t = d.techniques[index];
    targets.reset();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, background, 1.0f, 0);
    device->BeginScene();
    bool ok = true;
    bool begun = SUCCEEDED(effect->SetTechnique(effect->GetTechnique(static_cast<UINT>(index)))) &&
                 SUCCEEDED(effect->Begin(&run.passes, 0));
    // The host's scene is drawn outside the technique, so that its passes' states stay out of it.
    const auto drawScene = [&] {
        if (!scene) return;
        if (begun) effect->End();
        scene->draw(mesh);
        begun = SUCCEEDED(effect->Begin(&run.passes, 0));
        run.steps.push_back("the scene");
    };
    const auto drawPass = [&](UINT p) {
        const PassPlan plan = p < plans.size() ? plans[p] : PassPlan{};
        for (const ScriptCommand& c : scriptOf(t.passes[p].annotations)) {
            if (isCommand(c, "ScriptExternal")) drawScene();
            else targets.run(c, d);
        }
        if (!begun) return;
        if (FAILED(effect->BeginPass(p))) {
            run.why = "pass " + std::to_string(p) + " would not begin";
            ok = false;
            return;
        }
        if (plan.draw == PassDraw::Mesh) {
            mesh.draw(device);
        } else {
            unsigned w = 0, h = 0;
            targets.size(w, h);
            QuadVertex quad[4];
            screenQuad(plan.draw, w, h, quad);
            const bool pixels = plan.draw == PassDraw::ScreenPixels;
            device->SetFVF(pixels ? kQuadFvfPixels : kQuadFvfClip);
            device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(QuadVertex));
        }
        effect->EndPass();
        run.steps.push_back(t.passes[p].name.empty() ? "pass " + std::to_string(p) : t.passes[p].name);
    };
    if (!begun) {
        run.why = "the effect would not begin this technique";
        ok = false;
    } else {
        // The script's Pass= commands choose the passes and their order; without them,
        // every pass in order, after whatever else the script does.
        bool named = false;
        for (const ScriptCommand& c : scriptOf(t.annotations)) {
            if (isCommand(c, "Pass")) {
                named = true;
                UINT p = 0;
                while (p < t.passes.size() && t.passes[p].name != c.value) ++p;
                if (p < run.passes) drawPass(p);
                else run.steps.push_back("no pass " + c.value);
            } else if (isCommand(c, "ScriptExternal")) {
                drawScene();
            } else {
                targets.run(c, d);
            }
        }
        if (!named)
            for (UINT p = 0; p < run.passes; ++p) drawPass(p);
        if (begun) effect->End();
    }
    targets.reset();
    device->EndScene();
    return ok;
}

}  // namespace tool
