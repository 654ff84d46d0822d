#include "PreviewScript.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "platform/d3dx9/effect/EffectDescription.h"

namespace tool {

namespace {

std::string trimmed(const std::string& text) {
    std::size_t a = 0, b = text.size();
    while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
    return text.substr(a, b - a);
}

bool same(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

const fx::Annotation* annotationOf(const fx::Parameter& p, const char* name) {
    for (const fx::Annotation& a : p.annotations)
        if (same(a.name, name)) return &a;
    return nullptr;
}

// An annotation's number n (float or int), or `fallback`.
float number(const fx::Annotation* a, std::size_t n, float fallback) {
    if (!a || n >= a->value.size()) return fallback;
    if (a->kind == fx::ValueKind::Float) {
        float f;
        std::memcpy(&f, &a->value[n], sizeof f);
        return std::isfinite(f) ? f : fallback;
    }
    return static_cast<float>(static_cast<std::int32_t>(a->value[n]));
}

D3DFORMAT formatNamed(const std::string& text) {
    static const std::pair<const char*, D3DFORMAT> kFormats[] = {
        {"A8R8G8B8", D3DFMT_A8R8G8B8},         {"X8R8G8B8", D3DFMT_X8R8G8B8}, {"A16B16G16R16F", D3DFMT_A16B16G16R16F},
        {"A32B32G32R32F", D3DFMT_A32B32G32R32F}, {"R32F", D3DFMT_R32F},         {"R16F", D3DFMT_R16F},
        {"G16R16F", D3DFMT_G16R16F},           {"G32R32F", D3DFMT_G32R32F},   {"D24S8", D3DFMT_D24S8},
        {"D24X8", D3DFMT_D24X8},               {"D16", D3DFMT_D16},
    };
    std::string t = text;
    if (t.rfind("D3DFMT_", 0) == 0 || t.rfind("d3dfmt_", 0) == 0) t = t.substr(7);
    for (const auto& [name, format] : kFormats)
        if (same(t, name)) return format;
    return D3DFMT_UNKNOWN;
}

}  // namespace

std::vector<ScriptCommand> parseScript(const std::string& text) {
    std::vector<ScriptCommand> out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(';', at);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(at, end - at);
        const std::size_t eq = item.find('=');
        if (eq != std::string::npos) out.push_back({trimmed(item.substr(0, eq)), trimmed(item.substr(eq + 1))});
        at = end + 1;
    }
    return out;
}

std::vector<ScriptCommand> scriptOf(const std::vector<fx::Annotation>& annotations) {
    for (const fx::Annotation& a : annotations)
        if (same(a.name, "Script") && a.kind == fx::ValueKind::String) return parseScript(a.text);
    return {};
}

bool isCommand(const ScriptCommand& command, const char* key) {
    if (same(command.key, key)) return true;
    return same(command.key, "RenderColorTarget") && same(key, "RenderColorTarget0");
}

bool drawsHostScene(const fx::EffectDescription& d) {
    const auto external = [](const std::vector<fx::Annotation>& annotations) {
        const std::vector<ScriptCommand> script = scriptOf(annotations);
        return std::any_of(script.begin(), script.end(),
                           [](const ScriptCommand& c) { return isCommand(c, "ScriptExternal"); });
    };
    for (const fx::TechniqueDescription& t : d.techniques) {
        if (external(t.annotations)) return true;
        for (const fx::PassDescription& pass : t.passes)
            if (external(pass.annotations)) return true;
    }
    return false;
}

bool isRenderTarget(const fx::Parameter& p) {
    return p.kind == fx::ValueKind::Texture &&
           (same(p.semantic, "RENDERCOLORTARGET") || same(p.semantic, "RENDERDEPTHSTENCILTARGET"));
}

PreviewTargets::PreviewTargets(IDirect3DDevice9* device, unsigned width, unsigned height)
    : device_(device), width_(width), height_(height) {
    device_->GetRenderTarget(0, &frame_);
    device_->GetDepthStencilSurface(&frameDepth_);
}

PreviewTargets::~PreviewTargets() {
    reset();
    for (Target& t : targets_) {
        if (t.surface) t.surface->Release();
        if (t.texture) t.texture->Release();
    }
    if (frame_) frame_->Release();
    if (frameDepth_) frameDepth_->Release();
}

void PreviewTargets::create(ID3DXEffect* effect, const fx::EffectDescription& d, std::vector<std::string>& report) {
    for (const fx::Parameter& p : d.parameters) {
        if (!isRenderTarget(p)) continue;
        const bool depth = same(p.semantic, "RENDERDEPTHSTENCILTARGET");
        const fx::Annotation* dims = annotationOf(p, "Dimensions");
        const fx::Annotation* ratio = annotationOf(p, "ViewportRatio");
        if (!ratio) ratio = annotationOf(p, "ViewPortRatio");
        Target t;
        t.name = p.name;
        // Sizes a hostile file could make absurd stay between 1 pixel and 4096.
        const auto clampSize = [](float v) { return static_cast<unsigned>(std::clamp(v, 1.0f, 4096.0f)); };
        t.width = clampSize(dims ? number(dims, 0, 256) : std::round(number(ratio, 0, 1) * static_cast<float>(width_)));
        t.height = clampSize(dims ? number(dims, 1, number(dims, 0, 256))
                                  : std::round(number(ratio, 1, number(ratio, 0, 1)) * static_cast<float>(height_)));
        const fx::Annotation* f = annotationOf(p, "Format");
        D3DFORMAT format = formatNamed(f && f->kind == fx::ValueKind::String ? f->text : std::string());
        const bool depthFormat = format == D3DFMT_D24S8 || format == D3DFMT_D24X8 || format == D3DFMT_D16;
        if (format == D3DFMT_UNKNOWN || depthFormat != depth) format = depth ? D3DFMT_D24S8 : D3DFMT_A8R8G8B8;
        const std::string shape = std::to_string(t.width) + "x" + std::to_string(t.height);
        std::string line = p.name + " (texture : " + p.semantic + "): ";
        // A file asking for many large targets is not given the machine's memory.
        const std::size_t texel = format == D3DFMT_A32B32G32R32F ? 16
                                  : format == D3DFMT_A16B16G16R16F || format == D3DFMT_G32R32F ? 8 : 4;
        const std::size_t bytes = static_cast<std::size_t>(t.width) * t.height * texel;
        if (bytes > kTargetBudget - spent_) {
            report.push_back("not bound " + line + "a " + shape + " target would pass the preview's " +
                             std::to_string(kTargetBudget >> 20) + " MB for render targets");
            continue;
        }
        spent_ += bytes;
        HRESULT hr;
        if (depth) {
            hr = device_->CreateDepthStencilSurface(t.width, t.height, format, D3DMULTISAMPLE_NONE, 0, TRUE, &t.surface,
                                                    nullptr);
        } else {
            hr = device_->CreateTexture(t.width, t.height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                        &t.texture, nullptr);
            if (SUCCEEDED(hr)) hr = t.texture->GetSurfaceLevel(0, &t.surface);
        }
        if (FAILED(hr)) {
            if (t.texture) t.texture->Release();
            report.push_back("not bound " + line + "the device refused a " + shape + " target");
            continue;
        }
        if (t.texture) effect->SetTexture(p.name.c_str(), t.texture);
        report.push_back("bound     " + line + (depth ? "depth target " : "render target ") + shape +
                         (f && f->kind == fx::ValueKind::String ? " " + f->text : std::string()));
        targets_.push_back(t);
    }
}

const PreviewTargets::Target* PreviewTargets::find(const std::string& name) const {
    for (const Target& t : targets_)
        if (t.name == name) return &t;
    return nullptr;
}

void PreviewTargets::reset() {
    if (frame_) device_->SetRenderTarget(0, frame_);
    for (DWORD i = 1; i < 4; ++i) device_->SetRenderTarget(i, nullptr);
    device_->SetDepthStencilSurface(frameDepth_);
    colour_ = nullptr;
    clearColour_ = 0;
    clearDepth_ = 1.0f;
}

bool PreviewTargets::run(const ScriptCommand& c, const fx::EffectDescription& d) {
    for (DWORD i = 0; i < 4; ++i) {
        const std::string key = "RenderColorTarget" + std::to_string(i);
        if (!isCommand(c, key.c_str())) continue;
        const Target* t = c.value.empty() ? nullptr : find(c.value);
        if (t && !t->texture) t = nullptr;
        if (i == 0) {
            colour_ = t;
            if (t || frame_) device_->SetRenderTarget(0, t ? t->surface : frame_);
        } else {
            device_->SetRenderTarget(i, t ? t->surface : nullptr);
        }
        return true;
    }
    if (isCommand(c, "RenderDepthStencilTarget")) {
        const Target* t = c.value.empty() ? nullptr : find(c.value);
        device_->SetDepthStencilSurface(t && !t->texture ? t->surface : frameDepth_);
        return true;
    }
    if (isCommand(c, "ClearSetColor") || isCommand(c, "ClearSetDepth")) {
        const int i = d.findParameter(c.value);
        if (i < 0) return true;
        const fx::Parameter& p = d.parameters[static_cast<std::size_t>(i)];
        float v[4] = {0, 0, 0, 0};
        for (std::size_t k = 0; k < 4 && k < p.initial.size() && p.kind == fx::ValueKind::Float; ++k)
            std::memcpy(&v[k], &p.initial[k], sizeof(float));
        const auto byte = [](float x) { return static_cast<int>(std::lround(std::clamp(x, 0.0f, 1.0f) * 255)); };
        if (isCommand(c, "ClearSetDepth")) clearDepth_ = std::clamp(v[0], 0.0f, 1.0f);
        else clearColour_ = D3DCOLOR_ARGB(byte(v[3]), byte(v[0]), byte(v[1]), byte(v[2]));
        return true;
    }
    if (isCommand(c, "Clear")) {
        const DWORD what = same(c.value, "Color") ? D3DCLEAR_TARGET
                           : same(c.value, "Depth") ? D3DCLEAR_ZBUFFER
                           : same(c.value, "Stencil") ? D3DCLEAR_STENCIL : 0;
        if (what) device_->Clear(0, nullptr, what, clearColour_, clearDepth_, 0);
        return true;
    }
    return false;
}

void PreviewTargets::size(unsigned& width, unsigned& height) const {
    width = colour_ ? colour_->width : width_;
    height = colour_ ? colour_->height : height_;
}

}  // namespace tool
