#include "platform/d3d9/gl/GlDevice.h"

#include "platform/d3d9/FormatTable.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <new>

#include "platform/d3d9/Backends.h"
#include "platform/d3d9/internal.h"

namespace d3d9::detail {

std::string& lastHeadlessFailure() {
    static std::string text;
    return text;
}

namespace {

// A full-screen device owns the display: it switches to the back buffer's size and the
// asked refresh rate, and the window covers it.
void enterFullscreen(SDL_Window* window, const D3DPRESENT_PARAMETERS& params) {
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0) return;
    SDL_DisplayMode mode{};
    mode.w = static_cast<int>(params.BackBufferWidth);
    mode.h = static_cast<int>(params.BackBufferHeight);
    mode.refresh_rate = static_cast<int>(params.FullScreen_RefreshRateInHz);
    SDL_SetWindowDisplayMode(window, &mode);
    if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    }
}

}  // namespace

GlDevice::GlDevice(IDirect3D9* d3d) : DeviceBase(Backend::Gl, nullptr, d3d) {}

GlDevice::~GlDevice() {
    if (!contextMade_) return;
    context_.makeCurrent();
    releaseReadBack();
    releaseProfiling();
    releaseEffectPrograms();
    releaseFixedFunction();
    glDeleteSamplers(static_cast<GLsizei>(kSamplerCount), glSamplers_);
    glDeleteFramebuffers(1, &fbo_);
    glDeleteFramebuffers(1, &resolveFbo_);
    if (targetFbo_) glDeleteFramebuffers(1, &targetFbo_);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteRenderbuffers(1, &resolved_);
}

bool GlDevice::create(SDL_Window* window, D3DPRESENT_PARAMETERS& params, HRESULT& result) {
    result = D3DERR_NOTAVAILABLE;
    if (window && !params.Windowed) enterFullscreen(window, params);
    if (window ? !context_.createOnWindow(window) : !context_.createHeadless()) {
        if (!window) lastHeadlessFailure() = context_.headlessError();
        return false;
    }
    if (!window) lastHeadlessFailure().clear();
    contextMade_ = true;
    if (epoxy_gl_version() < 45) return false;
    if (window && (params.BackBufferWidth == 0 || params.BackBufferHeight == 0)) {
        int w = 0, h = 0;
        context_.drawableSize(w, h);
        params.BackBufferWidth = static_cast<UINT>(std::max(w, 1));
        params.BackBufferHeight = static_cast<UINT>(std::max(h, 1));
    }
    result = D3DERR_INVALIDCALL;
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0 ||
        params.BackBufferWidth > 16384 || params.BackBufferHeight > 16384) {
        return false;
    }
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples_);
    const DWORD type = params.MultiSampleType;
    if (!samplesSupported(type)) {
        result = D3DERR_NOTAVAILABLE;
        return false;
    }
    width_ = params.BackBufferWidth;
    height_ = params.BackBufferHeight;
    samples_ = type >= 2 ? type : 0;
    const auto w = static_cast<GLsizei>(width_), h = static_cast<GLsizei>(height_);

    // sRGB storage so that D3DRS_SRGBWRITEENABLE can encode; with GL_FRAMEBUFFER_SRGB off
    // (the default) it is written, blended, resolved and read as plain RGBA8.
    glCreateRenderbuffers(1, &colour_);
    glNamedRenderbufferStorageMultisample(colour_, static_cast<GLsizei>(samples_), GL_SRGB8_ALPHA8, w, h);
    glCreateFramebuffers(1, &fbo_);
    glNamedFramebufferRenderbuffer(fbo_, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glCreateRenderbuffers(1, &resolved_);
    glNamedRenderbufferStorage(resolved_, GL_RGBA8, w, h);
    glCreateFramebuffers(1, &resolveFbo_);
    glNamedFramebufferRenderbuffer(resolveFbo_, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolved_);
    if (glCheckNamedFramebufferStatus(fbo_, GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE ||
        glCheckNamedFramebufferStatus(resolveFbo_, GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        result = D3DERR_OUTOFVIDEOMEMORY;
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glViewport(0, 0, w, h);
    // Direct3D's conventions: clip z from 0 to w, clockwise faces in front, the first
    // vertex of a primitive giving flat values.
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glFrontFace(GL_CW);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Cube maps filter across their edges, as D3D9 hardware does.
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glCreateSamplers(static_cast<GLsizei>(kSamplerCount), glSamplers_);
    for (DWORD i = 0; i < kSamplerCount; ++i) {
        glBindSampler(i, glSamplers_[i]);
        unitSamplers_[i] = glSamplers_[i];
    }
    if (epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic") ||
        epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic")) {
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY, &maxAnisotropy_);
    }
    // Uniform blocks, the clip planes and DrawPrimitiveUP's vertices stream through one
    // ring; a frame of the show uses well under a region of it.
    GLint alignment = 256;
    glGetIntegerv(GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT, &alignment);
    uniformAlignment_ = static_cast<std::size_t>(std::max(alignment, 16));
    if (!ring_.create(std::size_t{8} << 20)) {
        result = D3DERR_OUTOFVIDEOMEMORY;
        return false;
    }

    initStates(params.EnableAutoDepthStencil != FALSE);
    applyAllStates();
    context_.setSwapInterval(params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    result = D3D_OK;
    return true;
}

bool GlDevice::samplesSupported(DWORD type) const {
    return type < 2 || static_cast<int>(type) <= maxSamples_;
}

bool GlDevice::attachFrameDepth(const Surface* surface) {
    // One attachment point at a time: D24S8 fills depth and stencil, the others depth.
    glNamedFramebufferRenderbuffer(fbo_, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    if (!surface) return true;
    const GLenum point = surface->hasStencil() ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    glNamedFramebufferRenderbuffer(fbo_, point, GL_RENDERBUFFER, surface->glRenderbuffer);
    if (glCheckNamedFramebufferStatus(fbo_, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
    glNamedFramebufferRenderbuffer(fbo_, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    return false;
}

HRESULT GlDevice::attachDepth(Surface* surface) {
    // While a texture is the target the frame's framebuffer takes the surface when it is
    // the target again (a surface made for the texture need not suit the frame).
    if (toTexture_) {
        attachTargetDepth(surface);
    } else if (!attachFrameDepth(surface)) {
        attachFrameDepth(depth_);
        return D3DERR_INVALIDCALL;
    }
    const FormatRow* depth = surface ? findFormat(surface->desc.Format) : nullptr;
    const float steps = depth && depth->depthBits == 16 ? 65536.0f : 16777216.0f;
    if (steps != depthSteps_) {
        depthSteps_ = steps;
        applyDepthBias();
    }
    return D3D_OK;
}

void GlDevice::doClear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                       DWORD stencil) {
    // Clear writes whatever it is asked to, whatever the write masks say.
    GLbitfield mask = 0;
    const bool colourMasked = states_[D3DRS_COLORWRITEENABLE] != 0xF;
    const bool depthMasked = !states_[D3DRS_ZWRITEENABLE];
    const bool stencilMasked = (states_[D3DRS_STENCILWRITEMASK] & 0xFF) != 0xFF;
    if (flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(color & 0xFF) / 255.0f,
                     static_cast<float>((color >> 24) & 0xFF) / 255.0f);
        if (colourMasked) glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        glClearDepth(z);
        if (depthMasked) glDepthMask(GL_TRUE);
    }
    if (flags & D3DCLEAR_STENCIL) {
        mask |= GL_STENCIL_BUFFER_BIT;
        glClearStencil(static_cast<GLint>(stencil & 0xFF));
        if (stencilMasked) glStencilMask(0xFF);
    }
    if (mask) {
        if (mask & GL_COLOR_BUFFER_BIT) keepShownFrame();
        glBindFramebuffer(GL_FRAMEBUFFER, drawFbo());
        // The scissor test, when on, limits clears too (GL's scissor is already set).
        const bool scissored = states_[D3DRS_SCISSORTESTENABLE] != FALSE;
        if (count == 0) {
            glClear(mask);
        } else {
            // Rectangles are in D3D's pixels, top-left origin (glBox turns them into GL's).
            if (!scissored) glEnable(GL_SCISSOR_TEST);
            int targetWidth = 0, targetHeight = 0;
            renderTargetSize(targetWidth, targetHeight);
            for (DWORD i = 0; i < count; ++i) {
                RECT area{0, 0, targetWidth, targetHeight};
                if (scissored) area = scissor_;
                const RECT cut{std::max<LONG>(rects[i].left, area.left), std::max<LONG>(rects[i].top, area.top),
                               std::min<LONG>(rects[i].right, area.right),
                               std::min<LONG>(rects[i].bottom, area.bottom)};
                if (cut.right <= cut.left || cut.bottom <= cut.top) continue;
                int box[4];
                glBox(cut, box);
                glScissor(box[0], box[1], box[2], box[3]);
                glClear(mask);
            }
            if (scissored) {
                applyScissorRect();
            } else {
                glDisable(GL_SCISSOR_TEST);
            }
        }
    }
    if ((flags & D3DCLEAR_TARGET) && colourMasked) applyColorMask(states_[D3DRS_COLORWRITEENABLE]);
    if ((flags & D3DCLEAR_ZBUFFER) && depthMasked) glDepthMask(GL_FALSE);
    if ((flags & D3DCLEAR_STENCIL) && stencilMasked) glStencilMask(states_[D3DRS_STENCILWRITEMASK]);
}

GlDevice::RawColour::RawColour(const GlDevice& device)
    : srgb(device.states_[D3DRS_SRGBWRITEENABLE] != FALSE),
      scissor(device.states_[D3DRS_SCISSORTESTENABLE] != FALSE) {
    if (srgb) glDisable(GL_FRAMEBUFFER_SRGB);
    if (scissor) glDisable(GL_SCISSOR_TEST);
}

GlDevice::RawColour::~RawColour() {
    if (srgb) glEnable(GL_FRAMEBUFFER_SRGB);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

void GlDevice::resolve() {
    glBlitNamedFramebuffer(fbo_, resolveFbo_, 0, 0, static_cast<GLint>(width_),
                           static_cast<GLint>(height_), 0, 0, static_cast<GLint>(width_),
                           static_cast<GLint>(height_), GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

void GlDevice::doPresent() {
    const bool colourMasked = states_[D3DRS_COLORWRITEENABLE] != 0xF;
    if (colourMasked) glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const RawColour raw(*this);
    if (context_.headless()) {
        // A single-sampled back buffer is read where it is, until something draws there.
        if (samples_) resolve();
        shown_ = samples_ ? Shown::resolved : Shown::backBuffer;
        shownSlot_ = -1;
    } else {
        unsigned source = fbo_;
        if (samples_) {
            resolve();
            source = resolveFbo_;
        }
        int w = 0, h = 0;
        context_.drawableSize(w, h);
        const bool same = w == static_cast<int>(width_) && h == static_cast<int>(height_);
        glBlitNamedFramebuffer(source, 0, 0, 0, static_cast<GLint>(width_),
                               static_cast<GLint>(height_), 0, 0, w, h, GL_COLOR_BUFFER_BIT,
                               same ? GL_NEAREST : GL_LINEAR);
        context_.swap();
    }
    if (colourMasked) applyColorMask(states_[D3DRS_COLORWRITEENABLE]);
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo());
}

void GlDevice::keepShownFrame() {
    if (shown_ != Shown::backBuffer || toTexture_) return;
    if (shownSlot_ >= 0) {
        shown_ = Shown::slot;
        return;
    }
    const bool colourMasked = states_[D3DRS_COLORWRITEENABLE] != 0xF;
    if (colourMasked) glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    {
        const RawColour raw(*this);
        resolve();
    }
    if (colourMasked) applyColorMask(states_[D3DRS_COLORWRITEENABLE]);
    shown_ = Shown::resolved;
}

unsigned GlDevice::readSource() {
    if (shown_ == Shown::resolved) return resolveFbo_;
    if (!samples_) return fbo_;
    resolve();
    return resolveFbo_;
}

bool GlDevice::readBack(std::uint8_t* rgba, std::size_t size, UINT& width, UINT& height) {
    const std::size_t row = static_cast<std::size_t>(width_) * 4;
    if (size < row * height_) return false;
    width = width_;
    height = height_;
    if (shown_ == Shown::slot) return readShownSlot(rgba);
    {
        const RawColour raw(*this);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, readSource());
        glReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_RGBA,
                     GL_UNSIGNED_BYTE, rgba);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo());
    // GL's rows come bottom first.
    std::uint8_t swap[4096];
    for (UINT y = 0; y < height_ / 2; ++y) {
        std::uint8_t* a = rgba + row * y;
        std::uint8_t* b = rgba + row * (height_ - 1 - y);
        for (std::size_t x = 0; x < row; x += sizeof swap) {
            const std::size_t n = std::min(sizeof swap, row - x);
            std::memcpy(swap, a + x, n);
            std::memcpy(a + x, b + x, n);
            std::memcpy(b + x, swap, n);
        }
    }
    return true;
}

DeviceBase* createGlDevice(IDirect3D9* d3d, SDL_Window* window, D3DPRESENT_PARAMETERS& params,
                           HRESULT& result) {
    auto* device = new (std::nothrow) GlDevice(d3d);
    if (!device) {
        result = E_OUTOFMEMORY;
        return nullptr;
    }
    if (!device->create(window, params, result)) {
        device->Release();
        return nullptr;
    }
    return device;
}

}  // namespace d3d9::detail

namespace d3d9 {
std::string headlessFailure() { return detail::lastHeadlessFailure(); }
}  // namespace d3d9
