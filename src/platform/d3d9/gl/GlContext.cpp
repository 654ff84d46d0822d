#include "platform/d3d9/gl/GlContext.h"

#include <string>

#include <SDL.h>
#include <epoxy/egl.h>
#include <epoxy/gl.h>

namespace d3d9::detail {
namespace {

// Remembers the SDL context attributes that creating ours changes, and puts them back,
// so that other GL users of the process (the setup dialog) keep their own choices.
class SdlAttributes {
public:
    SdlAttributes() {
        SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major_);
        SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &minor_);
        SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile_);
    }
    ~SdlAttributes() {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major_);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor_);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, profile_);
    }

private:
    int major_ = 0, minor_ = 0, profile_ = 0;
};

}  // namespace

GlContext::~GlContext() { destroy(); }

bool GlContext::createOnWindow(SDL_Window* window) {
    SdlAttributes saved;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    const int versions[][2] = {{4, 6}, {4, 5}};
    for (const auto& version : versions) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, version[0]);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, version[1]);
        sdlContext_ = SDL_GL_CreateContext(window);
        if (sdlContext_) break;
    }
    if (!sdlContext_) return false;
    window_ = window;
    makeCurrent();
    return true;
}

bool GlContext::tryHeadless(void* display) {
    if (!eglBindAPI(EGL_OPENGL_API)) return false;
    EGLConfig config = nullptr;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT, EGL_NONE};
    EGLint found = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &found) || found == 0) {
        config = nullptr;  // EGL_KHR_no_config_context: Mesa accepts a context without one
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 4,
                                        EGL_CONTEXT_MINOR_VERSION, 5,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) return false;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        eglDestroyContext(display, context);
        return false;
    }
    eglDisplay_ = display;
    eglContext_ = context;
    return true;
}

bool GlContext::createHeadless() {
    headlessError_.clear();
    return chooseHeadlessDisplay([this](void* display) { return tryHeadless(display); }, choice_,
                                 headlessError_);
}

void GlContext::makeCurrent() {
    if (window_) {
        if (SDL_GL_GetCurrentContext() != sdlContext_) SDL_GL_MakeCurrent(window_, sdlContext_);
    } else if (eglContext_ && eglGetCurrentContext() != eglContext_) {
        eglMakeCurrent(eglDisplay_, EGL_NO_SURFACE, EGL_NO_SURFACE, eglContext_);
    }
}

void GlContext::swap() {
    if (window_) SDL_GL_SwapWindow(window_);
}

void GlContext::setSwapInterval(int interval) {
    if (window_ && SDL_GL_SetSwapInterval(interval) != 0 && interval != 0) {
        SDL_GL_SetSwapInterval(1);
    }
}

void GlContext::drawableSize(int& width, int& height) const {
    width = height = 0;
    if (window_) SDL_GL_GetDrawableSize(window_, &width, &height);
}

void GlContext::destroy() {
    if (sdlContext_) {
        if (SDL_GL_GetCurrentContext() == sdlContext_) SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(sdlContext_);
        sdlContext_ = nullptr;
    }
    if (eglContext_) {
        if (eglGetCurrentContext() == eglContext_) {
            eglMakeCurrent(eglDisplay_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        eglDestroyContext(eglDisplay_, eglContext_);
        eglContext_ = nullptr;
    }
    // The display stays initialised: EGL hands the same one to every caller, and other
    // contexts of the process may still live on it.
    window_ = nullptr;
}

}  // namespace d3d9::detail
