#include "platform/d3d9/Names.h"

#include <cstdio>
#include <cstring>

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

constexpr Named kStates[] = {
    {7, "D3DRS_ZENABLE"},           {8, "D3DRS_FILLMODE"},
    {9, "D3DRS_SHADEMODE"},         {14, "D3DRS_ZWRITEENABLE"},
    {15, "D3DRS_ALPHATESTENABLE"},  {16, "D3DRS_LASTPIXEL"},
    {19, "D3DRS_SRCBLEND"},         {20, "D3DRS_DESTBLEND"},
    {22, "D3DRS_CULLMODE"},         {23, "D3DRS_ZFUNC"},
    {24, "D3DRS_ALPHAREF"},         {25, "D3DRS_ALPHAFUNC"},
    {26, "D3DRS_DITHERENABLE"},     {27, "D3DRS_ALPHABLENDENABLE"},
    {28, "D3DRS_FOGENABLE"},        {29, "D3DRS_SPECULARENABLE"},
    {52, "D3DRS_STENCILENABLE"},    {53, "D3DRS_STENCILFAIL"},
    {54, "D3DRS_STENCILZFAIL"},     {55, "D3DRS_STENCILPASS"},
    {56, "D3DRS_STENCILFUNC"},      {57, "D3DRS_STENCILREF"},
    {58, "D3DRS_STENCILMASK"},      {59, "D3DRS_STENCILWRITEMASK"},
    {137, "D3DRS_LIGHTING"},        {168, "D3DRS_COLORWRITEENABLE"},
    {171, "D3DRS_BLENDOP"},         {174, "D3DRS_SCISSORTESTENABLE"},
    {152, "D3DRS_CLIPPLANEENABLE"}, {154, "D3DRS_POINTSIZE"},
    {155, "D3DRS_POINTSIZE_MIN"},   {161, "D3DRS_MULTISAMPLEANTIALIAS"},
    {162, "D3DRS_MULTISAMPLEMASK"}, {166, "D3DRS_POINTSIZE_MAX"},
    {175, "D3DRS_SLOPESCALEDEPTHBIAS"}, {185, "D3DRS_TWOSIDEDSTENCILMODE"},
    {186, "D3DRS_CCW_STENCILFAIL"}, {187, "D3DRS_CCW_STENCILZFAIL"},
    {188, "D3DRS_CCW_STENCILPASS"}, {189, "D3DRS_CCW_STENCILFUNC"},
    {190, "D3DRS_COLORWRITEENABLE1"}, {191, "D3DRS_COLORWRITEENABLE2"},
    {192, "D3DRS_COLORWRITEENABLE3"}, {193, "D3DRS_BLENDFACTOR"},
    {194, "D3DRS_SRGBWRITEENABLE"}, {195, "D3DRS_DEPTHBIAS"},
    {206, "D3DRS_SEPARATEALPHABLENDENABLE"}, {207, "D3DRS_SRCBLENDALPHA"},
    {208, "D3DRS_DESTBLENDALPHA"},  {209, "D3DRS_BLENDOPALPHA"},
};

constexpr Named kZBuffer[] = {{0, "D3DZB_FALSE"}, {1, "D3DZB_TRUE"}, {2, "D3DZB_USEW"}};
constexpr Named kFill[] = {{1, "D3DFILL_POINT"}, {2, "D3DFILL_WIREFRAME"}, {3, "D3DFILL_SOLID"}};
constexpr Named kShade[] = {{1, "D3DSHADE_FLAT"}, {2, "D3DSHADE_GOURAUD"}, {3, "D3DSHADE_PHONG"}};
constexpr Named kCull[] = {{1, "D3DCULL_NONE"}, {2, "D3DCULL_CW"}, {3, "D3DCULL_CCW"}};
constexpr Named kCmp[] = {
    {1, "D3DCMP_NEVER"},   {2, "D3DCMP_LESS"},     {3, "D3DCMP_EQUAL"},
    {4, "D3DCMP_LESSEQUAL"}, {5, "D3DCMP_GREATER"}, {6, "D3DCMP_NOTEQUAL"},
    {7, "D3DCMP_GREATEREQUAL"}, {8, "D3DCMP_ALWAYS"},
};
constexpr Named kBlend[] = {
    {1, "D3DBLEND_ZERO"},          {2, "D3DBLEND_ONE"},
    {3, "D3DBLEND_SRCCOLOR"},      {4, "D3DBLEND_INVSRCCOLOR"},
    {5, "D3DBLEND_SRCALPHA"},      {6, "D3DBLEND_INVSRCALPHA"},
    {7, "D3DBLEND_DESTALPHA"},     {8, "D3DBLEND_INVDESTALPHA"},
    {9, "D3DBLEND_DESTCOLOR"},     {10, "D3DBLEND_INVDESTCOLOR"},
    {11, "D3DBLEND_SRCALPHASAT"},  {12, "D3DBLEND_BOTHSRCALPHA"},
    {13, "D3DBLEND_BOTHINVSRCALPHA"}, {14, "D3DBLEND_BLENDFACTOR"},
    {15, "D3DBLEND_INVBLENDFACTOR"},
};
constexpr Named kBlendOp[] = {
    {1, "D3DBLENDOP_ADD"}, {2, "D3DBLENDOP_SUBTRACT"}, {3, "D3DBLENDOP_REVSUBTRACT"},
    {4, "D3DBLENDOP_MIN"}, {5, "D3DBLENDOP_MAX"},
};
constexpr Named kStencilOp[] = {
    {1, "D3DSTENCILOP_KEEP"},    {2, "D3DSTENCILOP_ZERO"},    {3, "D3DSTENCILOP_REPLACE"},
    {4, "D3DSTENCILOP_INCRSAT"}, {5, "D3DSTENCILOP_DECRSAT"}, {6, "D3DSTENCILOP_INVERT"},
    {7, "D3DSTENCILOP_INCR"},    {8, "D3DSTENCILOP_DECR"},
};
constexpr Named kBool[] = {{0, "FALSE"}, {1, "TRUE"}};

constexpr Named kSamplerStates[] = {
    {1, "D3DSAMP_ADDRESSU"},  {2, "D3DSAMP_ADDRESSV"},  {3, "D3DSAMP_ADDRESSW"},
    {4, "D3DSAMP_BORDERCOLOR"}, {5, "D3DSAMP_MAGFILTER"}, {6, "D3DSAMP_MINFILTER"},
    {7, "D3DSAMP_MIPFILTER"}, {8, "D3DSAMP_MIPMAPLODBIAS"}, {9, "D3DSAMP_MAXMIPLEVEL"},
    {10, "D3DSAMP_MAXANISOTROPY"}, {11, "D3DSAMP_SRGBTEXTURE"},
};
constexpr Named kAddress[] = {
    {1, "D3DTADDRESS_WRAP"},   {2, "D3DTADDRESS_MIRROR"},     {3, "D3DTADDRESS_CLAMP"},
    {4, "D3DTADDRESS_BORDER"}, {5, "D3DTADDRESS_MIRRORONCE"},
};
constexpr Named kFilter[] = {
    {0, "D3DTEXF_NONE"}, {1, "D3DTEXF_POINT"}, {2, "D3DTEXF_LINEAR"}, {3, "D3DTEXF_ANISOTROPIC"},
};

constexpr Named kPrimitives[] = {
    {1, "D3DPT_POINTLIST"},     {2, "D3DPT_LINELIST"},     {3, "D3DPT_LINESTRIP"},
    {4, "D3DPT_TRIANGLELIST"},  {5, "D3DPT_TRIANGLESTRIP"}, {6, "D3DPT_TRIANGLEFAN"},
};
constexpr Named kFormats[] = {
    {0, "D3DFMT_UNKNOWN"},  {20, "D3DFMT_R8G8B8"},     {21, "D3DFMT_A8R8G8B8"},
    {22, "D3DFMT_X8R8G8B8"}, {23, "D3DFMT_R5G6B5"},    {75, "D3DFMT_D24S8"},
    {77, "D3DFMT_D24X8"},   {80, "D3DFMT_D16"},        {101, "D3DFMT_INDEX16"},
    {102, "D3DFMT_INDEX32"},
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

void writeNamed(const char* name, DWORD value, char* out, std::size_t size) {
    if (name) {
        std::snprintf(out, size, "%s", name);
    } else {
        std::snprintf(out, size, "%u", value);
    }
}

}  // namespace

const char* renderStateName(DWORD state) { return lookup(kStates, state); }

void formatRenderStateValue(DWORD state, DWORD value, char* out, std::size_t size) {
    switch (state) {
        case D3DRS_ZENABLE: return writeNamed(lookup(kZBuffer, value), value, out, size);
        case D3DRS_FILLMODE: return writeNamed(lookup(kFill, value), value, out, size);
        case D3DRS_SHADEMODE: return writeNamed(lookup(kShade, value), value, out, size);
        case D3DRS_CULLMODE: return writeNamed(lookup(kCull, value), value, out, size);
        case D3DRS_ZFUNC:
        case D3DRS_ALPHAFUNC:
        case D3DRS_STENCILFUNC: return writeNamed(lookup(kCmp, value), value, out, size);
        case D3DRS_CCW_STENCILFUNC: return writeNamed(lookup(kCmp, value), value, out, size);
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
        case D3DRS_SRCBLENDALPHA:
        case D3DRS_DESTBLENDALPHA: return writeNamed(lookup(kBlend, value), value, out, size);
        case D3DRS_BLENDOP:
        case D3DRS_BLENDOPALPHA: return writeNamed(lookup(kBlendOp, value), value, out, size);
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS:
        case D3DRS_CCW_STENCILFAIL:
        case D3DRS_CCW_STENCILZFAIL:
        case D3DRS_CCW_STENCILPASS: return writeNamed(lookup(kStencilOp, value), value, out, size);
        case D3DRS_MULTISAMPLEANTIALIAS:
        case D3DRS_TWOSIDEDSTENCILMODE:
        case D3DRS_SRGBWRITEENABLE:
        case D3DRS_SEPARATEALPHABLENDENABLE: return writeNamed(lookup(kBool, value), value, out, size);
        case D3DRS_POINTSIZE:
        case D3DRS_POINTSIZE_MIN:
        case D3DRS_POINTSIZE_MAX:
        case D3DRS_SLOPESCALEDEPTHBIAS:
        case D3DRS_DEPTHBIAS: {  // floats in the DWORD's bits
            float f;
            std::memcpy(&f, &value, sizeof f);
            std::snprintf(out, size, "%g", static_cast<double>(f));
            return;
        }
        case D3DRS_CLIPPLANEENABLE:
        case D3DRS_MULTISAMPLEMASK:
        case D3DRS_COLORWRITEENABLE1:
        case D3DRS_COLORWRITEENABLE2:
        case D3DRS_COLORWRITEENABLE3:
        case D3DRS_BLENDFACTOR: std::snprintf(out, size, "0x%x", value); return;
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ALPHATESTENABLE:
        case D3DRS_DITHERENABLE:
        case D3DRS_ALPHABLENDENABLE:
        case D3DRS_STENCILENABLE:
        case 16:    // LASTPIXEL
        case 28:    // FOGENABLE
        case 29:    // SPECULARENABLE
        case 137:   // LIGHTING
        case 174:   // SCISSORTESTENABLE
            return writeNamed(lookup(kBool, value), value, out, size);
        case D3DRS_STENCILMASK:
        case D3DRS_STENCILWRITEMASK:
        case D3DRS_COLORWRITEENABLE: std::snprintf(out, size, "0x%x", value); return;
        default: std::snprintf(out, size, "%u", value); return;
    }
}

const char* samplerStateName(DWORD type) { return lookup(kSamplerStates, type); }

void formatSamplerStateValue(DWORD type, DWORD value, char* out, std::size_t size) {
    switch (type) {
        case D3DSAMP_ADDRESSU:
        case D3DSAMP_ADDRESSV:
        case D3DSAMP_ADDRESSW: return writeNamed(lookup(kAddress, value), value, out, size);
        case D3DSAMP_MAGFILTER:
        case D3DSAMP_MINFILTER:
        case D3DSAMP_MIPFILTER: return writeNamed(lookup(kFilter, value), value, out, size);
        case D3DSAMP_BORDERCOLOR: std::snprintf(out, size, "0x%08x", value); return;
        case D3DSAMP_MIPMAPLODBIAS: {
            float f;
            std::memcpy(&f, &value, sizeof f);
            std::snprintf(out, size, "%g", static_cast<double>(f));
            return;
        }
        case D3DSAMP_SRGBTEXTURE: return writeNamed(lookup(kBool, value), value, out, size);
        default: std::snprintf(out, size, "%u", value); return;
    }
}

const char* primitiveTypeName(DWORD type) { return lookup(kPrimitives, type); }
const char* formatName(DWORD format) { return lookup(kFormats, format); }
const char* poolName(DWORD pool) { return lookup(kPools, pool); }
const char* declTypeName(BYTE type) { return lookup(kDeclTypes, type); }
const char* declUsageName(BYTE usage) { return lookup(kDeclUsages, usage); }

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
