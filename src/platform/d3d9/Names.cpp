#include "platform/d3d9/Names.h"

#include "platform/d3d9/FormatTable.h"

#include <cstdio>

namespace d3d9::detail {
namespace {

struct Named {
    DWORD value;
    const char* name;
};

template <std::size_t N>
const char* lookup(const Named (&table)[N], DWORD value) {
    for (const Named& entry : table) {
        if (entry.value == value) return entry.name;
    }
    return nullptr;
}

constexpr Named kPrimitives[] = {
    {1, "D3DPT_POINTLIST"},     {2, "D3DPT_LINELIST"},     {3, "D3DPT_LINESTRIP"},
    {4, "D3DPT_TRIANGLELIST"},  {5, "D3DPT_TRIANGLESTRIP"}, {6, "D3DPT_TRIANGLEFAN"},
};
constexpr Named kPools[] = {
    {0, "D3DPOOL_DEFAULT"}, {1, "D3DPOOL_MANAGED"}, {2, "D3DPOOL_SYSTEMMEM"},
    {3, "D3DPOOL_SCRATCH"},
};
constexpr Named kDeclTypes[] = {
    {0, "D3DDECLTYPE_FLOAT1"},   {1, "D3DDECLTYPE_FLOAT2"},   {2, "D3DDECLTYPE_FLOAT3"},
    {3, "D3DDECLTYPE_FLOAT4"},   {4, "D3DDECLTYPE_D3DCOLOR"}, {5, "D3DDECLTYPE_UBYTE4"},
    {6, "D3DDECLTYPE_SHORT2"},   {7, "D3DDECLTYPE_SHORT4"},   {8, "D3DDECLTYPE_UBYTE4N"},
    {9, "D3DDECLTYPE_SHORT2N"},  {10, "D3DDECLTYPE_SHORT4N"}, {11, "D3DDECLTYPE_USHORT2N"},
    {12, "D3DDECLTYPE_USHORT4N"}, {15, "D3DDECLTYPE_FLOAT16_2"},
    {16, "D3DDECLTYPE_FLOAT16_4"}, {17, "D3DDECLTYPE_UNUSED"},
};
constexpr Named kDeclUsages[] = {
    {0, "D3DDECLUSAGE_POSITION"},  {1, "D3DDECLUSAGE_BLENDWEIGHT"},
    {2, "D3DDECLUSAGE_BLENDINDICES"}, {3, "D3DDECLUSAGE_NORMAL"},
    {4, "D3DDECLUSAGE_PSIZE"},     {5, "D3DDECLUSAGE_TEXCOORD"},
    {6, "D3DDECLUSAGE_TANGENT"},   {7, "D3DDECLUSAGE_BINORMAL"},
    {8, "D3DDECLUSAGE_TESSFACTOR"}, {9, "D3DDECLUSAGE_POSITIONT"},
    {10, "D3DDECLUSAGE_COLOR"},    {11, "D3DDECLUSAGE_FOG"},
    {12, "D3DDECLUSAGE_DEPTH"},    {13, "D3DDECLUSAGE_SAMPLE"},
};

}  // namespace

const char* primitiveTypeName(DWORD type) { return lookup(kPrimitives, type); }
const char* formatName(DWORD format) {
    const FormatRow* row = findFormat(format);
    return row ? row->name : nullptr;
}
const char* poolName(DWORD pool) { return lookup(kPools, pool); }
const char* declTypeName(BYTE type) { return lookup(kDeclTypes, type); }
const char* declUsageName(BYTE usage) { return lookup(kDeclUsages, usage); }

const char* lightTypeName(DWORD type) {
    switch (type) {
        case D3DLIGHT_POINT: return "D3DLIGHT_POINT";
        case D3DLIGHT_SPOT: return "D3DLIGHT_SPOT";
        case D3DLIGHT_DIRECTIONAL: return "D3DLIGHT_DIRECTIONAL";
        default: return "?";
    }
}

NameBuf named(const char* name, DWORD value) {
    NameBuf buf;
    if (name) {
        std::snprintf(buf.text, sizeof buf.text, "%s", name);
    } else {
        std::snprintf(buf.text, sizeof buf.text, "%u", value);
    }
    return buf;
}

}  // namespace d3d9::detail
