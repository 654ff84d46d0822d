// The D3D names of the values states take, and a state's value as the trace writes it.
#include <cstdio>
#include <cstring>

#include "platform/d3d9/StateTable.h"

namespace d3d9::detail {
namespace {

using K = ValueKind;

constexpr NamedValue kBool[] = {{0, "FALSE"}, {1, "TRUE"}};
constexpr NamedValue kZBuffer[] = {{0, "D3DZB_FALSE"}, {1, "D3DZB_TRUE"}, {2, "D3DZB_USEW"}};
constexpr NamedValue kFill[] = {{1, "D3DFILL_POINT"}, {2, "D3DFILL_WIREFRAME"}, {3, "D3DFILL_SOLID"}};
constexpr NamedValue kShade[] = {{1, "D3DSHADE_FLAT"}, {2, "D3DSHADE_GOURAUD"}, {3, "D3DSHADE_PHONG"}};
constexpr NamedValue kCull[] = {{1, "D3DCULL_NONE"}, {2, "D3DCULL_CW"}, {3, "D3DCULL_CCW"}};
constexpr NamedValue kCompare[] = {
    {1, "D3DCMP_NEVER"},   {2, "D3DCMP_LESS"},     {3, "D3DCMP_EQUAL"},
    {4, "D3DCMP_LESSEQUAL"}, {5, "D3DCMP_GREATER"}, {6, "D3DCMP_NOTEQUAL"},
    {7, "D3DCMP_GREATEREQUAL"}, {8, "D3DCMP_ALWAYS"},
};
constexpr NamedValue kBlend[] = {
    {1, "D3DBLEND_ZERO"},          {2, "D3DBLEND_ONE"},
    {3, "D3DBLEND_SRCCOLOR"},      {4, "D3DBLEND_INVSRCCOLOR"},
    {5, "D3DBLEND_SRCALPHA"},      {6, "D3DBLEND_INVSRCALPHA"},
    {7, "D3DBLEND_DESTALPHA"},     {8, "D3DBLEND_INVDESTALPHA"},
    {9, "D3DBLEND_DESTCOLOR"},     {10, "D3DBLEND_INVDESTCOLOR"},
    {11, "D3DBLEND_SRCALPHASAT"},  {12, "D3DBLEND_BOTHSRCALPHA"},
    {13, "D3DBLEND_BOTHINVSRCALPHA"}, {14, "D3DBLEND_BLENDFACTOR"},
    {15, "D3DBLEND_INVBLENDFACTOR"},
};
constexpr NamedValue kBlendOp[] = {
    {1, "D3DBLENDOP_ADD"}, {2, "D3DBLENDOP_SUBTRACT"}, {3, "D3DBLENDOP_REVSUBTRACT"},
    {4, "D3DBLENDOP_MIN"}, {5, "D3DBLENDOP_MAX"},
};
constexpr NamedValue kStencilOp[] = {
    {1, "D3DSTENCILOP_KEEP"},    {2, "D3DSTENCILOP_ZERO"},    {3, "D3DSTENCILOP_REPLACE"},
    {4, "D3DSTENCILOP_INCRSAT"}, {5, "D3DSTENCILOP_DECRSAT"}, {6, "D3DSTENCILOP_INVERT"},
    {7, "D3DSTENCILOP_INCR"},    {8, "D3DSTENCILOP_DECR"},
};
constexpr NamedValue kColorMask[] = {
    {1, "D3DCOLORWRITEENABLE_RED"}, {2, "D3DCOLORWRITEENABLE_GREEN"},
    {4, "D3DCOLORWRITEENABLE_BLUE"}, {8, "D3DCOLORWRITEENABLE_ALPHA"},
};
constexpr NamedValue kFilter[] = {
    {0, "D3DTEXF_NONE"}, {1, "D3DTEXF_POINT"}, {2, "D3DTEXF_LINEAR"}, {3, "D3DTEXF_ANISOTROPIC"},
};
constexpr NamedValue kAddress[] = {
    {1, "D3DTADDRESS_WRAP"},   {2, "D3DTADDRESS_MIRROR"},     {3, "D3DTADDRESS_CLAMP"},
    {4, "D3DTADDRESS_BORDER"}, {5, "D3DTADDRESS_MIRRORONCE"},
};
constexpr NamedValue kFogMode[] = {
    {0, "D3DFOG_NONE"}, {1, "D3DFOG_EXP"}, {2, "D3DFOG_EXP2"}, {3, "D3DFOG_LINEAR"},
};
constexpr NamedValue kMaterialSource[] = {
    {0, "D3DMCS_MATERIAL"}, {1, "D3DMCS_COLOR1"}, {2, "D3DMCS_COLOR2"},
};
constexpr NamedValue kTextureOp[] = {
    {1, "D3DTOP_DISABLE"}, {2, "D3DTOP_SELECTARG1"}, {3, "D3DTOP_SELECTARG2"},
    {4, "D3DTOP_MODULATE"}, {5, "D3DTOP_MODULATE2X"}, {6, "D3DTOP_MODULATE4X"},
    {7, "D3DTOP_ADD"}, {8, "D3DTOP_ADDSIGNED"}, {9, "D3DTOP_ADDSIGNED2X"},
    {10, "D3DTOP_SUBTRACT"}, {11, "D3DTOP_ADDSMOOTH"}, {12, "D3DTOP_BLENDDIFFUSEALPHA"},
    {13, "D3DTOP_BLENDTEXTUREALPHA"}, {14, "D3DTOP_BLENDFACTORALPHA"},
    {15, "D3DTOP_BLENDTEXTUREALPHAPM"}, {16, "D3DTOP_BLENDCURRENTALPHA"},
    {17, "D3DTOP_PREMODULATE"}, {18, "D3DTOP_MODULATEALPHA_ADDCOLOR"},
    {19, "D3DTOP_MODULATECOLOR_ADDALPHA"}, {20, "D3DTOP_MODULATEINVALPHA_ADDCOLOR"},
    {21, "D3DTOP_MODULATEINVCOLOR_ADDALPHA"}, {22, "D3DTOP_BUMPENVMAP"},
    {23, "D3DTOP_BUMPENVMAPLUMINANCE"}, {24, "D3DTOP_DOTPRODUCT3"}, {25, "D3DTOP_MULTIPLYADD"},
    {26, "D3DTOP_LERP"},
};
// The sources; the modifiers are bits above them.
constexpr NamedValue kTextureArg[] = {
    {0, "D3DTA_DIFFUSE"}, {1, "D3DTA_CURRENT"}, {2, "D3DTA_TEXTURE"}, {3, "D3DTA_TFACTOR"},
    {4, "D3DTA_SPECULAR"}, {5, "D3DTA_TEMP"}, {6, "D3DTA_CONSTANT"},
    {D3DTA_COMPLEMENT, "D3DTA_COMPLEMENT"}, {D3DTA_ALPHAREPLICATE, "D3DTA_ALPHAREPLICATE"},
};
constexpr NamedValue kTexCoordIndex[] = {
    {D3DTSS_TCI_PASSTHRU, "D3DTSS_TCI_PASSTHRU"},
    {D3DTSS_TCI_CAMERASPACENORMAL, "D3DTSS_TCI_CAMERASPACENORMAL"},
    {D3DTSS_TCI_CAMERASPACEPOSITION, "D3DTSS_TCI_CAMERASPACEPOSITION"},
    {D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, "D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR"},
    {D3DTSS_TCI_SPHEREMAP, "D3DTSS_TCI_SPHEREMAP"},
};
constexpr NamedValue kTransformFlags[] = {
    {D3DTTFF_DISABLE, "D3DTTFF_DISABLE"}, {D3DTTFF_COUNT1, "D3DTTFF_COUNT1"},
    {D3DTTFF_COUNT2, "D3DTTFF_COUNT2"},   {D3DTTFF_COUNT3, "D3DTTFF_COUNT3"},
    {D3DTTFF_COUNT4, "D3DTTFF_COUNT4"},   {D3DTTFF_PROJECTED, "D3DTTFF_PROJECTED"},
};

struct KindNames {
    ValueKind kind;
    const char* prefix;
    std::span<const NamedValue> names;
};
constexpr KindNames kKinds[] = {
    {K::Bool, "", kBool},
    {K::ZBuffer, "D3DZB_", kZBuffer},
    {K::Fill, "D3DFILL_", kFill},
    {K::Shade, "D3DSHADE_", kShade},
    {K::Cull, "D3DCULL_", kCull},
    {K::Compare, "D3DCMP_", kCompare},
    {K::Blend, "D3DBLEND_", kBlend},
    {K::BlendOp, "D3DBLENDOP_", kBlendOp},
    {K::StencilOp, "D3DSTENCILOP_", kStencilOp},
    {K::ColorMask, "D3DCOLORWRITEENABLE_", kColorMask},
    {K::Filter, "D3DTEXF_", kFilter},
    {K::Address, "D3DTADDRESS_", kAddress},
    {K::FogMode, "D3DFOG_", kFogMode},
    {K::MaterialSource, "D3DMCS_", kMaterialSource},
    {K::TextureOp, "D3DTOP_", kTextureOp},
    {K::TextureArg, "D3DTA_", kTextureArg},
    {K::TexCoordIndex, "D3DTSS_TCI_", kTexCoordIndex},
    {K::TransformFlags, "D3DTTFF_", kTransformFlags},
};

const KindNames* kindNames(ValueKind kind) {
    for (const KindNames& k : kKinds)
        if (k.kind == kind) return &k;
    return nullptr;
}

// A stage argument: its source by name, then the modifier bits.
bool formatTextureArg(DWORD value, char* out, std::size_t size) {
    const DWORD modifiers = D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE;
    const char* name = (value & D3DTA_SELECTMASK) <= 6 ? kTextureArg[value & D3DTA_SELECTMASK].name : nullptr;
    if (!name || (value & ~(D3DTA_SELECTMASK | modifiers))) return false;
    std::snprintf(out, size, "%s%s%s", name, (value & D3DTA_COMPLEMENT) ? "|D3DTA_COMPLEMENT" : "",
                  (value & D3DTA_ALPHAREPLICATE) ? "|D3DTA_ALPHAREPLICATE" : "");
    return true;
}

}  // namespace

std::span<const NamedValue> valueNames(ValueKind kind) {
    const KindNames* k = kindNames(kind);
    return k ? k->names : std::span<const NamedValue>{};
}

const char* valuePrefix(ValueKind kind) {
    const KindNames* k = kindNames(kind);
    return k ? k->prefix : "";
}

const char* valueName(ValueKind kind, DWORD value) {
    for (const NamedValue& v : valueNames(kind))
        if (v.value == value) return v.name;
    return nullptr;
}

void formatStateValue(const StateRow* row, DWORD value, char* out, std::size_t size) {
    const ValueKind kind = row ? row->kind : K::Number;
    switch (kind) {
        case K::Float: {  // floats in the DWORD's bits; stage floats keep every digit
            float f;
            std::memcpy(&f, &value, sizeof f);
            std::snprintf(out, size, row->group == StateGroup::Stage ? "%.9g" : "%g", static_cast<double>(f));
            return;
        }
        case K::Mask:
        case K::Color:
        case K::ColorMask:
        case K::TexCoordIndex:  // a coordinate set with generation flags above it
        case K::TransformFlags: std::snprintf(out, size, "0x%x", value); return;
        case K::TextureArg:
            if (formatTextureArg(value, out, size)) return;
            break;
        default:
            if (const char* name = valueName(kind, value)) {
                std::snprintf(out, size, "%s", name);
                return;
            }
            break;
    }
    std::snprintf(out, size, "%u", value);
}

}  // namespace d3d9::detail
