// Effect programs on the GL device: built from the GLSL D3DX compiled, with a sampler
// object per texture unit from the pass's sampler_state blocks. Each pass streams its
// uniform block into the ring and binds that range, so no queued draw ever reads a
// buffer being rewritten; bindings that would not change are skipped.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/gl/GlDevice.h"
#include "platform/d3d9/gl/GlEnums.h"

namespace d3d9::detail {
namespace {

GLuint compileShader(GLenum type, const char* source, std::string& log) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char buffer[2048] = {};
    glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
    log += buffer;
    glDeleteShader(shader);
    return 0;
}

GLuint createSampler(const internal::EffectSampler& s, float mostAnisotropy) {
    GLuint sampler = 0;
    glCreateSamplers(1, &sampler);
    // The most detailed level allowed is a floor on the level of detail; without
    // mipmapping that level alone is sampled (a mipmapped filter held there).
    const auto level = static_cast<float>(std::min<DWORD>(s.maxMipLevel, 1000));
    const bool heldLevel = s.mipFilter == D3DTEXF_NONE && level > 0;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter(s.minFilter, s.mipFilter, level > 0)));
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter(s.magFilter)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(addressMode(s.addressU)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(addressMode(s.addressV)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, static_cast<GLint>(addressMode(s.addressW)));
    GLfloat border[4];
    borderColour(s.borderColor, border);  // A8R8G8B8
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    float bias = 0.0f;
    std::memcpy(&bias, &s.mipLodBias, sizeof bias);
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, std::isfinite(bias) ? bias : 0.0f);
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, level);
    if (heldLevel) glSamplerParameterf(sampler, GL_TEXTURE_MAX_LOD, level);
    const bool anisotropic = s.minFilter == D3DTEXF_ANISOTROPIC || s.magFilter == D3DTEXF_ANISOTROPIC;
    if (anisotropic && mostAnisotropy > 0.0f)
        glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY,
                            std::clamp(static_cast<float>(s.maxAnisotropy), 1.0f, std::max(mostAnisotropy, 1.0f)));
    return sampler;
}

// Both stages into one program; 0 with the log on failure.
GLuint linkProgram(const char* vertexGlsl, const char* fragmentGlsl, std::string& log) {
    GLuint vs = compileShader(GL_VERTEX_SHADER, vertexGlsl, log);
    GLuint fs = compileShader(GL_FRAGMENT_SHADER, fragmentGlsl, log);
    GLuint program = 0;
    if (vs && fs) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            char buffer[2048] = {};
            glGetProgramInfoLog(program, sizeof buffer, nullptr, buffer);
            log += buffer;
            glDeleteProgram(program);
            program = 0;
        }
    }
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    return program;
}

bool given(const char* glsl) { return glsl && *glsl; }

}  // namespace

unsigned GlDevice::createEffectProgram(const internal::EffectProgramSource& source, std::string& log) {
    EffectProgram p;
    const bool vertex = given(source.vertexGlsl), pixel = given(source.fragmentGlsl);
    if (vertex && pixel) {
        p.program = linkProgram(source.vertexGlsl, source.fragmentGlsl, log);
        if (!p.program) return 0;
        p.pixelOffset = glGetUniformLocation(p.program, source.pixelOffset);
        p.alphaFunc = glGetUniformLocation(p.program, source.alphaFunc);
        p.alphaRef = glGetUniformLocation(p.program, source.alphaRef);
        p.vposRows = glGetUniformLocation(p.program, source.vposRows);
    } else {
        p.stage = pixel ? 2 : 1;
        p.shader = pixel ? compileShader(GL_FRAGMENT_SHADER, source.fragmentGlsl, log)
                         : compileShader(GL_VERTEX_SHADER, vertex ? source.vertexGlsl : "", log);
        if (!p.shader) return 0;
        if (source.linkSizes) std::memcpy(p.linkSizes, source.linkSizes, sizeof p.linkSizes);
    }
    if (source.attributeSources) std::memcpy(p.attributeSources, source.attributeSources, sizeof p.attributeSources);
    p.live = true;
    p.blockSize = source.blockSize;
    for (unsigned i = 0; i < source.samplerCount; ++i) {
        p.samplers.push_back(createSampler(source.samplers[i], maxAnisotropy_));
        p.srgb.push_back(source.samplers[i].srgb);
    }
    auto free = std::find_if(effectPrograms_.begin(), effectPrograms_.end(), [](const EffectProgram& e) { return !e.live; });
    if (free == effectPrograms_.end()) free = effectPrograms_.insert(free, EffectProgram{});
    *free = std::move(p);
    return static_cast<unsigned>(free - effectPrograms_.begin()) + 1;
}

void GlDevice::destroyEffectProgram(unsigned handle) {
    if (handle == 0 || handle > effectPrograms_.size()) return;
    EffectProgram& p = effectPrograms_[handle - 1];
    if (p.program) {
        if (currentProgram_ == p.program) useProgram(0);
        glDeleteProgram(p.program);
    }
    if (p.shader) {
        fixedPrograms_.forget(p.shader);
        glDeleteShader(p.shader);
    }
    // GL unbinds deleted samplers from their units; the names may come back.
    for (unsigned& bound : unitSamplers_)
        if (std::find(p.samplers.begin(), p.samplers.end(), bound) != p.samplers.end()) bound = 0;
    if (!p.samplers.empty()) glDeleteSamplers(static_cast<GLsizei>(p.samplers.size()), p.samplers.data());
    p = EffectProgram{};
}

void GlDevice::releaseEffectPrograms() {
    for (std::size_t i = 0; i < effectPrograms_.size(); ++i)
        if (effectPrograms_[i].live) destroyEffectProgram(static_cast<unsigned>(i) + 1);
    ring_.release();
}

void GlDevice::useEffectProgram(unsigned handle, std::uint64_t version, internal::EffectPassSource& source,
                                bool passBegins) {
    if (handle == 0 || handle > effectPrograms_.size() || !effectPrograms_[handle - 1].live) return;
    makeCurrent();
    EffectProgram& p = effectPrograms_[handle - 1];
    setShaderPass(p.stage, p.shader, p.linkSizes);
    setAttributeSources(p.attributeSources);
    if (p.program) useProgram(p.program);
    if (p.blockSize) {
        if (p.streamedVersion != version || !ring_.holds(p.streamedAt)) {
            p.streamedOffset = ring_.push(source.uniformBlock(), p.blockSize, uniformAlignment_);
            p.streamedAt = ring_.lastPosition();
            p.streamedVersion = version;
        }
        bindUniformRange(0, p.streamedOffset, p.blockSize);
    }
    for (unsigned unit = 0; unit < p.samplers.size(); ++unit) {
        // A sampler naming no texture of the effect reads the device's texture on its
        // register's stage, as the host set it (SetTexture).
        const internal::EffectUnit u = source.unit(unit);
        unsigned texture = 0;
        if (u.stage >= 0) {
            const auto stage = static_cast<DWORD>(u.stage);
            if (stage < kSamplerCount && textures_[stage]) texture = textures_[stage]->glName;
        } else if (TextureStorage* t = storageOf(u.texture)) {
            texture = textureForSampling(*t, p.srgb[unit]);
        }
        bindUnit(unit, texture, p.samplers[unit]);
    }
    // The device sets the injected uniforms of a one-shader pass on the program it links.
    if (passBegins && p.program) setInjectedUniforms(p);
}

void GlDevice::setInjectedUniforms(const EffectProgram& p) {
    int width = 0, height = 0;
    renderTargetSize(width, height);
    if (p.pixelOffset >= 0 && width > 0 && height > 0)
        glUniform2f(p.pixelOffset, 1.0f / static_cast<float>(width), -1.0f / static_cast<float>(height));
    if (p.vposRows >= 0) {
        float rows[2];
        vposRows(rows);
        glUniform2f(p.vposRows, rows[0], rows[1]);
    }
    if (p.alphaFunc >= 0) {
        const DWORD enabled = states_[D3DRS_ALPHATESTENABLE];
        glUniform1i(p.alphaFunc, enabled ? static_cast<GLint>(states_[D3DRS_ALPHAFUNC]) : 0);
        glUniform1f(p.alphaRef, static_cast<float>(states_[D3DRS_ALPHAREF] & 0xff));
    }
}

void GlDevice::useProgram(unsigned program) {
    if (currentProgram_ == program) return;
    glUseProgram(program);
    currentProgram_ = program;
}

void GlDevice::bindUnit(unsigned unit, unsigned texture, unsigned sampler) {
    if (unit >= kTrackedUnits) {
        glBindTextureUnit(unit, texture);
        glBindSampler(unit, sampler);
        return;
    }
    if (unitTextures_[unit] != texture) glBindTextureUnit(unit, texture);
    if (unitSamplers_[unit] != sampler) glBindSampler(unit, sampler);
    unitTextures_[unit] = texture;
    unitSamplers_[unit] = sampler;
}

void GlDevice::forgetTextureBindings(unsigned texture) {
    for (unsigned& bound : unitTextures_)
        if (bound == texture) bound = 0;
}

void GlDevice::bindUniformRange(unsigned binding, std::ptrdiff_t offset, std::size_t size) {
    RangeBinding& b = uniformRanges_[binding];
    if (b.offset == offset && b.size == size) return;
    glBindBufferRange(GL_UNIFORM_BUFFER, binding, ring_.buffer(), offset, static_cast<GLsizeiptr>(size));
    b.offset = offset;
    b.size = size;
}

}  // namespace d3d9::detail
