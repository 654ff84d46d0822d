// Textures on GL: immutable storage (a 2D texture, or a cube map of six layers), uploads
// and lock copies, and the sRGB views samplers decoding sRGB read through.
#include <epoxy/gl.h>

#include "platform/d3d9/FormatTable.h"
#include "platform/d3d9/gl/GlDevice.h"
#include "platform/d3d9/gl/GlEnums.h"

namespace d3d9::detail {

namespace {

GLenum targetOf(const TextureStorage& texture) { return texture.cube() ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D; }

}  // namespace

bool GlDevice::createGl(TextureStorage& texture) {
    glCreateTextures(targetOf(texture), 1, &texture.glName);
    if (!texture.glName) return false;
    const GLenum internal = internalFormat(texture.format);
    glTextureStorage2D(texture.glName, static_cast<GLsizei>(texture.levels), internal,
                       static_cast<GLsizei>(texture.width), static_cast<GLsizei>(texture.height));
    // Channels a format lacks read as 1 in D3D9 (GL gives 0 for green and blue).
    const FormatRow* row = findFormat(texture.format);
    if (row && row->alphaOne) glTextureParameteri(texture.glName, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    if (internal == GL_R16F || internal == GL_R32F) glTextureParameteri(texture.glName, GL_TEXTURE_SWIZZLE_G, GL_ONE);
    if (internal != GL_RGBA8 && internal != GL_RGBA16F && internal != GL_RGBA32F)
        glTextureParameteri(texture.glName, GL_TEXTURE_SWIZZLE_B, GL_ONE);
    return true;
}

void GlDevice::uploadTexture(TextureStorage& texture, const std::uint8_t* rgba) {
    makeCurrent();
    // Rows top first: GL's t = 0 is then the image's top row, where D3D puts v = 0.
    glTextureSubImage2D(texture.glName, 0, 0, 0, static_cast<GLsizei>(texture.width),
                        static_cast<GLsizei>(texture.height), GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    if (texture.levels > 1) glGenerateTextureMipmap(texture.glName);
}

// Cube faces are layers 0..5 in D3DCUBEMAP_FACES order, which is GL's face order too; GL's
// face images have their first row at t = 0 like D3D's, so rows go across unchanged.
void GlDevice::readTexels(TextureStorage& texture, UINT face, UINT level, const RECT& r, std::uint8_t* bgra) {
    makeCurrent();
    const GLsizei w = r.right - r.left, h = r.bottom - r.top;
    glGetTextureSubImage(texture.glName, static_cast<GLint>(level), r.left, r.top, static_cast<GLint>(face), w, h, 1,
                         GL_BGRA, GL_UNSIGNED_BYTE, w * h * 4, bgra);
}

void GlDevice::writeTexels(TextureStorage& texture, UINT face, UINT level, const RECT& r,
                           const std::uint8_t* bgra) {
    makeCurrent();
    const GLsizei w = r.right - r.left, h = r.bottom - r.top;
    if (texture.cube())
        glTextureSubImage3D(texture.glName, static_cast<GLint>(level), r.left, r.top, static_cast<GLint>(face), w, h,
                            1, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    else
        glTextureSubImage2D(texture.glName, static_cast<GLint>(level), r.left, r.top, w, h, GL_BGRA,
                            GL_UNSIGNED_BYTE, bgra);
}

void GlDevice::destroyGl(TextureStorage& texture) {
    if (!texture.glName) return;
    makeCurrent();
    if (texture.glSrgbView) {
        forgetTextureBindings(texture.glSrgbView);
        glDeleteTextures(1, &texture.glSrgbView);
    }
    forgetTextureBindings(texture.glName);
    glDeleteTextures(1, &texture.glName);
}

// D3DSAMP_SRGBTEXTURE: GL decodes sRGB by the texture's format, so a sampler that asks
// for it samples an sRGB view of the same storage.
unsigned textureForSampling(TextureStorage& texture, bool srgb) {
    // Float targets have no sRGB form: they are read as stored.
    if (!texture.glName || !srgb || internalFormat(texture.format) != GL_RGBA8) return texture.glName;
    if (!texture.glSrgbView) {
        glGenTextures(1, &texture.glSrgbView);
        glTextureView(texture.glSrgbView, targetOf(texture), texture.glName, GL_SRGB8_ALPHA8, 0, texture.levels, 0,
                      texture.faces);
        const FormatRow* row = findFormat(texture.format);
        if (row && row->alphaOne) glTextureParameteri(texture.glSrgbView, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    }
    return texture.glSrgbView;
}

}  // namespace d3d9::detail
