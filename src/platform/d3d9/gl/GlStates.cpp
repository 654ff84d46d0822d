// Render and sampler states onto the GL pipeline. Called only when a value changes
// (and once for all at creation), so each maps straight to its GL call.
#include <epoxy/gl.h>

#include <cstring>

#include "platform/d3d9/gl/GlDevice.h"

namespace d3d9::detail {
namespace {

GLenum compareFunc(DWORD value) {
    switch (value) {
        case D3DCMP_NEVER: return GL_NEVER;
        case D3DCMP_LESS: return GL_LESS;
        case D3DCMP_EQUAL: return GL_EQUAL;
        case D3DCMP_LESSEQUAL: return GL_LEQUAL;
        case D3DCMP_GREATER: return GL_GREATER;
        case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
        default: return GL_ALWAYS;
    }
}

GLenum blendFactor(DWORD value) {
    switch (value) {
        case D3DBLEND_ZERO: return GL_ZERO;
        case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
        default: return GL_ONE;
    }
}

GLenum blendEquation(DWORD value) {
    switch (value) {
        case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN: return GL_MIN;
        case D3DBLENDOP_MAX: return GL_MAX;
        default: return GL_FUNC_ADD;
    }
}

GLenum stencilOp(DWORD value) {
    switch (value) {
        case D3DSTENCILOP_ZERO: return GL_ZERO;
        case D3DSTENCILOP_REPLACE: return GL_REPLACE;
        case D3DSTENCILOP_INCRSAT: return GL_INCR;
        case D3DSTENCILOP_DECRSAT: return GL_DECR;
        case D3DSTENCILOP_INVERT: return GL_INVERT;
        case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
        case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
        default: return GL_KEEP;
    }
}

GLenum addressMode(DWORD value) {
    switch (value) {
        case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
        case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
        default: return GL_REPEAT;
    }
}

void enable(GLenum cap, bool on) {
    if (on) {
        glEnable(cap);
    } else {
        glDisable(cap);
    }
}

}  // namespace

void GlDevice::applyBlendFunc() {
    DWORD src = states_[D3DRS_SRCBLEND];
    DWORD dst = states_[D3DRS_DESTBLEND];
    // The "both" factors set source and destination together.
    if (src == 12) {
        src = D3DBLEND_SRCALPHA;
        dst = D3DBLEND_INVSRCALPHA;
    } else if (src == 13) {
        src = D3DBLEND_INVSRCALPHA;
        dst = D3DBLEND_SRCALPHA;
    }
    glBlendFunc(blendFactor(src), blendFactor(dst));
}

void GlDevice::applyStencilFunc() {
    glStencilFunc(compareFunc(states_[D3DRS_STENCILFUNC]),
                  static_cast<GLint>(states_[D3DRS_STENCILREF]), states_[D3DRS_STENCILMASK]);
}

void GlDevice::applyStencilOp() {
    glStencilOp(stencilOp(states_[D3DRS_STENCILFAIL]), stencilOp(states_[D3DRS_STENCILZFAIL]),
                stencilOp(states_[D3DRS_STENCILPASS]));
}

void GlDevice::applyColorMask(DWORD mask) {
    glColorMask((mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
                (mask & D3DCOLORWRITEENABLE_BLUE) != 0, (mask & D3DCOLORWRITEENABLE_ALPHA) != 0);
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
        case D3DRS_DESTBLEND: applyBlendFunc(); break;
        case D3DRS_BLENDOP: glBlendEquation(blendEquation(value)); break;
        case D3DRS_STENCILENABLE: enable(GL_STENCIL_TEST, value != FALSE); break;
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS: applyStencilOp(); break;
        case D3DRS_STENCILFUNC:
        case D3DRS_STENCILREF:
        case D3DRS_STENCILMASK: applyStencilFunc(); break;
        case D3DRS_STENCILWRITEMASK: glStencilMask(value); break;
        case D3DRS_COLORWRITEENABLE: applyColorMask(value); break;
        default: break;  // kept for GetRenderState only (alpha test: see internal.h)
    }
}

void GlDevice::applyMinFilter(DWORD sampler) {
    const bool linear = samplers_[sampler][D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    GLenum filter = linear ? GL_LINEAR : GL_NEAREST;
    switch (samplers_[sampler][D3DSAMP_MIPFILTER]) {
        case D3DTEXF_NONE: break;
        case D3DTEXF_POINT: filter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST; break;
        default: filter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR; break;
    }
    glSamplerParameteri(glSamplers_[sampler], GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
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
            const float colour[4] = {static_cast<float>((value >> 16) & 0xFF) / 255.0f,
                                     static_cast<float>((value >> 8) & 0xFF) / 255.0f,
                                     static_cast<float>(value & 0xFF) / 255.0f,
                                     static_cast<float>((value >> 24) & 0xFF) / 255.0f};
            glSamplerParameterfv(name, GL_TEXTURE_BORDER_COLOR, colour);
            break;
        }
        case D3DSAMP_MAGFILTER:
            glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER,
                                value >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
            break;
        case D3DSAMP_MINFILTER:
        case D3DSAMP_MIPFILTER: applyMinFilter(sampler); break;
        case 8: {  // mip LOD bias: a float in the DWORD
            float bias;
            std::memcpy(&bias, &value, sizeof bias);
            glSamplerParameterf(name, GL_TEXTURE_LOD_BIAS, bias);
            break;
        }
        case 9:  // the most detailed mip level used
            glSamplerParameterf(name, GL_TEXTURE_MIN_LOD, static_cast<float>(value));
            break;
        default: break;
    }
}

void GlDevice::applyTexture(DWORD stage) {
    const Texture* texture = textures_[stage];
    glBindTextureUnit(stage, texture ? texture->glName : 0);
    // Effects may have bound samplers of their own to this unit meanwhile.
    glBindSampler(stage, glSamplers_[stage]);
}

}  // namespace d3d9::detail
