#include "platform/d3d9/gl/GlStreamRing.h"

#include <epoxy/gl.h>

#include <cstring>

namespace d3d9::detail {
namespace {
constexpr GLbitfield kMapFlags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
}

bool GlStreamRing::create(std::size_t size) {
    regionSize_ = size / kRegions & ~static_cast<std::size_t>(255);
    size_ = regionSize_ * kRegions;
    glCreateBuffers(1, &buffer_);
    glNamedBufferStorage(buffer_, static_cast<GLsizeiptr>(size_), nullptr, kMapFlags);
    bytes_ = static_cast<std::uint8_t*>(glMapNamedBufferRange(buffer_, 0, static_cast<GLsizeiptr>(size_), kMapFlags));
    if (!bytes_) release();
    return bytes_ != nullptr;
}

void GlStreamRing::release() {
    for (void*& f : fences_) {
        if (f) glDeleteSync(static_cast<GLsync>(f));
        f = nullptr;
    }
    if (bytes_) glUnmapNamedBuffer(buffer_);
    if (buffer_) glDeleteBuffers(1, &buffer_);
    bytes_ = nullptr;
    buffer_ = 0;
}

void GlStreamRing::enterRegion(unsigned region) {
    const unsigned left = (region + kRegions - 1) % kRegions;
    if (fences_[left]) glDeleteSync(static_cast<GLsync>(fences_[left]));
    fences_[left] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (void* f = fences_[region]) {
        // Drawn from a whole lap ago: normally long finished.
        const GLenum status = glClientWaitSync(static_cast<GLsync>(f), GL_SYNC_FLUSH_COMMANDS_BIT, 0);
        if (status == GL_TIMEOUT_EXPIRED) {
            ++waits_;
            glClientWaitSync(static_cast<GLsync>(f), GL_SYNC_FLUSH_COMMANDS_BIT, GLuint64{10'000'000'000});
        }
        glDeleteSync(static_cast<GLsync>(f));
        fences_[region] = nullptr;
    }
    region_ = region;
    offset_ = region * regionSize_;
    regionStart_ = lap_ + offset_;
}

std::ptrdiff_t GlStreamRing::push(const void* data, std::size_t size, std::size_t alignment) {
    if (!bytes_ || size > regionSize_) return -1;
    std::size_t at = (offset_ + alignment - 1) & ~(alignment - 1);
    // Data never spans two regions, so that a region's fence covers every draw reading it.
    if (at + size > (region_ + 1) * regionSize_) {
        const unsigned next = (region_ + 1) % kRegions;
        if (next == 0) lap_ += size_;
        enterRegion(next);
        at = offset_;
    }
    std::memcpy(bytes_ + at, data, size);
    offset_ = at + size;
    last_ = lap_ + at;
    return static_cast<std::ptrdiff_t>(at);
}

}  // namespace d3d9::detail
