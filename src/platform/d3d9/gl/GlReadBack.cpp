// Read-back without waiting: each slot is a pixel-buffer object mapped once for good
// (persistent and coherent), so a copy is started with a fence and its rows are read
// later, from any thread, while the next frames render.
#include <epoxy/gl.h>

#include <cstring>

#include "platform/d3d9/gl/GlDevice.h"

namespace d3d9::detail {

namespace {
constexpr GLbitfield kMapFlags = GL_MAP_READ_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;

// False when the wait failed.
bool waitFor(GLsync fence) {
    GLenum status;
    do status = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000ull);
    while (status == GL_TIMEOUT_EXPIRED);
    return status != GL_WAIT_FAILED;
}
}  // namespace

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
    if (shown_ == Shown::slot) {
        // The back buffer is drawn over already; the slot that copied the frame has it.
        if (static_cast<int>(slot) != shownSlot_)
            glCopyNamedBufferSubData(readSlots_[shownSlot_].buffer, s.buffer, 0, 0, size);
    } else {
        {
            const RawColour raw(*this);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, readSource());
            glBindBuffer(GL_PIXEL_PACK_BUFFER, s.buffer);
            glReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_RGBA,
                         GL_UNSIGNED_BYTE, nullptr);
        }
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, drawFbo());
        if (shown_ == Shown::backBuffer) shownSlot_ = static_cast<int>(slot);
    }
    s.fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    // The copy starts now, not when the next frame happens to flush.
    glFlush();
    return s.fence != nullptr;
}

const std::uint8_t* GlDevice::finishReadBack(unsigned slot) {
    if (slot >= kReadBackSlots || !readSlots_[slot].fence) return nullptr;
    ReadSlot& s = readSlots_[slot];
    auto fence = static_cast<GLsync>(s.fence);
    const bool done = waitFor(fence);
    glDeleteSync(fence);
    s.fence = nullptr;
    return done ? static_cast<const std::uint8_t*>(s.rows) : nullptr;
}

bool GlDevice::readShownSlot(std::uint8_t* rgba) {
    // The slot's own finishReadBack still waits on its fence: it stays.
    const ReadSlot& s = readSlots_[shownSlot_];
    if (s.fence && !waitFor(static_cast<GLsync>(s.fence))) return false;
    const std::size_t row = static_cast<std::size_t>(width_) * 4;
    const auto* rows = static_cast<const std::uint8_t*>(s.rows);
    // GL's rows come bottom first.
    for (UINT y = 0; y < height_; ++y) std::memcpy(rgba + row * y, rows + row * (height_ - 1 - y), row);
    return true;
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
    if (shown_ == Shown::slot) shown_ = Shown::nothing;
}

}  // namespace d3d9::detail
