#include "WorkbenchSession.h"

#include <SDL.h>
#include <imgui.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "PlotCanvas.h"
#include "PreviewRender.h"
#include "WorkbenchMesh.h"
#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"
#include "platform/d3dx9/EffectObject.h"

namespace tool {

// The workbench reads the effect's description behind the public interface: the
// techniques' passes and states, and the parameters' annotations.
const fx::EffectDescription& descriptionOf(ID3DXEffect* effect) {
    return static_cast<fx::Effect*>(effect)->compiled().description;
}

namespace {

using Clock = std::chrono::steady_clock;
constexpr D3DCOLOR kBackground = D3DCOLOR_ARGB(255, 110, 110, 116);

}  // namespace

WorkbenchSession::WorkbenchSession(const WorkbenchOptions& options, const PreviewMesh& mesh, const std::string& scratch)
    : options_(options), scratch_(scratch) {
    for (const auto& [name, value] : options_.defines) macros_.push_back({name.c_str(), value.c_str()});
    macros_.push_back({nullptr, nullptr});
    meshBounds(mesh, meshCentre_, meshRadius_);
    camera_.frame(D3DXVECTOR3(meshCentre_[0], meshCentre_[1], meshCentre_[2]), meshRadius_);
    if (!mesh_.create(gDevice, mesh)) std::fprintf(stderr, "workbench: the mesh could not be made on this device\n");
    std::string folder = std::filesystem::path(options_.effectPath).parent_path().string();
    binder_ = std::make_unique<PreviewBinder>(gDevice, folder.empty() ? "." : folder, scratch_);
}

WorkbenchSession::~WorkbenchSession() {
    loaded_.reset();
    for (auto& [path, texture] : images_)
        if (texture) texture->Release();
}

int WorkbenchSession::start() {
    if (!mesh_.vertices) return 1;
    std::string errors;
    if (!compile(errors)) {
        std::fprintf(stderr, "%s", errors.c_str());
        errors_ = {ErrorPanelEntry{options_.effectPath, "compile error", errors}};
    } else if (!options_.technique.empty() && techniqueName() != options_.technique) {
        std::fprintf(stderr, "%s: no technique named '%s'\n", options_.effectPath.c_str(), options_.technique.c_str());
        return 2;
    }
    watchFiles();
    return 0;
}

int WorkbenchSession::run(SDL_Window* window) {
    printLayout_ = std::getenv("GLIMMERHOP_WORKBENCH_LAYOUT") != nullptr;
    overlay_.start(window);
    auto last = Clock::now();
    while (!quit_) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) handleEvent(event);
        if (quit_) break;
        reloadChanged();
        drawFrame();
        const auto now = Clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - last).count();
        last = now;
        frameMs_ = frameMs_ == 0 ? ms : frameMs_ * 0.9 + ms * 0.1;
        if (!paused_) time_ += static_cast<float>(ms / 1000.0);
    }
    overlay_.stop();
    return 0;
}

PreviewScene WorkbenchSession::scene() const {
    PreviewScene s;
    s.width = options_.width;
    s.height = options_.height;
    D3DXMatrixIdentity(&s.world);
    s.view = camera_.view();
    s.projection = camera_.projection(options_.width, options_.height);
    // The mesh in the middle of the picture right of the panel.
    s.projection._31 += kPanelWidth / static_cast<float>(options_.width);
    const D3DXVECTOR3 eye = camera_.eye();
    s.eye[0] = eye.x, s.eye[1] = eye.y, s.eye[2] = eye.z;
    // Above, left and in front of the mesh, where it stays while the camera turns.
    const float r = meshRadius_ * 1.5f;
    s.lightPosition[0] = meshCentre_[0] - 3 * r, s.lightPosition[1] = meshCentre_[1] + 4 * r,
    s.lightPosition[2] = meshCentre_[2] - 4 * r;
    s.time = time_;
    return s;
}

void WorkbenchSession::drawFrame() {
    PanelView view;
    if (loaded_ && loaded_->effect) {
        ID3DXEffect* effect = loaded_->effect;
        const fx::CompiledEffect& compiled = static_cast<fx::Effect*>(effect)->compiled();
        const fx::EffectDescription& d = compiled.description;
        const PreviewScene s = scene();
        std::vector<std::string> report;
        binder_->bind(effect, compiled, s, report);
        binder_->bindStages(compiled, report);
        applyEdits();
        setFixedFunctionScene(s);
        if (!d.techniques.empty()) {
            std::vector<PassPlan> plans;
            for (const fx::PassDescription& pass : d.techniques[technique_].passes) plans.push_back(planPass(d, pass));
            TechniqueRun run;
            drawTechnique(effect, d, technique_, plans, mesh_, *loaded_->targets, loaded_->host.get(), kBackground, run);
            if (wantShot_) screenshot();
        } else {
            gDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        }
        view.description = &d;
        view.effect = effect;
        view.technique = technique_;
        view.bound = &binder_->bound();
    } else {
        gDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    }
    wantShot_ = false;
    view.edits = &edits_;
    view.errors = errors_;
    view.effectName = std::filesystem::path(options_.effectPath).filename().string();
    view.note = note_;
    view.frameMs = frameMs_;
    view.time = time_;
    view.paused = paused_;
    view.printLayout = printLayout_;
    int picked = -1;
    overlay_.frame([&] { picked = drawWorkbenchPanel(view); });
    gDevice->Present(nullptr, nullptr, nullptr, nullptr);
    if (savedAt_ > 0) {
        std::fprintf(stderr, "workbench: %.0f ms from the save to the first frame drawn with it\n",
                     (realtimeSeconds() - savedAt_) * 1000.0);
        savedAt_ = 0;
    }
    if (picked >= 0) technique_ = static_cast<std::size_t>(picked);
}

void WorkbenchSession::handleEvent(const SDL_Event& event) {
    overlay_.handleEvent(event);
    const ImGuiIO& io = ImGui::GetIO();
    if (event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
        quit_ = true;
    } else if (event.type == SDL_KEYDOWN && !event.key.repeat && !io.WantTextInput) {
        handleKey(event.key.keysym.sym);
    } else if (event.type == SDL_MOUSEBUTTONDOWN && !io.WantCaptureMouse) {
        dragButton_ = event.button.button;
    } else if (event.type == SDL_MOUSEBUTTONUP) {
        dragButton_ = 0;
    } else if (event.type == SDL_MOUSEMOTION && dragButton_) {
        const float dx = static_cast<float>(event.motion.xrel), dy = static_cast<float>(event.motion.yrel);
        if (dragButton_ == SDL_BUTTON_LEFT) camera_.turn(dx, dy);
        else camera_.pan(dx, dy);
    } else if (event.type == SDL_MOUSEWHEEL && !io.WantCaptureMouse) {
        camera_.zoom(static_cast<float>(event.wheel.y));
    }
}

void WorkbenchSession::handleKey(int key) {
    switch (key) {
    case SDLK_ESCAPE: quit_ = true; break;
    case SDLK_SPACE: paused_ = !paused_; break;
    case SDLK_f: camera_.frame(D3DXVECTOR3(meshCentre_[0], meshCentre_[1], meshCentre_[2]), meshRadius_); break;
    case SDLK_p: wantShot_ = true; break;
    case SDLK_t:
        if (loaded_ && loaded_->effect) {
            const std::size_t n = descriptionOf(loaded_->effect).techniques.size();
            technique_ = n ? (technique_ + 1) % n : 0;
        }
        break;
    default: break;
    }
}

// The picture without the panel, beside the effect file: "glow-Bloom.png".
void WorkbenchSession::screenshot() {
    std::vector<std::uint8_t> rgba;
    UINT w = 0, h = 0;
    const std::filesystem::path effect(options_.effectPath);
    std::string technique = techniqueName();
    for (char& c : technique)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    const std::filesystem::path out =
        effect.parent_path() / (effect.stem().string() + "-" + (technique.empty() ? "technique" : technique) + ".png");
    PlotCanvas canvas(1, 1, Rgb{0, 0, 0});
    if (d3d9::readBackBuffer(gDevice, rgba, w, h) && w && h) {
        canvas = PlotCanvas(static_cast<int>(w), static_cast<int>(h), Rgb{0, 0, 0});
        canvas.blitRgba(0, 0, rgba.data(), static_cast<int>(w), static_cast<int>(h));
    }
    note_ = w && h && canvas.writePng(out.c_str()) ? "wrote " + out.string() : "could not write " + out.string();
    std::fprintf(stderr, "workbench: %s\n", note_.c_str());
}

}  // namespace tool
