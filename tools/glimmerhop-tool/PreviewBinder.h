// Gives an effect's parameters the values a preview needs, found by semantic, by the
// common annotations and by the names effect authors use (WorldViewProj, lightDir, ...).
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3dx9/d3dx9.h"

namespace fx {
struct EffectDescription;
struct CompiledEffect;
struct Parameter;
}

namespace tool {

// The scene of the preview: where the camera and the light are.
struct PreviewScene {
    D3DXMATRIX world, view, projection;
    float eye[3];
    float lightPosition[3];
    float time = 0;
    unsigned width = 256, height = 256;
};

PreviewScene defaultPreviewScene(unsigned width, unsigned height);

// What a matrix parameter's semantic or name asks for.
struct MatrixRequest {
    bool world = false, view = false, projection = false;  // the product, in that order
    bool inverse = false, transpose = false;
};
// False when the text does not name one of the usual matrices.
bool parseMatrixName(const std::string& text, MatrixRequest& request);
// True for a parameter that wants the viewport's size in pixels, or half of it, by
// semantic or name.
bool asksViewportSize(const fx::Parameter& p);
bool asksHalfViewport(const fx::Parameter& p);
// True for the matrix XNA's SpriteBatch sets: sprite positions in pixels to clip space.
bool asksSpriteMatrix(const fx::Parameter& p);

class PreviewBinder {
public:
    // `folder`: the effect file's folder, for textures named by annotation; `scratch`: a
    // folder where the built-in textures may be written.
    PreviewBinder(IDirect3DDevice9* device, std::string folder, std::string scratch);
    ~PreviewBinder();
    PreviewBinder(const PreviewBinder&) = delete;
    PreviewBinder& operator=(const PreviewBinder&) = delete;

    // Sets every parameter it recognises; one line per parameter into `report`.
    void bind(ID3DXEffect* effect, const fx::CompiledEffect& compiled, const PreviewScene& scene,
              std::vector<std::string>& report);

    // Samplers that name no texture of the effect read the device's stage (register sN):
    // the host's render targets. Puts the built-in checker there; one line per stage.
    void bindStages(const fx::CompiledEffect& compiled, std::vector<std::string>& report);

    // The parameters the last bind set, by name, with what it set them to.
    const std::map<std::string, std::string>& bound() const { return bound_; }

    // The built-in checker, for other drawings of the preview; null with `why`.
    IDirect3DTexture9* checker(std::string& why) { return builtIn(false, why); }

private:
    IDirect3DTexture9* builtIn(bool normalMap, std::string& why);
    // Six faces with a checker each, of a colour of their own (PreviewCube.cpp).
    IDirect3DCubeTexture9* builtInCube(std::string& why);
    IDirect3DTexture9* fromFile(const std::string& name, std::string& found, std::string& why);

    IDirect3DDevice9* device_;
    std::string folder_, scratch_;
    IDirect3DTexture9* checker_ = nullptr;
    IDirect3DTexture9* flatNormal_ = nullptr;
    IDirect3DCubeTexture9* cube_ = nullptr;
    std::vector<std::pair<std::string, IDirect3DTexture9*>> loaded_;  // by path
    std::map<std::string, std::string> bound_;
};

}  // namespace tool
