// Fixed-function draws on the GL device: the vertex array laid out from the FVF, the
// program of the state's key, its uniforms, and the draw.
#include <epoxy/gl.h>

#include <algorithm>

#include "platform/d3d9/gl/GlDevice.h"
#include "platform/d3d9/gl/GlEnums.h"

namespace d3d9::detail {
namespace {

void floats(GLuint vao, GLuint location, GLint size, GLuint& offset) {
    glEnableVertexArrayAttrib(vao, location);
    glVertexArrayAttribFormat(vao, location, size, GL_FLOAT, GL_FALSE, offset);
    glVertexArrayAttribBinding(vao, location, 0);
    offset += static_cast<GLuint>(size) * 4;
}

void colourBytes(GLuint vao, GLuint location, GLuint& offset) {
    glEnableVertexArrayAttrib(vao, location);
    glVertexArrayAttribFormat(vao, location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offset);
    glVertexArrayAttribBinding(vao, location, 0);
    offset += 4;
}

// Locations as internal::attributeLocation gives them: position 0, normal 1,
// texture coordinates 2.., colours 12 and 13.
void layOut(GLuint vao, DWORD fvf) {
    for (GLuint i = 0; i < 16; ++i) glDisableVertexArrayAttrib(vao, i);
    GLuint offset = 0;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZRHW || position == D3DFVF_XYZW) {
        floats(vao, 0, 4, offset);
    } else {
        floats(vao, 0, 3, offset);
        if (position != D3DFVF_XYZ) offset += 4 * (((fvf & 0xE) - 4) / 2);  // blend weights, unused
    }
    if (fvf & D3DFVF_NORMAL) floats(vao, 1, 3, offset);
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) colourBytes(vao, 12, offset);
    if (fvf & D3DFVF_SPECULAR) colourBytes(vao, 13, offset);
    const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    static const GLint kSizes[4] = {2, 3, 4, 1};
    for (DWORD i = 0; i < sets && i < 8; ++i) floats(vao, 2 + i, kSizes[(fvf >> (16 + 2 * i)) & 3], offset);
}

}  // namespace

unsigned GlDevice::setUpFixedDraw(const void* vertices, UINT vertexCount, UINT stride) {
    // In an effect pass with both shaders its program draws the FVF vertices (a screen
    // quad of a post-process pass, say): they are laid out at the same locations.
    unsigned name = 0;
    if (!shaderPass_) {
        FixedFunctionKey key;
        DWORD lights[kFixedLights] = {};
        buildFixedFunctionKey(*this, fvf_, key, lights);
        const FixedFunctionPrograms::Program& program = fixedPrograms_.find(key);
        if (!program.name) return kNoProgram;
        int w = 0, h = 0;
        renderTargetSize(w, h);
        fixedPrograms_.upload(program, *this, lights, w, h);
        name = program.name;
    }
    // An effect's vertex shader writes the clip distances and the point size.
    prepareDraw(shaderPass_);

    if (!fixedVao_) glCreateVertexArrays(1, &fixedVao_);
    layOut(fixedVao_, fvf_);
    if (vertices) {
        const std::size_t bytes = static_cast<std::size_t>(vertexCount) * stride;
        const std::ptrdiff_t at = ring_.push(vertices, bytes, 16);
        if (at >= 0) {
            glVertexArrayVertexBuffer(fixedVao_, 0, ring_.buffer(), at, static_cast<GLsizei>(stride));
        } else {  // more than a region of the ring: a buffer of its own, orphaned each time
            if (!fixedBuffer_) glCreateBuffers(1, &fixedBuffer_);
            glNamedBufferData(fixedBuffer_, static_cast<GLsizeiptr>(bytes), vertices, GL_STREAM_DRAW);
            glVertexArrayVertexBuffer(fixedVao_, 0, fixedBuffer_, 0, static_cast<GLsizei>(stride));
        }
    } else {
        glVertexArrayVertexBuffer(fixedVao_, 0, stream_->glName, streamOffset_, static_cast<GLsizei>(stride));
    }
    if (boundVao_ != fixedVao_) {
        glBindVertexArray(fixedVao_);
        boundVao_ = fixedVao_;
    }
    return name;
}

void GlDevice::drawFixed(unsigned program, D3DPRIMITIVETYPE type, UINT first, UINT count, UINT indexSize,
                         std::size_t indexOffset) {
    // Whatever program an effect (or a caller reaching GL itself) bound stays bound once
    // the draw is done.
    GLint bound = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &bound);
    const auto previous = static_cast<unsigned>(bound);
    currentProgram_ = previous;
    if (program) useProgram(program);
    if (profiling_) beginDrawQueries();
    if (indexSize)
        glDrawElements(primitiveMode(type), static_cast<GLsizei>(count), indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                       reinterpret_cast<const void*>(indexOffset));
    else
        glDrawArrays(primitiveMode(type), static_cast<GLint>(first), static_cast<GLsizei>(count));
    if (profiling_) endDrawQueries();
    if (program) useProgram(previous);
}

void GlDevice::doDrawFixed(D3DPRIMITIVETYPE type, UINT first, UINT count, const void* vertices,
                           UINT stride) {
    const unsigned program = setUpFixedDraw(vertices, count, stride);
    if (program != kNoProgram) drawFixed(program, type, first, count, 0, 0);
}

void GlDevice::doDrawFixedIndexed(D3DPRIMITIVETYPE type, UINT count, const void* indices, UINT indexSize,
                                  UINT vertexCount, const void* vertices, UINT stride) {
    const unsigned program = setUpFixedDraw(vertices, vertexCount, stride);
    if (program == kNoProgram) return;
    const std::size_t bytes = static_cast<std::size_t>(count) * indexSize;
    const std::ptrdiff_t at = ring_.push(indices, bytes, 4);
    if (at >= 0) {
        glVertexArrayElementBuffer(fixedVao_, ring_.buffer());
        drawFixed(program, type, 0, count, indexSize, static_cast<std::size_t>(at));
        return;
    }
    if (!fixedIndices_) glCreateBuffers(1, &fixedIndices_);
    glNamedBufferData(fixedIndices_, static_cast<GLsizeiptr>(bytes), indices, GL_STREAM_DRAW);
    glVertexArrayElementBuffer(fixedVao_, fixedIndices_);
    drawFixed(program, type, 0, count, indexSize, 0);
}

void GlDevice::releaseFixedFunction() {
    fixedPrograms_.release();
    if (boundVao_ == fixedVao_ && fixedVao_) {
        glBindVertexArray(0);
        boundVao_ = 0;
    }
    if (fixedVao_) glDeleteVertexArrays(1, &fixedVao_);
    if (fixedBuffer_) glDeleteBuffers(1, &fixedBuffer_);
    if (fixedIndices_) glDeleteBuffers(1, &fixedIndices_);
    fixedVao_ = fixedBuffer_ = fixedIndices_ = 0;
}

}  // namespace d3d9::detail

namespace d3d9::detail {
namespace {

// The FVF code that describes the same vertex as a declaration, for the program key.
DWORD fvfOfDeclaration(const VertexDeclaration& d) {
    DWORD fvf = 0, sets = 0, sizes = 0;
    for (UINT i = 0; i < d.count; ++i) {
        const D3DVERTEXELEMENT9& e = d.elements[i];
        if (e.Stream != 0) continue;
        if (e.Usage == D3DDECLUSAGE_POSITIONT && e.UsageIndex == 0) fvf |= D3DFVF_XYZRHW;
        if (e.Usage == D3DDECLUSAGE_POSITION && e.UsageIndex == 0)
            fvf |= e.Type == D3DDECLTYPE_FLOAT4 ? D3DFVF_XYZW : D3DFVF_XYZ;
        if (e.Usage == D3DDECLUSAGE_NORMAL && e.UsageIndex == 0) fvf |= D3DFVF_NORMAL;
        if (e.Usage == D3DDECLUSAGE_COLOR && e.UsageIndex == 0) fvf |= D3DFVF_DIFFUSE;
        if (e.Usage == D3DDECLUSAGE_COLOR && e.UsageIndex == 1) fvf |= D3DFVF_SPECULAR;
        if (e.Usage == D3DDECLUSAGE_TEXCOORD && e.UsageIndex < 8) {
            sets = std::max<DWORD>(sets, e.UsageIndex + 1u);
            const DWORD format = e.Type == D3DDECLTYPE_FLOAT1   ? D3DFVF_TEXTUREFORMAT1
                                 : e.Type == D3DDECLTYPE_FLOAT3 ? D3DFVF_TEXTUREFORMAT3
                                 : e.Type == D3DDECLTYPE_FLOAT4 ? D3DFVF_TEXTUREFORMAT4
                                                                : D3DFVF_TEXTUREFORMAT2;
            sizes |= format << (16 + 2 * e.UsageIndex);
        }
    }
    if (fvf & D3DFVF_XYZRHW) fvf &= ~static_cast<DWORD>(D3DFVF_XYZ);
    return fvf | (sets << D3DFVF_TEXCOUNT_SHIFT) | sizes;
}

}  // namespace

unsigned GlDevice::useFixedFunctionFor(const VertexDeclaration& declaration) {
    FixedFunctionKey key;
    DWORD lights[kFixedLights] = {};
    buildFixedFunctionKey(*this, fvfOfDeclaration(declaration), key, lights);
    const FixedFunctionPrograms::Program& program = fixedPrograms_.find(key);
    if (!program.name) return 0;
    int w = 0, h = 0;
    renderTargetSize(w, h);
    fixedPrograms_.upload(program, *this, lights, w, h);
    GLint bound = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &bound);
    previousProgram_ = currentProgram_ = static_cast<unsigned>(bound);
    useProgram(program.name);
    return program.name;
}

void GlDevice::restoreProgram() { useProgram(previousProgram_); }

}  // namespace d3d9::detail
