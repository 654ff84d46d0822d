// GL objects behind buffers, declarations, surfaces and textures, and the draw call.
#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

#include "platform/d3d9/gl/GlDevice.h"
#include "platform/d3d9/gl/GlEnums.h"
#include "platform/d3d9/internal.h"

namespace d3d9::detail {
namespace {

struct AttribFormat {
    GLint size;
    GLenum type;
    GLboolean normalized;
};

AttribFormat attribFormat(BYTE type) {
    switch (type) {
        case 0: return {1, GL_FLOAT, GL_FALSE};
        case 1: return {2, GL_FLOAT, GL_FALSE};
        case 2: return {3, GL_FLOAT, GL_FALSE};
        case 3: return {4, GL_FLOAT, GL_FALSE};
        case 4: return {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE};  // D3DCOLOR: bytes B, G, R, A
        case 5: return {4, GL_UNSIGNED_BYTE, GL_FALSE};
        case 6: return {2, GL_SHORT, GL_FALSE};
        case 7: return {4, GL_SHORT, GL_FALSE};
        case 8: return {4, GL_UNSIGNED_BYTE, GL_TRUE};
        case 9: return {2, GL_SHORT, GL_TRUE};
        case 10: return {4, GL_SHORT, GL_TRUE};
        case 11: return {2, GL_UNSIGNED_SHORT, GL_TRUE};
        case 12: return {4, GL_UNSIGNED_SHORT, GL_TRUE};
        case 15: return {2, GL_HALF_FLOAT, GL_FALSE};
        default: return {4, GL_HALF_FLOAT, GL_FALSE};  // 16: FLOAT16_4
    }
}

GLenum bufferUsage(DWORD usage) { return (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW; }

}  // namespace

bool GlDevice::createGl(VertexBuffer& buffer) {
    glCreateBuffers(1, &buffer.glName);
    glNamedBufferData(buffer.glName, buffer.store.length(), buffer.store.bytes(),
                      bufferUsage(buffer.usage));
    return buffer.glName != 0;
}

bool GlDevice::createGl(IndexBuffer& buffer) {
    glCreateBuffers(1, &buffer.glName);
    glNamedBufferData(buffer.glName, buffer.store.length(), buffer.store.bytes(),
                      bufferUsage(buffer.usage));
    return buffer.glName != 0;
}

namespace {
// A dynamic buffer is rewritten while frames still draw from it: it gets fresh storage
// with the whole of its bytes, so that no queued draw has to finish first. Others are
// written rarely, in place.
void uploadStore(unsigned name, const BufferStore& s, DWORD usage) {
    if (usage & D3DUSAGE_DYNAMIC)
        glNamedBufferData(name, s.length(), s.bytes(), GL_DYNAMIC_DRAW);
    else
        glNamedBufferSubData(name, s.dirtyBegin(), s.dirtyEnd() - s.dirtyBegin(), s.bytes() + s.dirtyBegin());
}
}  // namespace

void GlDevice::upload(VertexBuffer& buffer) {
    makeCurrent();
    uploadStore(buffer.glName, buffer.store, buffer.usage);
}

void GlDevice::upload(IndexBuffer& buffer) {
    makeCurrent();
    uploadStore(buffer.glName, buffer.store, buffer.usage);
}

void GlDevice::destroyGl(VertexBuffer& buffer) {
    if (!buffer.glName) return;
    makeCurrent();
    glDeleteBuffers(1, &buffer.glName);
}

void GlDevice::destroyGl(IndexBuffer& buffer) {
    if (!buffer.glName) return;
    makeCurrent();
    glDeleteBuffers(1, &buffer.glName);
}

void GlDevice::destroyGl(VertexDeclaration& declaration) {
    if (!declaration.vao) return;
    makeCurrent();
    if (boundVao_ == declaration.vao) {
        glBindVertexArray(0);
        boundVao_ = 0;
    }
    glDeleteVertexArrays(1, &declaration.vao);
}

bool GlDevice::createGl(Surface& surface) {
    const GLenum format = internalFormat(surface.desc.Format);
    const DWORD type = surface.desc.MultiSampleType;
    glCreateRenderbuffers(1, &surface.glRenderbuffer);
    glNamedRenderbufferStorageMultisample(surface.glRenderbuffer,
                                          static_cast<GLsizei>(type >= 2 ? type : 0), format,
                                          static_cast<GLsizei>(surface.desc.Width),
                                          static_cast<GLsizei>(surface.desc.Height));
    return surface.glRenderbuffer != 0;
}

void GlDevice::destroyGl(Surface& surface) {
    if (!surface.glRenderbuffer) return;
    makeCurrent();
    glDeleteRenderbuffers(1, &surface.glRenderbuffer);
}

void GlDevice::specifyVertexArray(VertexDeclaration& d) {
    if (!d.vao) glCreateVertexArrays(1, &d.vao);
    const std::uint16_t* sources = attributeSources();
    if (!d.vaoFormatSet || std::memcmp(d.vaoSources, sources, sizeof d.vaoSources) != 0) {
        // Attribute formats depend on the declaration and on the shader's inputs that sit
        // at free locations; a usage repeated in one declaration keeps its first element.
        int element[kAttributeSlots];
        for (int& e : element) e = -1;
        for (UINT i = 0; i < d.count; ++i) {
            const D3DVERTEXELEMENT9& e = d.elements[i];
            const int location = internal::attributeLocation(e.Usage, e.UsageIndex);
            if (e.Stream == 0 && location >= 0 && element[location] < 0) element[location] = static_cast<int>(i);
        }
        for (unsigned l = 0; l < kAttributeSlots; ++l) {
            if (!sources[l]) continue;
            element[l] = -1;
            for (UINT i = 0; i < d.count && element[l] < 0; ++i)
                if (d.elements[i].Stream == 0 &&
                    internal::attributeSource(d.elements[i].Usage, d.elements[i].UsageIndex) == sources[l])
                    element[l] = static_cast<int>(i);
        }
        for (unsigned l = 0; l < kAttributeSlots; ++l) {
            if (element[l] < 0) {
                glDisableVertexArrayAttrib(d.vao, l);
                continue;
            }
            const D3DVERTEXELEMENT9& e = d.elements[element[l]];
            const AttribFormat f = attribFormat(e.Type);
            glEnableVertexArrayAttrib(d.vao, l);
            glVertexArrayAttribFormat(d.vao, l, f.size, f.type, f.normalized, e.Offset);
            glVertexArrayAttribBinding(d.vao, l, 0);
        }
        std::memcpy(d.vaoSources, sources, sizeof d.vaoSources);
        d.vaoFormatSet = true;
    }
    if (d.vaoBuffer != stream_->serial() || d.vaoStride != streamStride_ ||
        d.vaoOffset != streamOffset_) {
        glVertexArrayVertexBuffer(d.vao, 0, stream_->glName, streamOffset_,
                                  static_cast<GLsizei>(streamStride_));
        d.vaoBuffer = stream_->serial();
        d.vaoStride = streamStride_;
        d.vaoOffset = streamOffset_;
    }
    if (d.vaoIndices != indices_->serial()) {
        glVertexArrayElementBuffer(d.vao, indices_->glName);
        d.vaoIndices = indices_->serial();
    }
}

void GlDevice::doDraw(D3DPRIMITIVETYPE type, UINT indexCount, UINT startIndex, INT baseVertex) {
    specifyVertexArray(*declaration_);
    const unsigned fixedProgram = fixedFunctionPass_ ? useFixedFunctionFor(*declaration_) : 0;
    if (fixedFunctionPass_ && !fixedProgram) return;
    prepareDraw(fixedProgram == 0);
    if (boundVao_ != declaration_->vao) {
        glBindVertexArray(declaration_->vao);
        boundVao_ = declaration_->vao;
    }
    const UINT size = indices_->indexSize();
    const auto offset = static_cast<std::uintptr_t>(startIndex) * size;
    if (profiling_) beginDrawQueries();
    glDrawElementsBaseVertex(primitiveMode(type), static_cast<GLsizei>(indexCount),
                             size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(offset), baseVertex);
    if (profiling_) endDrawQueries();
    if (fixedProgram) restoreProgram();
}

}  // namespace d3d9::detail
