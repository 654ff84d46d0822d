// Vertex format masks, the declarations built from them, and the staging block the
// mesh loader reads vertices into.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

struct VertexStaging {
    std::uint32_t count = 0;
    std::uint8_t* data = nullptr;  // owned, count x stride bytes
    std::uint32_t stride = 0;
    std::uint16_t formatMask = 0;
    std::uint32_t fvf = 0;

    VertexStaging() = default;
    VertexStaging(const VertexStaging&) = delete;
    VertexStaging& operator=(const VertexStaging&) = delete;
    ~VertexStaging() { release(); }

    // Stores `count` and allocates count x stride bytes; reports a failed allocation
    // and leaves `data` empty.
    void allocate(std::uint32_t count);
    void release();
};

// Mask bits 0 to 9 name elements; 10 to 15 are unknown.
constexpr std::uint16_t VERTEX_MASK_KNOWN_BITS = 0x03FF;
// The mask of the generated grids: position, normal, one 2-float texture coordinate.
constexpr std::uint16_t VERTEX_MASK_GRID = 0x0007;

// Bytes per vertex of the elements that `mask` describes (unknown bits add nothing).
std::uint32_t vertexSizeFromMask(std::uint16_t mask);

// Fills `elements` (room for 17) with the elements of the known bits and the end
// marker, without reporting anything; returns the element count with the end marker.
unsigned vertexElementsFromMask(std::uint16_t mask, D3DVERTEXELEMENT9* elements);

// Builds the declaration of `staging.formatMask` on gDevice. True on success, with the
// declaration (owned by the caller) in `declaration`.
bool createDeclarationFromMask(const VertexStaging& staging,
                               IDirect3DVertexDeclaration9** declaration);
