// The GL side of effects: programs, the "_Global" uniform buffer, texture units and
// sampler objects built from sampler_state blocks.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/internal.h"
#include "platform/d3dx9/EffectObject.h"
#include "platform/d3dx9/effect/UniformBlock.h"

namespace fx {
namespace {

GLuint compileShader(GLenum type, const std::string& source, std::string& log) {
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char buffer[2048] = {};
        glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
        log += buffer;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLint address(DWORD mode) {
    switch (mode) {
        case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
        case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
        default: return GL_REPEAT;
    }
}

GLuint createSampler(const SamplerDescription& s) {
    GLuint sampler = 0;
    glCreateSamplers(1, &sampler);
    bool linearMin = s.minFilter >= D3DTEXF_LINEAR;
    GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    // The most detailed level allowed is a floor on the level of detail; without
    // mipmapping that level alone is sampled (a mipmapped filter held there).
    const auto level = static_cast<float>(std::min<DWORD>(s.maxMipLevel, 1000));
    const bool heldLevel = s.mipFilter == D3DTEXF_NONE && level > 0;
    if (s.mipFilter == D3DTEXF_POINT || heldLevel)
        minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (s.mipFilter >= D3DTEXF_LINEAR) minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, s.magFilter >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, address(s.addressU));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, address(s.addressV));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, address(s.addressW));
    DWORD c = s.borderColor;  // A8R8G8B8
    GLfloat border[4] = {((c >> 16) & 0xff) / 255.0f, ((c >> 8) & 0xff) / 255.0f, (c & 0xff) / 255.0f,
                         ((c >> 24) & 0xff) / 255.0f};
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    float bias = 0.0f;
    std::memcpy(&bias, &s.mipLodBias, sizeof bias);
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, std::isfinite(bias) ? bias : 0.0f);
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, level);
    if (heldLevel) glSamplerParameterf(sampler, GL_TEXTURE_MAX_LOD, level);
    // Anisotropy where GL has it and a filter asks for it.
    const bool anisotropic = s.minFilter == D3DTEXF_ANISOTROPIC || s.magFilter == D3DTEXF_ANISOTROPIC;
    if (anisotropic && (epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic") ||
                        epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic"))) {
        float most = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY, &most);
        glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY,
                            std::clamp(static_cast<float>(s.maxAnisotropy), 1.0f, std::max(most, 1.0f)));
    }
    return sampler;
}

void createBlockAndSamplers(const CompiledEffect& effect, const CompiledProgram& program, GlProgram& out) {
    if (program.blockSize) {
        glCreateBuffers(1, &out.uniformBuffer);
        glNamedBufferData(out.uniformBuffer, program.blockSize, nullptr, GL_DYNAMIC_DRAW);
        out.block.assign(program.blockSize, 0);
    }
    for (const SamplerBinding& b : program.samplers)
        out.samplers.push_back(createSampler(b.sampler >= 0 ? effect.description.samplers[static_cast<std::size_t>(b.sampler)]
                                                            : SamplerDescription{}));
}

}  // namespace

bool createGlProgram(const CompiledEffect& effect, const CompiledProgram& program, GlProgram& out, std::string& log) {
    if (program.vertexEntry.empty() || program.pixelEntry.empty()) {
        // One shader: kept as an object, linked by the device with its other half.
        out.stage = program.pixelEntry.empty() ? 1 : 2;
        out.shader = out.stage == 1 ? compileShader(GL_VERTEX_SHADER, program.vertexGlsl, log)
                                    : compileShader(GL_FRAGMENT_SHADER, program.fragmentGlsl, log);
        if (!out.shader) return false;
        createBlockAndSamplers(effect, program, out);
        return true;
    }
    GLuint vs = compileShader(GL_VERTEX_SHADER, program.vertexGlsl, log);
    GLuint fs = compileShader(GL_FRAGMENT_SHADER, program.fragmentGlsl, log);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    out.program = glCreateProgram();
    glAttachShader(out.program, vs);
    glAttachShader(out.program, fs);
    glLinkProgram(out.program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(out.program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char buffer[2048] = {};
        glGetProgramInfoLog(out.program, sizeof buffer, nullptr, buffer);
        log += buffer;
        destroyGlProgram(out, nullptr);
        return false;
    }
    out.pixelOffset = glGetUniformLocation(out.program, kPixelOffsetUniform);
    out.alphaFunc = glGetUniformLocation(out.program, kAlphaFuncUniform);
    out.alphaRef = glGetUniformLocation(out.program, kAlphaRefUniform);
    out.vposRows = glGetUniformLocation(out.program, kVposUniform);
    createBlockAndSamplers(effect, program, out);
    return true;
}

void destroyGlProgram(GlProgram& p, IDirect3DDevice9* device) {
    if (p.program) glDeleteProgram(p.program);
    if (p.shader) {
        d3d9::internal::forgetShader(device, p.shader);
        glDeleteShader(p.shader);
    }
    if (p.uniformBuffer) glDeleteBuffers(1, &p.uniformBuffer);
    if (!p.samplers.empty()) glDeleteSamplers(static_cast<GLsizei>(p.samplers.size()), p.samplers.data());
    p = GlProgram{};
}

void Effect::applyPassGl(bool rebindAll) {
    const int index = passProgram_;
    // Neither shader: the device's fixed-function pipeline draws the pass.
    d3d9::internal::setFixedFunctionPass(device_, index < 0 && passFixed_);
    if (index < 0) return;
    const CompiledProgram& cp = compiled_->programs[static_cast<std::size_t>(index)];
    GlProgram& gp = glPrograms_[static_cast<std::size_t>(index)];
    d3d9::internal::setShaderPass(device_, gp.stage, gp.shader, cp.linkSizes);
    std::uint16_t sources[d3d9::internal::kAttributeSlots] = {};
    for (const AttributeSlot& slot : cp.attributeSlots)
        if (slot.location < d3d9::internal::kAttributeSlots)
            sources[slot.location] = d3d9::internal::attributeSource(slot.usage, slot.usageIndex);
    d3d9::internal::setAttributeSources(device_, sources);
    d3d9::internal::makeCurrent(device_);
    if (gp.program) glUseProgram(gp.program);
    if (cp.blockSize) {
        if (gp.uploadedVersion != version_) {
            fillUniformBlock(*compiled_, cp, values_.data(), valueOffsets_, gp.block);
            glNamedBufferSubData(gp.uniformBuffer, 0, static_cast<GLsizeiptr>(gp.block.size()), gp.block.data());
            gp.uploadedVersion = version_;
        }
        glBindBufferBase(GL_UNIFORM_BUFFER, 0, gp.uniformBuffer);
    }
    for (std::size_t unit = 0; unit < cp.samplers.size(); ++unit) {
        const SamplerBinding& b = cp.samplers[unit];
        const SamplerDescription* s =
            b.sampler >= 0 ? &compiled_->description.samplers[static_cast<std::size_t>(b.sampler)] : nullptr;
        // A sampler naming no texture of the effect reads the device's texture on its
        // register's stage, as the host set it (SetTexture).
        const unsigned name =
            b.texture >= 0
                ? d3d9::internal::glTextureFor(textures_[static_cast<std::size_t>(b.texture)], s && s->srgbTexture != FALSE)
                : d3d9::internal::glStageTexture(device_, static_cast<DWORD>(b.stage >= 0 ? b.stage : static_cast<int>(unit)));
        glBindTextureUnit(static_cast<GLuint>(unit), name);
        glBindSampler(static_cast<GLuint>(unit), gp.samplers[unit]);
    }
    // The device sets the injected uniforms of a one-shader pass on the program it links.
    if (!rebindAll || !gp.program) return;
    int width = 0, height = 0;
    d3d9::internal::renderTargetSize(device_, width, height);
    if (gp.pixelOffset >= 0 && width > 0 && height > 0)
        glUniform2f(gp.pixelOffset, 1.0f / static_cast<float>(width), -1.0f / static_cast<float>(height));
    if (gp.vposRows >= 0) {
        float rows[2];
        d3d9::internal::vposRows(device_, rows);
        glUniform2f(gp.vposRows, rows[0], rows[1]);
    }
    if (gp.alphaFunc >= 0) {
        DWORD enabled = 0, func = D3DCMP_ALWAYS, ref = 0;
        device_->GetRenderState(D3DRS_ALPHATESTENABLE, &enabled);
        device_->GetRenderState(D3DRS_ALPHAFUNC, &func);
        device_->GetRenderState(D3DRS_ALPHAREF, &ref);
        glUniform1i(gp.alphaFunc, enabled ? static_cast<GLint>(func) : 0);
        glUniform1f(gp.alphaRef, static_cast<float>(ref & 0xff));
    }
}

}  // namespace fx
