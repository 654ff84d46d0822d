// Render and sampler states onto the GL pipeline. Called only when a value changes
// (and once for all at creation), so each maps straight to its GL call.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/gl/GlDevice.h"
#include "platform/d3d9/gl/GlEnums.h"

namespace d3d9::detail {
namespace {

void enable(GLenum cap, bool on) {
    if (on) {
        glEnable(cap);
    } else {
        glDisable(cap);
    }
}

float asFloat(DWORD bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return std::isfinite(f) ? f : 0.0f;
}

// The "both" factors set source and destination together.
void resolveBoth(DWORD& src, DWORD& dst) {
    if (src == D3DBLEND_BOTHSRCALPHA) {
        src = D3DBLEND_SRCALPHA;
        dst = D3DBLEND_INVSRCALPHA;
    } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
        src = D3DBLEND_INVSRCALPHA;
        dst = D3DBLEND_SRCALPHA;
    }
}

void colorMask(GLuint target, DWORD mask) {
    glColorMaski(target, (mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
                 (mask & D3DCOLORWRITEENABLE_BLUE) != 0, (mask & D3DCOLORWRITEENABLE_ALPHA) != 0);
}

}  // namespace

void GlDevice::applyBlendFunc() {
    DWORD src = states_[D3DRS_SRCBLEND];
    DWORD dst = states_[D3DRS_DESTBLEND];
    resolveBoth(src, dst);
    DWORD srcAlpha = src, dstAlpha = dst;
    if (states_[D3DRS_SEPARATEALPHABLENDENABLE]) {
        srcAlpha = states_[D3DRS_SRCBLENDALPHA];
        dstAlpha = states_[D3DRS_DESTBLENDALPHA];
        resolveBoth(srcAlpha, dstAlpha);
    }
    glBlendFuncSeparate(blendFactor(src), blendFactor(dst), blendFactor(srcAlpha), blendFactor(dstAlpha));
}

void GlDevice::applyBlendEquation() {
    const DWORD op = states_[D3DRS_BLENDOP];
    const DWORD alphaOp = states_[D3DRS_SEPARATEALPHABLENDENABLE] ? states_[D3DRS_BLENDOPALPHA] : op;
    glBlendEquationSeparate(blendEquation(op), blendEquation(alphaOp));
}

// Front faces are the clockwise ones (glFrontFace(GL_CW)): D3D9's own stencil states
// go to GL's front faces, its counter-clockwise ones to the back faces.
void GlDevice::applyStencilFunc() {
    const auto ref = static_cast<GLint>(states_[D3DRS_STENCILREF]);
    const GLuint mask = states_[D3DRS_STENCILMASK];
    if (!states_[D3DRS_TWOSIDEDSTENCILMODE]) {
        glStencilFunc(compareFunc(states_[D3DRS_STENCILFUNC]), ref, mask);
        return;
    }
    glStencilFuncSeparate(GL_FRONT, compareFunc(states_[D3DRS_STENCILFUNC]), ref, mask);
    glStencilFuncSeparate(GL_BACK, compareFunc(states_[D3DRS_CCW_STENCILFUNC]), ref, mask);
}

void GlDevice::applyStencilOp() {
    if (!states_[D3DRS_TWOSIDEDSTENCILMODE]) {
        glStencilOp(stencilOp(states_[D3DRS_STENCILFAIL]), stencilOp(states_[D3DRS_STENCILZFAIL]),
                    stencilOp(states_[D3DRS_STENCILPASS]));
        return;
    }
    glStencilOpSeparate(GL_FRONT, stencilOp(states_[D3DRS_STENCILFAIL]), stencilOp(states_[D3DRS_STENCILZFAIL]),
                        stencilOp(states_[D3DRS_STENCILPASS]));
    glStencilOpSeparate(GL_BACK, stencilOp(states_[D3DRS_CCW_STENCILFAIL]),
                        stencilOp(states_[D3DRS_CCW_STENCILZFAIL]), stencilOp(states_[D3DRS_CCW_STENCILPASS]));
}

void GlDevice::applyColorMask(DWORD mask) { colorMask(0, mask); }

void GlDevice::applyDepthBias() {
    const float bias = asFloat(states_[D3DRS_DEPTHBIAS]);
    const float slope = asFloat(states_[D3DRS_SLOPESCALEDEPTHBIAS]);
    const bool on = bias != 0.0f || slope != 0.0f;
    enable(GL_POLYGON_OFFSET_FILL, on);
    enable(GL_POLYGON_OFFSET_LINE, on);
    enable(GL_POLYGON_OFFSET_POINT, on);
    glPolygonOffset(slope, bias * depthSteps_);
}

// Fixed-function draws take glPointSize; shaders write gl_PointSize from the block,
// clamping their own PSIZE output or the state's size. GL refuses sizes of 0 and below:
// such points are one pixel wide.
void GlDevice::applyPointSize() {
    const float low = std::clamp(asFloat(states_[D3DRS_POINTSIZE_MIN]), 1.0f, 8192.0f);
    const float high = std::clamp(asFloat(states_[D3DRS_POINTSIZE_MAX]), low, 8192.0f);
    const float size[4] = {std::clamp(asFloat(states_[D3DRS_POINTSIZE]), low, high), low, high, 0.0f};
    glPointSize(size[0]);
    std::memcpy(clipBlock_[kClipPlaneCount], size, sizeof size);
    clipBlockDirty_ = true;
}

void GlDevice::applyScissorRect() {
    int box[4];
    glBox(scissor_, box);
    glScissor(box[0], box[1], box[2], box[3]);
}

// The block holds zeros for the planes that are off: some drivers (Mesa's llvmpipe) clip
// with every distance a shader writes while no GL_CLIP_DISTANCEi is on.
void GlDevice::applyClipPlane(DWORD index) {
    if (!((clipDistances_ >> index) & 1)) return;
    std::memcpy(clipBlock_[index], clipPlanes_[index], sizeof clipBlock_[index]);
    clipBlockDirty_ = true;
}

void GlDevice::prepareDraw(bool shaderDraw) {
    keepShownFrame();
    if (shaderDraw != programPointSize_) {
        enable(GL_PROGRAM_POINT_SIZE, shaderDraw);
        programPointSize_ = shaderDraw;
    }
    // Both kinds of draw write the distances: shaders against clip-space planes, the
    // fixed pipeline against world-space ones.
    const DWORD wanted = states_[D3DRS_CLIPPLANEENABLE] & ((1u << kClipPlaneCount) - 1);
    if (wanted != clipDistances_) {
        for (DWORD i = 0; i < kClipPlaneCount; ++i) {
            if (((wanted ^ clipDistances_) >> i) & 1) enable(GL_CLIP_DISTANCE0 + i, (wanted >> i) & 1);
            if ((wanted >> i) & 1)
                std::memcpy(clipBlock_[i], clipPlanes_[i], sizeof clipBlock_[i]);
            else
                std::memset(clipBlock_[i], 0, sizeof clipBlock_[i]);
        }
        clipDistances_ = wanted;
        clipBlockDirty_ = true;
    }
    // A changed block takes fresh ring space; so does one the ring has moved past.
    if (clipBlockDirty_ || !ring_.holds(clipStreamedAt_)) {
        clipOffset_ = ring_.push(clipBlock_, sizeof clipBlock_, uniformAlignment_);
        clipStreamedAt_ = ring_.lastPosition();
        clipBlockDirty_ = false;
    }
    bindUniformRange(internal::kClipPlaneBinding, clipOffset_, sizeof clipBlock_);
}

void GlDevice::applyRenderState(DWORD state, DWORD value) {
    switch (state) {
        case D3DRS_ZENABLE: enable(GL_DEPTH_TEST, value != D3DZB_FALSE); break;
        case D3DRS_ZWRITEENABLE: glDepthMask(value ? GL_TRUE : GL_FALSE); break;
        case D3DRS_ZFUNC: glDepthFunc(compareFunc(value)); break;
        case D3DRS_FILLMODE:
            glPolygonMode(GL_FRONT_AND_BACK, value == D3DFILL_POINT       ? GL_POINT
                                             : value == D3DFILL_WIREFRAME ? GL_LINE
                                                                          : GL_FILL);
            break;
        case D3DRS_CULLMODE:
            // Front faces are the clockwise ones (glFrontFace(GL_CW)), as in D3D9.
            if (value == D3DCULL_CW) {
                glEnable(GL_CULL_FACE);
                glCullFace(GL_FRONT);
            } else if (value == D3DCULL_CCW) {
                glEnable(GL_CULL_FACE);
                glCullFace(GL_BACK);
            } else {
                glDisable(GL_CULL_FACE);
            }
            break;
        case D3DRS_ALPHABLENDENABLE: enable(GL_BLEND, value != FALSE); break;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
        case D3DRS_SRCBLENDALPHA:
        case D3DRS_DESTBLENDALPHA: applyBlendFunc(); break;
        case D3DRS_BLENDOP:
        case D3DRS_BLENDOPALPHA: applyBlendEquation(); break;
        case D3DRS_SEPARATEALPHABLENDENABLE:
            applyBlendFunc();
            applyBlendEquation();
            break;
        case D3DRS_BLENDFACTOR:
            glBlendColor(static_cast<float>((value >> 16) & 0xFF) / 255.0f,
                         static_cast<float>((value >> 8) & 0xFF) / 255.0f, static_cast<float>(value & 0xFF) / 255.0f,
                         static_cast<float>((value >> 24) & 0xFF) / 255.0f);
            break;
        case D3DRS_STENCILENABLE: enable(GL_STENCIL_TEST, value != FALSE); break;
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS:
        case D3DRS_CCW_STENCILFAIL:
        case D3DRS_CCW_STENCILZFAIL:
        case D3DRS_CCW_STENCILPASS: applyStencilOp(); break;
        case D3DRS_STENCILFUNC:
        case D3DRS_STENCILREF:
        case D3DRS_STENCILMASK:
        case D3DRS_CCW_STENCILFUNC: applyStencilFunc(); break;
        case D3DRS_TWOSIDEDSTENCILMODE:
            applyStencilFunc();
            applyStencilOp();
            break;
        case D3DRS_STENCILWRITEMASK: glStencilMask(value); break;
        case D3DRS_COLORWRITEENABLE: applyColorMask(value); break;
        case D3DRS_COLORWRITEENABLE1: colorMask(1, value); break;
        case D3DRS_COLORWRITEENABLE2: colorMask(2, value); break;
        case D3DRS_COLORWRITEENABLE3: colorMask(3, value); break;
        case D3DRS_DEPTHBIAS:
        case D3DRS_SLOPESCALEDEPTHBIAS: applyDepthBias(); break;
        case D3DRS_SCISSORTESTENABLE: enable(GL_SCISSOR_TEST, value != FALSE); break;
        case D3DRS_SRGBWRITEENABLE: enable(GL_FRAMEBUFFER_SRGB, value != FALSE); break;
        case D3DRS_POINTSIZE:
        case D3DRS_POINTSIZE_MIN:
        case D3DRS_POINTSIZE_MAX: applyPointSize(); break;
        case D3DRS_MULTISAMPLEANTIALIAS: enable(GL_MULTISAMPLE, value != FALSE); break;
        case D3DRS_MULTISAMPLEMASK:
            glSampleMaski(0, value);
            enable(GL_SAMPLE_MASK, value != 0xFFFFFFFFu);
            break;
        default: break;  // kept for GetRenderState only (alpha test: see internal.h)
    }
}

// D3DSAMP_MAXMIPLEVEL is a floor on the level of detail (GL_TEXTURE_MIN_LOD), so that
// minifying filters start at that level; without mipmapping D3D9 samples that level
// alone, which GL does as a mipmapped filter held there by GL_TEXTURE_MAX_LOD.
void GlDevice::applyMinFilter(DWORD sampler) {
    const DWORD mip = samplers_[sampler][D3DSAMP_MIPFILTER];
    const auto level = static_cast<float>(std::min<DWORD>(samplers_[sampler][D3DSAMP_MAXMIPLEVEL], 1000));
    const GLenum filter = minFilter(samplers_[sampler][D3DSAMP_MINFILTER], mip, level > 0);
    const GLuint name = glSamplers_[sampler];
    glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
    glSamplerParameterf(name, GL_TEXTURE_MIN_LOD, level);
    glSamplerParameterf(name, GL_TEXTURE_MAX_LOD, mip == D3DTEXF_NONE && level > 0 ? level : 1000.0f);
}

// Anisotropy counts only where a filter asks for it.
void GlDevice::applyAnisotropy(DWORD sampler) {
    if (maxAnisotropy_ < 1.0f) return;
    const DWORD* s = samplers_[sampler];
    const bool wanted = s[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC || s[D3DSAMP_MAGFILTER] == D3DTEXF_ANISOTROPIC;
    const float value = wanted ? std::clamp(static_cast<float>(s[D3DSAMP_MAXANISOTROPY]), 1.0f, maxAnisotropy_) : 1.0f;
    glSamplerParameterf(glSamplers_[sampler], GL_TEXTURE_MAX_ANISOTROPY, value);
}

void GlDevice::applySamplerState(DWORD sampler, DWORD type, DWORD value) {
    const GLuint name = glSamplers_[sampler];
    switch (type) {
        case D3DSAMP_ADDRESSU:
            glSamplerParameteri(name, GL_TEXTURE_WRAP_S, static_cast<GLint>(addressMode(value)));
            break;
        case D3DSAMP_ADDRESSV:
            glSamplerParameteri(name, GL_TEXTURE_WRAP_T, static_cast<GLint>(addressMode(value)));
            break;
        case D3DSAMP_ADDRESSW:
            glSamplerParameteri(name, GL_TEXTURE_WRAP_R, static_cast<GLint>(addressMode(value)));
            break;
        case D3DSAMP_BORDERCOLOR: {
            float colour[4];
            borderColour(value, colour);
            glSamplerParameterfv(name, GL_TEXTURE_BORDER_COLOR, colour);
            break;
        }
        case D3DSAMP_MAGFILTER:
            glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter(value)));
            applyAnisotropy(sampler);
            break;
        case D3DSAMP_MINFILTER:
            applyMinFilter(sampler);
            applyAnisotropy(sampler);
            break;
        case D3DSAMP_MIPFILTER:
        case D3DSAMP_MAXMIPLEVEL: applyMinFilter(sampler); break;
        case D3DSAMP_MAXANISOTROPY: applyAnisotropy(sampler); break;
        case D3DSAMP_MIPMAPLODBIAS: glSamplerParameterf(name, GL_TEXTURE_LOD_BIAS, asFloat(value)); break;
        case D3DSAMP_SRGBTEXTURE:
            if (textures_[sampler]) applyTexture(sampler);
            break;
        default: break;
    }
}

void GlDevice::applyTexture(DWORD stage) {
    TextureStorage* texture = textures_[stage];
    const DWORD* s = samplers_[stage];
    // Effects may have bound samplers of their own to this unit meanwhile.
    bindUnit(stage, texture ? textureForSampling(*texture, s[D3DSAMP_SRGBTEXTURE] != 0) : 0, glSamplers_[stage]);
}

}  // namespace d3d9::detail
