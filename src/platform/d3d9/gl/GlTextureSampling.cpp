// D3DSAMP_SRGBTEXTURE: GL decodes sRGB by the texture's format, so a sampler that asks
// for it samples an sRGB view of the same storage.
#include <epoxy/gl.h>

#include "platform/d3d9/gl/GlDevice.h"

namespace d3d9::detail {

unsigned textureForSampling(Texture& texture, bool srgb) {
    if (!texture.glName || !srgb) return texture.glName;
    if (!texture.glSrgbView) {
        glGenTextures(1, &texture.glSrgbView);
        glTextureView(texture.glSrgbView, GL_TEXTURE_2D, texture.glName, GL_SRGB8_ALPHA8, 0, texture.levels, 0, 1);
        if (texture.format == D3DFMT_X8R8G8B8) glTextureParameteri(texture.glSrgbView, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    }
    return texture.glSrgbView;
}

}  // namespace d3d9::detail
