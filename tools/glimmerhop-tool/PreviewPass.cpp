#include "PreviewPass.h"

#include <cctype>

#include "PreviewBinder.h"
#include "platform/d3dx9/effect/EffectDescription.h"

namespace tool {

namespace {

// Upper case without spaces: "Draw = Buffer;" -> "DRAW=BUFFER;".
std::string squeezed(const std::string& text) {
    std::string s;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string scriptOf(const fx::PassDescription& pass) {
    for (const fx::Annotation& a : pass.annotations)
        if (squeezed(a.name) == "SCRIPT" && a.kind == fx::ValueKind::String) return squeezed(a.text);
    return {};
}

// The function a pass's shader binding names: "vs_2_0 VS(1, true)" -> "VS".
std::string functionOf(const std::string& shown) {
    std::size_t space = shown.find(' ');
    std::string rest = space == std::string::npos ? shown : shown.substr(space + 1);
    std::size_t paren = rest.find('(');
    if (paren != std::string::npos) rest.resize(paren);
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back()))) rest.pop_back();
    return rest;
}

// The text of `struct name { ... }` in the shader code, empty when not found.
std::string structBody(const std::string& hlsl, const std::string& name) {
    std::size_t at = 0;
    while ((at = hlsl.find("struct", at)) != std::string::npos) {
        std::size_t p = at + 6;
        at = p;
        while (p < hlsl.size() && std::isspace(static_cast<unsigned char>(hlsl[p]))) ++p;
        if (hlsl.compare(p, name.size(), name) != 0) continue;
        p += name.size();
        if (p < hlsl.size() && (std::isalnum(static_cast<unsigned char>(hlsl[p])) || hlsl[p] == '_')) continue;
        const std::size_t open = hlsl.find('{', p), close = open == std::string::npos ? open : hlsl.find('}', open);
        if (close == std::string::npos) return {};
        return hlsl.substr(open, close - open);
    }
    return {};
}

// True when the vertex shader takes a POSITIONT input, itself or in its input struct.
bool readsPretransformed(const fx::EffectDescription& d, const fx::PassDescription& pass) {
    const std::string function = functionOf(pass.vertexShown);
    for (const fx::FunctionSignature& f : d.functions) {
        if (f.name != function) continue;
        for (const fx::FunctionSignature::Param& p : f.params) {
            if (p.uniform) continue;
            if (squeezed(p.text).find(":POSITIONT") != std::string::npos) return true;
            std::size_t space = p.text.find_first_of(" \t");
            std::string type = space == std::string::npos ? p.text : p.text.substr(0, space);
            for (const char* qualifier : {"in", "const"})
                if (type == qualifier) {
                    std::string rest = p.text.substr(space + 1);
                    std::size_t s2 = rest.find_first_of(" \t");
                    type = s2 == std::string::npos ? rest : rest.substr(0, s2);
                }
            if (squeezed(structBody(d.hlsl, type)).find(":POSITIONT") != std::string::npos) return true;
        }
    }
    return false;
}

bool wordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The index just past the bracket that closes the one at `open`; npos when none does.
std::size_t closing(const std::string& text, std::size_t open, char in, char out) {
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == in) ++depth;
        if (text[i] == out && --depth == 0) return i + 1;
    }
    return std::string::npos;
}

// The body of the function `name` as defined in the shader code, empty when not found.
std::string functionBody(const std::string& hlsl, const std::string& name) {
    for (std::size_t at = hlsl.find(name); at != std::string::npos; at = hlsl.find(name, at + 1)) {
        if ((at > 0 && wordChar(hlsl[at - 1])) || at + name.size() >= hlsl.size()) continue;
        std::size_t p = at + name.size();
        while (p < hlsl.size() && std::isspace(static_cast<unsigned char>(hlsl[p]))) ++p;
        if (p >= hlsl.size() || hlsl[p] != '(' || (p = closing(hlsl, p, '(', ')')) == std::string::npos) continue;
        const std::size_t open = hlsl.find_first_of("{;", p);
        if (open == std::string::npos || hlsl[open] != '{') continue;
        const std::size_t end = closing(hlsl, open, '{', '}');
        if (end != std::string::npos) return hlsl.substr(open, end - open);
    }
    return {};
}

bool mentions(const std::string& text, const std::string& word) {
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        if ((at == 0 || !wordChar(text[at - 1])) && (at + word.size() >= text.size() || !wordChar(text[at + word.size()])))
            return true;
    return false;
}

// True when the function, or one it calls, multiplies by a matrix or reads a matrix
// parameter (two levels of calls deep).
bool transforms(const fx::EffectDescription& d, const std::string& function, int depth) {
    const std::string body = functionBody(d.hlsl, function);
    if (mentions(body, "mul")) return true;
    for (const fx::Parameter& p : d.parameters)
        if (p.rows > 1 && p.cols > 1 && mentions(body, p.name)) return true;
    if (depth >= 2) return false;
    for (const fx::FunctionSignature& f : d.functions)
        if (f.name != function && mentions(body, f.name) && transforms(d, f.name, depth + 1)) return true;
    return false;
}

}  // namespace

PassPlan planPass(const fx::EffectDescription& d, const fx::PassDescription& pass) {
    const bool hasVs = !pass.vertexEntry.empty(), hasPs = !pass.pixelEntry.empty();
    const bool pretransformed = hasVs && readsPretransformed(d, pass);
    const PassDraw screen = !hasVs || pretransformed ? PassDraw::ScreenPixels : PassDraw::ScreenClip;
    const std::string script = scriptOf(pass);
    if (script.find("DRAW=BUFFER") != std::string::npos) return {screen, "its script draws a buffer"};
    if (script.find("DRAW=GEOMETRY") != std::string::npos) return {PassDraw::Mesh, "its script draws geometry"};
    if (pretransformed) return {PassDraw::ScreenPixels, "its vertex shader reads pre-transformed positions"};
    if (!hasVs && hasPs) return {PassDraw::ScreenPixels, "a pixel shader without a vertex shader"};
    if (hasVs) {
        const std::string body = functionBody(d.hlsl, functionOf(pass.vertexShown));
        for (const fx::Parameter& p : d.parameters)
            if (asksSpriteMatrix(p) && mentions(body, p.name))
                return {PassDraw::ScreenPixels, "its vertex shader takes sprites in pixels (" + p.name + ")"};
    }
    // A vertex shader that transforms by no matrix takes its positions in clip space:
    // the host draws it a screen quad, as post-process passes are drawn.
    if (hasVs && !transforms(d, functionOf(pass.vertexShown), 0)) {
        // One that scales by the viewport's size takes positions in pixels, as sprites are drawn.
        const std::string body = functionBody(d.hlsl, functionOf(pass.vertexShown));
        for (const fx::Parameter& p : d.parameters)
            if (asksViewportSize(p) && mentions(body, p.name))
                return {PassDraw::ScreenPixels, "its vertex shader maps pixels by the viewport size"};
        return {PassDraw::ScreenClip, "its vertex shader transforms by no matrix"};
    }
    return {PassDraw::Mesh, ""};
}

void screenQuad(PassDraw draw, unsigned width, unsigned height, QuadVertex out[4]) {
    const bool pixels = draw != PassDraw::ScreenClip;
    const float left = pixels ? -0.5f : -1.0f, top = pixels ? -0.5f : 1.0f;
    const float right = pixels ? static_cast<float>(width) - 0.5f : 1.0f;
    const float bottom = pixels ? static_cast<float>(height) - 0.5f : -1.0f;
    const float z = pixels ? 0.0f : 0.5f;
    out[0] = {left, top, z, 1.0f, 0.0f, 0.0f};
    out[1] = {right, top, z, 1.0f, 1.0f, 0.0f};
    out[2] = {left, bottom, z, 1.0f, 0.0f, 1.0f};
    out[3] = {right, bottom, z, 1.0f, 1.0f, 1.0f};
}

}  // namespace tool
