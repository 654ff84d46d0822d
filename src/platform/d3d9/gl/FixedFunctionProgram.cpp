#include "platform/d3d9/gl/FixedFunctionProgram.h"

#include <epoxy/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/d3d9/gl/FixedFunctionGlsl.h"

namespace d3d9::detail {
namespace {

const char* const kUniformNames[FixedFunctionPrograms::kUniformCount] = {
    "uWorld", "uView", "uProjection", "uTextureMatrix", "uPixelOffset", "uTargetSize",
    "uMaterialDiffuse", "uMaterialAmbient", "uMaterialSpecular", "uMaterialEmissive",
    "uMaterialPower", "uAmbient", "uLightDiffuse", "uLightSpecular", "uLightAmbient",
    "uLightAttenuation", "uLightPosition", "uLightDirection", "uLightSpot", "uFog",
    "uTextureFactor", "uFogColor", "uStageConstant", "uBumpMatrix", "uBumpLuminance",
    "uAlphaRef",
    // What an effect's own shader reads besides its uniform block (ShaderCompiler.h).
    "gh_pixelOffset", "gh_alphaFunc", "gh_alphaRef", "gh_vposRows",
};

unsigned compile(GLenum stage, const std::string& text) {
    const GLuint shader = glCreateShader(stage);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "fixed-function %s shader: %s\n",
                     stage == GL_VERTEX_SHADER ? "vertex" : "pixel", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

float asFloat(DWORD bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void colour(D3DCOLOR c, float* out) {
    out[0] = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(c & 0xFF) / 255.0f;
    out[3] = static_cast<float>(c >> 24) / 255.0f;
}

}  // namespace

const FixedFunctionPrograms::Program& FixedFunctionPrograms::find(const FixedFunctionKey& key) {
    for (const Program& p : programs_) {
        if (p.key == key) return p;
    }
    Program p;
    p.key = key;
    // A pass's own shader is the effect's to keep; only the generated one goes here.
    const bool ownVs = key.shaderStage != 1, ownFs = key.shaderStage != 2;
    const unsigned vs = ownVs ? compile(GL_VERTEX_SHADER, fixedFunctionVertexGlsl(key)) : key.shader;
    const unsigned fs = !vs ? 0 : ownFs ? compile(GL_FRAGMENT_SHADER, fixedFunctionPixelGlsl(key)) : key.shader;
    if (vs && fs) {
        p.name = glCreateProgram();
        glAttachShader(p.name, vs);
        glAttachShader(p.name, fs);
        glLinkProgram(p.name);
        GLint ok = 0;
        glGetProgramiv(p.name, GL_LINK_STATUS, &ok);
        if (!ok) {
            char log[1024] = "";
            glGetProgramInfoLog(p.name, sizeof log, nullptr, log);
            std::fprintf(stderr, "fixed-function program: %s\n", log);
            glDeleteProgram(p.name);
            p.name = 0;
        }
    }
    if (vs && ownVs) glDeleteShader(vs);
    if (fs && ownFs) glDeleteShader(fs);
    for (int i = 0; i < kUniformCount; ++i) p.uniforms[i] = p.name ? glGetUniformLocation(p.name, kUniformNames[i]) : -1;
    programs_.push_back(p);
    return programs_.back();
}

void FixedFunctionPrograms::upload(const Program& p, const DeviceBase& d,
                                   const DWORD lightIndex[kFixedLights], int width, int height) const {
    const GLuint g = p.name;
    const int* u = p.uniforms;
    // D3D9's row-major matrices read as GL's column-major ones are their transposes, so
    // M * v in GLSL is D3D9's v * M.
    glProgramUniformMatrix4fv(g, u[kWorld], 1, GL_FALSE, &d.transform(10).m[0][0]);
    glProgramUniformMatrix4fv(g, u[kView], 1, GL_FALSE, &d.transform(0).m[0][0]);
    glProgramUniformMatrix4fv(g, u[kProjection], 1, GL_FALSE, &d.transform(1).m[0][0]);
    glProgramUniformMatrix4fv(g, u[kTextureMatrix], 8, GL_FALSE, &d.transform(2).m[0][0]);
    const float w = static_cast<float>(width > 0 ? width : 1), h = static_cast<float>(height > 0 ? height : 1);
    glProgramUniform2f(g, u[kPixelOffset], 1.0f / w, -1.0f / h);
    glProgramUniform2f(g, u[kTargetSize], w, h);
    const D3DMATERIAL9& m = d.material();
    glProgramUniform4fv(g, u[kMaterialDiffuse], 1, &m.Diffuse.r);
    glProgramUniform4fv(g, u[kMaterialAmbient], 1, &m.Ambient.r);
    glProgramUniform4fv(g, u[kMaterialSpecular], 1, &m.Specular.r);
    glProgramUniform4fv(g, u[kMaterialEmissive], 1, &m.Emissive.r);
    glProgramUniform1f(g, u[kMaterialPower], m.Power);
    float c[4];
    colour(d.renderState(D3DRS_AMBIENT), c);
    glProgramUniform4fv(g, u[kAmbient], 1, c);
    float diffuse[32] = {}, specular[32] = {}, ambient[32] = {}, atten[32] = {};
    float position[24] = {}, direction[24] = {}, spot[24] = {};
    for (unsigned i = 0; i < kFixedLights; ++i) {
        if (!p.key.lightTypes[i]) continue;
        const D3DLIGHT9& l = d.lights()[lightIndex[i]].light;
        std::memcpy(diffuse + 4 * i, &l.Diffuse, 16);
        std::memcpy(specular + 4 * i, &l.Specular, 16);
        std::memcpy(ambient + 4 * i, &l.Ambient, 16);
        std::memcpy(position + 3 * i, &l.Position, 12);
        std::memcpy(direction + 3 * i, &l.Direction, 12);
        atten[4 * i] = l.Attenuation0;
        atten[4 * i + 1] = l.Attenuation1;
        atten[4 * i + 2] = l.Attenuation2;
        atten[4 * i + 3] = l.Range;
        spot[3 * i] = std::cos(l.Theta * 0.5f);
        spot[3 * i + 1] = std::cos(l.Phi * 0.5f);
        spot[3 * i + 2] = l.Falloff;
    }
    glProgramUniform4fv(g, u[kLightDiffuse], 8, diffuse);
    glProgramUniform4fv(g, u[kLightSpecular], 8, specular);
    glProgramUniform4fv(g, u[kLightAmbient], 8, ambient);
    glProgramUniform4fv(g, u[kLightAttenuation], 8, atten);
    glProgramUniform3fv(g, u[kLightPosition], 8, position);
    glProgramUniform3fv(g, u[kLightDirection], 8, direction);
    glProgramUniform3fv(g, u[kLightSpot], 8, spot);
    glProgramUniform3f(g, u[kFog], asFloat(d.renderState(D3DRS_FOGSTART)),
                       asFloat(d.renderState(D3DRS_FOGEND)), asFloat(d.renderState(D3DRS_FOGDENSITY)));
    colour(d.renderState(D3DRS_TEXTUREFACTOR), c);
    glProgramUniform4fv(g, u[kTextureFactor], 1, c);
    colour(d.renderState(D3DRS_FOGCOLOR), c);
    glProgramUniform4fv(g, u[kFogColor], 1, c);
    float constants[32], bump[32], luminance[16];
    for (DWORD s = 0; s < kTextureStageCount; ++s) {
        colour(d.stageState(s, D3DTSS_CONSTANT), constants + 4 * s);
        bump[4 * s] = asFloat(d.stageState(s, D3DTSS_BUMPENVMAT00));
        bump[4 * s + 1] = asFloat(d.stageState(s, D3DTSS_BUMPENVMAT01));
        bump[4 * s + 2] = asFloat(d.stageState(s, D3DTSS_BUMPENVMAT10));
        bump[4 * s + 3] = asFloat(d.stageState(s, D3DTSS_BUMPENVMAT11));
        luminance[2 * s] = asFloat(d.stageState(s, D3DTSS_BUMPENVLSCALE));
        luminance[2 * s + 1] = asFloat(d.stageState(s, D3DTSS_BUMPENVLOFFSET));
    }
    glProgramUniform4fv(g, u[kStageConstant], 8, constants);
    glProgramUniform4fv(g, u[kBumpMatrix], 8, bump);
    glProgramUniform2fv(g, u[kBumpLuminance], 8, luminance);
    glProgramUniform1f(g, u[kAlphaRef], static_cast<float>(d.renderState(D3DRS_ALPHAREF) & 0xFF) / 255.0f);
    if (p.key.shaderStage) {
        glProgramUniform2f(g, u[kEffectPixelOffset], 1.0f / w, -1.0f / h);
        const DWORD func = d.renderState(D3DRS_ALPHATESTENABLE) ? d.renderState(D3DRS_ALPHAFUNC) : 0;
        glProgramUniform1i(g, u[kEffectAlphaFunc], static_cast<GLint>(func));
        glProgramUniform1f(g, u[kEffectAlphaRef], static_cast<float>(d.renderState(D3DRS_ALPHAREF) & 0xFF));
        float rows[2];
        d.vposRows(rows);
        glProgramUniform2f(g, u[kEffectVposRows], rows[0], rows[1]);
    }
}

void FixedFunctionPrograms::forget(unsigned shader) {
    for (std::size_t i = programs_.size(); i-- > 0;) {
        if (programs_[i].key.shaderStage == 0 || programs_[i].key.shader != shader) continue;
        if (programs_[i].name) glDeleteProgram(programs_[i].name);
        programs_.erase(programs_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void FixedFunctionPrograms::release() {
    for (const Program& p : programs_) {
        if (p.name) glDeleteProgram(p.name);
    }
    programs_.clear();
}

}  // namespace d3d9::detail
