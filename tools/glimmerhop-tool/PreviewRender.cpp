#include "PreviewRender.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "PreviewBinder.h"
#include "PreviewPass.h"
#include "PreviewSheet.h"
#include "OptionValues.h"
#include "PreviewTechnique.h"
#include "platform/d3dx9/FolderInclude.h"
#include "RenderRun.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"
#include "platform/d3dx9/EffectObject.h"

namespace tool {

namespace {

constexpr std::uint8_t kGrey[3] = {110, 110, 116};

template <typename T>
void release(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// ", over the target (pass 0: a pixel shader without a vertex shader)" and the like.
std::string drawnHow(const std::vector<PassPlan>& plans) {
    std::string screen, mesh;
    for (std::size_t p = 0; p < plans.size(); ++p) {
        if (plans[p].draw == PassDraw::Mesh) {
            mesh += (mesh.empty() ? "" : ", ") + std::to_string(p);
        } else {
            screen += (screen.empty() ? "pass " : "; pass ") + std::to_string(p) + ": " + plans[p].why;
        }
    }
    if (screen.empty()) return ", on the mesh";
    return ", over the target (" + screen + ")" + (mesh.empty() ? "" : ", passes " + mesh + " on the mesh");
}

int renderWithDevice(const PreviewOptions& o, ScratchFolder& scratch) {
    const char* path = o.effectPath.c_str();
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    FolderInclude folders(o.effectPath, o.includeFolders);
    ID3DXInclude* include = o.includeFolders.empty() ? nullptr : &folders;
    const HRESULT hr = D3DXCreateEffectFromFileA(gDevice, path, o.macros.data(), include, D3DXSHADER_DEBUG, nullptr,
                                                 &effect, &errors);
    if (FAILED(hr) || !effect) {
        std::fprintf(stderr, "%s: compilation failed (0x%08X)\n", path, static_cast<unsigned>(hr));
        if (errors) std::fputs(static_cast<const char*>(errors->GetBufferPointer()), stderr);
        release(errors);
        return 1;
    }
    release(errors);
    const fx::EffectDescription& d = static_cast<fx::Effect*>(effect)->compiled().description;

    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < d.techniques.size(); ++i)
        if (o.technique.empty() || d.techniques[i].name == o.technique) chosen.push_back(i);
    if (chosen.empty()) {
        std::fprintf(stderr, "%s: no technique %s%s%s\n", path, o.technique.empty() ? "at all" : "named '",
                     o.technique.c_str(), o.technique.empty() ? "" : "'");
        effect->Release();
        return o.technique.empty() ? 1 : 2;
    }

    MeshBuffers mesh;
    if (!mesh.create(gDevice, buildPreviewMesh(o.mesh))) {
        std::fprintf(stderr, "%s: the preview mesh could not be made on this device\n", path);
        effect->Release();
        return 1;
    }
    std::string folder = std::filesystem::path(o.effectPath).parent_path().string();
    if (folder.empty()) folder = ".";
    int status = 0;
    {
        PreviewBinder binder(gDevice, folder, scratch.path);
        std::vector<std::string> report;
        const PreviewScene scene = defaultPreviewScene(o.width, o.height);
        binder.bind(effect, static_cast<fx::Effect*>(effect)->compiled(), scene, report);
        binder.bindStages(static_cast<fx::Effect*>(effect)->compiled(), report);
        PreviewTargets targets(gDevice, o.width, o.height);
        targets.create(effect, d, report);
        setFixedFunctionScene(scene);
        // Post-process scripts leave room for the host's scene; it is made for them only.
        HostScene host;
        bool external = drawsHostScene(d);
        std::string failed;
        if (external && !host.create(gDevice, scratch.path, binder.checker(failed), scene)) {
            report.push_back("not bound the host's scene: its effect could not be made");
            external = false;
        }
        std::printf("%s: %zu technique%s, tiles %ux%u\nparameters:\n", path, chosen.size(),
                    chosen.size() == 1 ? "" : "s", o.width, o.height);
        for (const std::string& line : report) std::printf("  %s\n", line.c_str());

        std::printf("techniques:\n");
        std::vector<PreviewTile> tiles;
        std::size_t drew = 0;
        for (std::size_t i : chosen) {
            const fx::TechniqueDescription& t = d.techniques[i];
            PreviewTile tile;
            tile.label = t.name.empty() ? "(unnamed " + std::to_string(i) + ")" : t.name;
            UINT w = 0, h = 0;
            std::vector<PassPlan> plans;
            for (const fx::PassDescription& pass : t.passes) plans.push_back(planPass(d, pass));
            TechniqueRun run;
            const bool ok = drawTechnique(effect, d, i, plans, mesh, targets, external ? &host : nullptr,
                                          D3DCOLOR_ARGB(255, kGrey[0], kGrey[1], kGrey[2]), run);
            gDevice->Present(nullptr, nullptr, nullptr, nullptr);
            const UINT passes = run.passes;
            const std::string& why = run.why;
            if (!d3d9::readBackBuffer(gDevice, tile.rgba, w, h) || w != o.width || h != o.height) tile.rgba.clear();
            const double share = drawnShare(tile.rgba, kGrey);
            if (share > 0) ++drew;
            std::printf("  %-24s %u pass%s, ", tile.label.c_str(), passes, passes == 1 ? "" : "es");
            if (!ok) std::printf("%s; ", why.c_str());
            if (share > 0) std::printf("drew %.0f%% of the tile", share * 100 < 1 ? 1.0 : share * 100);
            else std::printf("drew nothing");
            std::printf("%s\n", drawnHow(plans).c_str());
            if (!scriptOf(t.annotations).empty()) {
                std::string order;
                for (const std::string& step : run.steps) order += (order.empty() ? "" : ", ") + step;
                std::printf("  %-24s its script drew: %s\n", "", order.empty() ? "nothing" : order.c_str());
            }
            tiles.push_back(std::move(tile));
        }
        const PlotCanvas sheet = composeSheet(tiles, static_cast<int>(o.width), static_cast<int>(o.height));
        if (!sheet.writePng(o.out.c_str())) {
            std::fprintf(stderr, "%s: cannot write %s\n", path, o.out.c_str());
            status = 1;
        } else {
            std::printf("wrote %s (%dx%d): %zu of %zu technique%s drew\n", o.out.c_str(), sheet.width(),
                        sheet.height(), drew, tiles.size(), tiles.size() == 1 ? "" : "s");
        }
    }
    effect->Release();
    return status;
}

}  // namespace

ScratchFolder::ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/glimmerhop-fx-XXXXXX";
    if (mkdtemp(pattern.data())) path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
}

void setFixedFunctionScene(const PreviewScene& scene) {
    const std::pair<D3DTRANSFORMSTATETYPE, const D3DXMATRIX*> transforms[] = {
        {D3DTS_WORLD, &scene.world}, {D3DTS_VIEW, &scene.view}, {D3DTS_PROJECTION, &scene.projection}};
    for (const auto& [slot, m] : transforms) {
        D3DMATRIX d;
        static_assert(sizeof d == sizeof *m);
        std::memcpy(&d, m, sizeof d);
        gDevice->SetTransform(slot, &d);
    }
    D3DMATERIAL9 material{};
    material.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    material.Ambient = {0.8f, 0.8f, 0.8f, 1.0f};
    material.Specular = {0.5f, 0.5f, 0.5f, 1.0f};
    material.Power = 24.0f;
    gDevice->SetMaterial(&material);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    const float* p = scene.lightPosition;
    const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    light.Direction = {-p[0] / length, -p[1] / length, -p[2] / length};
    gDevice->SetLight(0, &light);
    gDevice->LightEnable(0, TRUE);
    gDevice->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_ARGB(255, 48, 48, 48));
}

bool parseTileSize(const char* text, unsigned& width, unsigned& height) {
    Size size;
    if (!text || !parseSize(text, 16, 4096, size)) return false;
    width = size.width, height = size.height;
    return true;
}

int renderPreview(const PreviewOptions& o) {
    ScratchFolder scratch;
    if (scratch.path.empty()) {
        std::fprintf(stderr, "%s: cannot make a scratch folder for the built-in textures\n", o.effectPath.c_str());
        return 1;
    }
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Gl;
    config.headless = true;
    d3d9::configure(config);
    if (!createDevice(DeviceOptions{o.width, o.height, 0})) return 1;
    if (!deviceCanDraw(o.width, o.height)) {
        releaseDevice();
        return 1;
    }
    const int status = renderWithDevice(o, scratch);
    releaseDevice();
    return status;
}

}  // namespace tool
