// Drawing into texture levels: one framebuffer for the set of targets, with GL's clip
// origin at the top so that the texture's first row is the picture's top row (where D3D
// samples v = 0). GL works out facing before that flip, so glFrontFace(GL_CW) holds for
// both kinds of target.
#include <epoxy/gl.h>

#include "platform/d3d9/gl/GlDevice.h"

namespace d3d9::detail {

void GlDevice::glBox(const RECT& r, int box[4]) const {
    int w = 0, h = 0;
    renderTargetSize(w, h);
    box[0] = r.left;
    box[1] = toTexture_ ? r.top : h - r.bottom;
    box[2] = r.right - r.left;
    box[3] = r.bottom - r.top;
}

// The depth surface serves a texture target when it is at least as large and single
// sampled, as D3D9 requires; otherwise the target draws without depth.
void GlDevice::attachTargetDepth(const Surface* depth) {
    glNamedFramebufferRenderbuffer(targetFbo_, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    const Surface* t = targets_[0];
    if (!depth || !t || depth->desc.Width < t->desc.Width || depth->desc.Height < t->desc.Height ||
        depth->desc.MultiSampleType >= 2)
        return;
    glNamedFramebufferRenderbuffer(targetFbo_, depth->hasStencil() ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                   GL_RENDERBUFFER, depth->glRenderbuffer);
}

void GlDevice::applyRenderTargets() {
    toTexture_ = targets_[0] != nullptr;
    if (toTexture_) {
        if (!targetFbo_) glCreateFramebuffers(1, &targetFbo_);
        GLenum buffers[kRenderTargetCount];
        for (DWORD i = 0; i < kRenderTargetCount; ++i) {
            const Surface* s = targets_[i];
            const GLenum point = GL_COLOR_ATTACHMENT0 + i;
            glNamedFramebufferTexture(targetFbo_, point, s && s->texture ? s->texture->glName : 0,
                                      s ? static_cast<GLint>(s->level) : 0);
            buffers[i] = s ? point : GL_NONE;
        }
        glNamedFramebufferDrawBuffers(targetFbo_, static_cast<GLsizei>(kRenderTargetCount), buffers);
        attachTargetDepth(depth_);
    } else {
        attachFrameDepth(depth_);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo());
    glClipControl(toTexture_ ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    int w = 0, h = 0;
    renderTargetSize(w, h);
    glViewport(0, 0, w, h);
    applyScissorRect();
}

}  // namespace d3d9::detail
