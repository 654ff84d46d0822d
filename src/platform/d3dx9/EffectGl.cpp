// The GL side of effects: programs, the "_Global" uniform buffer, texture units and
// sampler objects built from sampler_state blocks.
#include <epoxy/gl.h>

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
    if (s.mipFilter == D3DTEXF_POINT) minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
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
    return sampler;
}

}  // namespace

bool createGlProgram(const CompiledEffect& effect, const CompiledProgram& program, GlProgram& out, std::string& log) {
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
        destroyGlProgram(out);
        return false;
    }
    out.pixelOffset = glGetUniformLocation(out.program, kPixelOffsetUniform);
    out.alphaFunc = glGetUniformLocation(out.program, kAlphaFuncUniform);
    out.alphaRef = glGetUniformLocation(out.program, kAlphaRefUniform);
    if (program.blockSize) {
        glCreateBuffers(1, &out.uniformBuffer);
        glNamedBufferData(out.uniformBuffer, program.blockSize, nullptr, GL_DYNAMIC_DRAW);
        out.block.assign(program.blockSize, 0);
    }
    for (const SamplerBinding& b : program.samplers)
        out.samplers.push_back(createSampler(b.sampler >= 0 ? effect.description.samplers[static_cast<std::size_t>(b.sampler)]
                                                            : SamplerDescription{}));
    return true;
}

void destroyGlProgram(GlProgram& p) {
    if (p.program) glDeleteProgram(p.program);
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
    d3d9::internal::makeCurrent(device_);
    glUseProgram(gp.program);
    if (cp.blockSize) {
        if (gp.uploadedVersion != version_) {
            fillUniformBlock(*compiled_, cp, values_.data(), valueOffsets_, gp.block);
            glNamedBufferSubData(gp.uniformBuffer, 0, static_cast<GLsizeiptr>(gp.block.size()), gp.block.data());
            gp.uploadedVersion = version_;
        }
        glBindBufferBase(GL_UNIFORM_BUFFER, 0, gp.uniformBuffer);
    }
    for (std::size_t unit = 0; unit < cp.samplers.size(); ++unit) {
        int t = cp.samplers[unit].texture;
        IDirect3DBaseTexture9* texture = t >= 0 ? textures_[static_cast<std::size_t>(t)] : nullptr;
        glBindTextureUnit(static_cast<GLuint>(unit), d3d9::internal::glTexture(texture));
        glBindSampler(static_cast<GLuint>(unit), gp.samplers[unit]);
    }
    if (!rebindAll) return;
    int width = 0, height = 0;
    d3d9::internal::renderTargetSize(device_, width, height);
    if (gp.pixelOffset >= 0 && width > 0 && height > 0)
        glUniform2f(gp.pixelOffset, 1.0f / static_cast<float>(width), -1.0f / static_cast<float>(height));
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
