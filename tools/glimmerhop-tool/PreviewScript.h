// The DirectX Standard Annotations scripts of FX Composer's post-process effects: the
// technique's and each pass's Script string ("RenderColorTarget0=GlowMap;Clear=Color;
// Draw=Buffer;"), the render targets their texture parameters describe, and the commands
// that switch between them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/d3dx9/d3dx9.h"

namespace fx {
struct Annotation;
struct EffectDescription;
struct Parameter;
}  // namespace fx

namespace tool {

struct ScriptCommand {
    std::string key;    // as written, without spaces: "RenderColorTarget0"
    std::string value;  // may be empty: "RenderColorTarget=;" goes back to the frame
};

// "A=b;C=;" -> {A, b}, {C, ""}; text without '=' between the semicolons is dropped.
std::vector<ScriptCommand> parseScript(const std::string& text);
// The Script string annotation, parsed; empty without one.
std::vector<ScriptCommand> scriptOf(const std::vector<fx::Annotation>& annotations);
// Case-insensitive; "RenderColorTarget" is "RenderColorTarget0".
bool isCommand(const ScriptCommand& command, const char* key);
// True when a technique's or pass's script leaves room for the host's scene (ScriptExternal).
bool drawsHostScene(const fx::EffectDescription& description);
// A texture parameter the script draws into: RENDERCOLORTARGET or RENDERDEPTHSTENCILTARGET.
bool isRenderTarget(const fx::Parameter& parameter);

// The render targets of one effect at one tile size, made from their parameters'
// annotations (ViewportRatio or Dimensions, Format, MipLevels), and the state the
// commands leave: which ones are set, and the clear colour and depth.
class PreviewTargets {
public:
    PreviewTargets(IDirect3DDevice9* device, unsigned width, unsigned height);
    ~PreviewTargets();
    PreviewTargets(const PreviewTargets&) = delete;
    PreviewTargets& operator=(const PreviewTargets&) = delete;

    // Makes them and binds the colour ones to their parameters; a line each into `report`.
    void create(ID3DXEffect* effect, const fx::EffectDescription& description, std::vector<std::string>& report);
    // Back on the frame (the tile), with the default clear values.
    void reset();
    // Carries out a target, clear or clear-value command; false for any other.
    bool run(const ScriptCommand& command, const fx::EffectDescription& description);
    // The size of target 0.
    void size(unsigned& width, unsigned& height) const;

private:
    struct Target {
        std::string name;
        IDirect3DTexture9* texture = nullptr;  // colour
        IDirect3DSurface9* surface = nullptr;  // its level 0, or the depth surface
        unsigned width = 0, height = 0;
    };
    const Target* find(const std::string& name) const;

    IDirect3DDevice9* device_;
    unsigned width_, height_;
    IDirect3DSurface9* frame_ = nullptr;       // the back buffer
    IDirect3DSurface9* frameDepth_ = nullptr;  // its depth surface
    std::vector<Target> targets_;
    const Target* colour_ = nullptr;  // target 0; null: the frame
    D3DCOLOR clearColour_ = 0;
    float clearDepth_ = 1.0f;
    static constexpr std::size_t kTargetBudget = std::size_t{512} << 20;
    std::size_t spent_ = 0;  // bytes of the targets made
};

}  // namespace tool
