// How many samples the GL driver allows, for the adapter's multisample answers before
// any device exists.
#include <SDL.h>
#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include "platform/d3d9/Backends.h"
#include "platform/d3d9/gl/GlContext.h"

namespace d3d9::detail {

int glMaxSamples() {
    static int cached = -1;
    if (cached >= 0) return cached;
    GLint samples = 0;
    if (SDL_GL_GetCurrentContext() || eglGetCurrentContext() != EGL_NO_CONTEXT) {
        // A context of the process is current (a device's, the setup dialog's): ask it.
        glGetIntegerv(GL_MAX_SAMPLES, &samples);
    } else {
        GlContext probe;
        if (probe.createHeadless()) glGetIntegerv(GL_MAX_SAMPLES, &samples);
    }
    cached = samples < 0 ? 0 : (samples > 16 ? 16 : samples);
    return cached;
}

}  // namespace d3d9::detail
