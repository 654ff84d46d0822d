#include "render/VertexFormat.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "app/globals/DisplaySettings.h"
#include "platform/win32/messagebox.h"
#include "render/D3DError.h"

namespace {
struct MaskElement {
    BYTE type;
    BYTE usage;
    WORD size;
};

// One element per known mask bit, in bit order.
constexpr MaskElement kMaskElements[10] = {
    {D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 12},
    {D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 12},
    {D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 8},
    {D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TANGENT, 12},
    {D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_BINORMAL, 12},
    {D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_COLOR, 12},
    {D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_BLENDWEIGHT, 4},
    {D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TEXCOORD, 12},
    {D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TEXCOORD, 12},
    {D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TEXCOORD, 12},
};
}  // namespace

void VertexStaging::allocate(std::uint32_t newCount) {
    release();
    count = newCount;
    const std::size_t bytes = static_cast<std::size_t>(newCount) * stride;
    data = new (std::nothrow) std::uint8_t[bytes > 0 ? bytes : 1];
    if (!data) MessageBoxA(nullptr, "Out Of Memory", "Alloc VertexBuffer", MB_OK);
}

void VertexStaging::release() {
    delete[] data;
    data = nullptr;
}

std::uint32_t vertexSizeFromMask(std::uint16_t mask) {
    std::uint32_t size = 0;
    for (int bit = 0; bit < 10; ++bit)
        if (mask & (1u << bit)) size += kMaskElements[bit].size;
    return size;
}

unsigned vertexElementsFromMask(std::uint16_t mask, D3DVERTEXELEMENT9* elements) {
    unsigned n = 0;
    WORD offset = 0;
    for (int bit = 0; bit < 10; ++bit) {
        if (!(mask & (1u << bit))) continue;
        const MaskElement& e = kMaskElements[bit];
        elements[n++] = {0, offset, e.type, D3DDECLMETHOD_DEFAULT, e.usage, 0};
        offset = static_cast<WORD>(offset + e.size);
    }
    elements[n++] = D3DDECL_END();
    return n;
}

bool createDeclarationFromMask(const VertexStaging& staging,
                               IDirect3DVertexDeclaration9** declaration) {
    for (int bit = 10; bit < 16; ++bit) {
        if (!(staging.formatMask & (1u << bit))) continue;
        MessageBoxA(nullptr, "There's something very wrong", "VertexDecl", MB_OK);
        std::printf("vertexdecl bit[%d]\n", bit);
    }
    D3DVERTEXELEMENT9 elements[17];
    vertexElementsFromMask(staging.formatMask, elements);

    IDirect3DVertexDeclaration9* created = nullptr;
    const HRESULT hr = gDevice ? gDevice->CreateVertexDeclaration(elements, &created)
                               : D3DERR_INVALIDCALL;
    if (FAILED(hr) || !created) {
        if (created) created->Release();
        showD3DError(FAILED(hr) ? hr : E_FAIL, "VertexDecl", "Rodizo");
        return false;
    }
    *declaration = created;
    return true;
}
