// Read-back without waiting: each slot is a pixel-buffer object mapped once for good
// (persistent and coherent), so a copy is started with a fence and its rows are read
// later, from any thread, while the next frames render.
#include <epoxy/gl.h>

#include "platform/d3d9/gl/GlDevice.h"

namespace d3d9::detail {

namespace {
constexpr GLbitfield kMapFlags = GL_MAP_READ_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
}

bool GlDevice::startReadBack(unsigned slot) {
    if (slot >= kReadBackSlots || !context_.headless()) return false;
    ReadSlot& s = readSlots_[slot];
    const auto size = static_cast<GLsizeiptr>(width_) * static_cast<GLsizeiptr>(height_) * 4;
    if (!s.buffer) {
        glCreateBuffers(1, &s.buffer);
        glNamedBufferStorage(s.buffer, size, nullptr, kMapFlags);
        s.rows = glMapNamedBufferRange(s.buffer, 0, size, kMapFlags);
        if (!s.rows) {
            glDeleteBuffers(1, &s.buffer);
            s.buffer = 0;
            return false;
        }
    }
    if (s.fence) glDeleteSync(static_cast<GLsync>(s.fence));
    {
        const RawColour raw(*this);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, readSource());
        glBindBuffer(GL_PIXEL_PACK_BUFFER, s.buffer);
        glReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo());
    s.fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    // The copy starts now, not when the next frame happens to flush.
    glFlush();
    return s.fence != nullptr;
}

const std::uint8_t* GlDevice::finishReadBack(unsigned slot) {
    if (slot >= kReadBackSlots || !readSlots_[slot].fence) return nullptr;
    ReadSlot& s = readSlots_[slot];
    auto fence = static_cast<GLsync>(s.fence);
    GLenum status;
    do status = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000ull);
    while (status == GL_TIMEOUT_EXPIRED);
    glDeleteSync(fence);
    s.fence = nullptr;
    return status == GL_WAIT_FAILED ? nullptr : static_cast<const std::uint8_t*>(s.rows);
}

void GlDevice::releaseReadBack() {
    for (ReadSlot& s : readSlots_) {
        if (s.fence) glDeleteSync(static_cast<GLsync>(s.fence));
        if (s.buffer) {
            glUnmapNamedBuffer(s.buffer);
            glDeleteBuffers(1, &s.buffer);
        }
        s = ReadSlot{};
    }
}

}  // namespace d3d9::detail
