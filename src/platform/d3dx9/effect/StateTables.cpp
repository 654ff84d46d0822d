#include "platform/d3dx9/effect/StateTables.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace fx {
namespace {

const StateInfo kRenderStates[] = {
    {"ZEnable", D3DRS_ZENABLE, StateValueKind::ZBuffer},
    {"FillMode", D3DRS_FILLMODE, StateValueKind::Fill},
    {"ZWriteEnable", D3DRS_ZWRITEENABLE, StateValueKind::Bool},
    {"AlphaTestEnable", D3DRS_ALPHATESTENABLE, StateValueKind::Bool},
    {"SrcBlend", D3DRS_SRCBLEND, StateValueKind::Blend},
    {"DestBlend", D3DRS_DESTBLEND, StateValueKind::Blend},
    {"CullMode", D3DRS_CULLMODE, StateValueKind::Cull},
    {"ZFunc", D3DRS_ZFUNC, StateValueKind::Compare},
    {"AlphaRef", D3DRS_ALPHAREF, StateValueKind::Number},
    {"AlphaFunc", D3DRS_ALPHAFUNC, StateValueKind::Compare},
    {"DitherEnable", D3DRS_DITHERENABLE, StateValueKind::Bool},
    {"AlphaBlendEnable", D3DRS_ALPHABLENDENABLE, StateValueKind::Bool},
    {"StencilEnable", D3DRS_STENCILENABLE, StateValueKind::Bool},
    {"StencilFail", D3DRS_STENCILFAIL, StateValueKind::StencilOp},
    {"StencilZFail", D3DRS_STENCILZFAIL, StateValueKind::StencilOp},
    {"StencilPass", D3DRS_STENCILPASS, StateValueKind::StencilOp},
    {"StencilFunc", D3DRS_STENCILFUNC, StateValueKind::Compare},
    {"StencilRef", D3DRS_STENCILREF, StateValueKind::Number},
    {"StencilMask", D3DRS_STENCILMASK, StateValueKind::Number},
    {"StencilWriteMask", D3DRS_STENCILWRITEMASK, StateValueKind::Number},
    {"ColorWriteEnable", D3DRS_COLORWRITEENABLE, StateValueKind::ColorMask},
    {"BlendOp", D3DRS_BLENDOP, StateValueKind::BlendOp},
    {"DepthBias", D3DRS_DEPTHBIAS, StateValueKind::Float},
    {"SlopeScaleDepthBias", D3DRS_SLOPESCALEDEPTHBIAS, StateValueKind::Float},
    {"ScissorTestEnable", D3DRS_SCISSORTESTENABLE, StateValueKind::Bool},
    {"ColorWriteEnable1", D3DRS_COLORWRITEENABLE1, StateValueKind::ColorMask},
    {"ColorWriteEnable2", D3DRS_COLORWRITEENABLE2, StateValueKind::ColorMask},
    {"ColorWriteEnable3", D3DRS_COLORWRITEENABLE3, StateValueKind::ColorMask},
    {"TwoSidedStencilMode", D3DRS_TWOSIDEDSTENCILMODE, StateValueKind::Bool},
    {"CCW_StencilFail", D3DRS_CCW_STENCILFAIL, StateValueKind::StencilOp},
    {"CCW_StencilZFail", D3DRS_CCW_STENCILZFAIL, StateValueKind::StencilOp},
    {"CCW_StencilPass", D3DRS_CCW_STENCILPASS, StateValueKind::StencilOp},
    {"CCW_StencilFunc", D3DRS_CCW_STENCILFUNC, StateValueKind::Compare},
    {"SeparateAlphaBlendEnable", D3DRS_SEPARATEALPHABLENDENABLE, StateValueKind::Bool},
    {"SrcBlendAlpha", D3DRS_SRCBLENDALPHA, StateValueKind::Blend},
    {"DestBlendAlpha", D3DRS_DESTBLENDALPHA, StateValueKind::Blend},
    {"BlendOpAlpha", D3DRS_BLENDOPALPHA, StateValueKind::BlendOp},
    {"BlendFactor", D3DRS_BLENDFACTOR, StateValueKind::Color},
    {"SRGBWriteEnable", D3DRS_SRGBWRITEENABLE, StateValueKind::Bool},
    {"PointSize", D3DRS_POINTSIZE, StateValueKind::Float},
    {"PointSize_Min", D3DRS_POINTSIZE_MIN, StateValueKind::Float},
    {"PointSize_Max", D3DRS_POINTSIZE_MAX, StateValueKind::Float},
    {"MultiSampleAntialias", D3DRS_MULTISAMPLEANTIALIAS, StateValueKind::Bool},
    {"MultiSampleMask", D3DRS_MULTISAMPLEMASK, StateValueKind::Number},
    {"ClipPlaneEnable", D3DRS_CLIPPLANEENABLE, StateValueKind::Number},
};

const StateInfo kSamplerStates[] = {
    {"AddressU", D3DSAMP_ADDRESSU, StateValueKind::Address},
    {"AddressV", D3DSAMP_ADDRESSV, StateValueKind::Address},
    {"AddressW", D3DSAMP_ADDRESSW, StateValueKind::Address},
    {"BorderColor", D3DSAMP_BORDERCOLOR, StateValueKind::Color},
    {"MagFilter", D3DSAMP_MAGFILTER, StateValueKind::Filter},
    {"MinFilter", D3DSAMP_MINFILTER, StateValueKind::Filter},
    {"MipFilter", D3DSAMP_MIPFILTER, StateValueKind::Filter},
    {"MaxAnisotropy", D3DSAMP_MAXANISOTROPY, StateValueKind::Number},
    {"MipMapLodBias", D3DSAMP_MIPMAPLODBIAS, StateValueKind::Float},
    {"MaxMipLevel", D3DSAMP_MAXMIPLEVEL, StateValueKind::Number},
    {"SRGBTexture", D3DSAMP_SRGBTEXTURE, StateValueKind::Bool},
};

const NamedValue kBool[] = {{"TRUE", 1}, {"FALSE", 0}};
const NamedValue kZBuffer[] = {{"TRUE", D3DZB_TRUE}, {"FALSE", D3DZB_FALSE}, {"USEW", D3DZB_USEW}};
const NamedValue kFill[] = {{"POINT", D3DFILL_POINT}, {"WIREFRAME", D3DFILL_WIREFRAME},
                            {"SOLID", D3DFILL_SOLID}};
const NamedValue kBlend[] = {
    {"ZERO", D3DBLEND_ZERO},           {"ONE", D3DBLEND_ONE},
    {"SRCCOLOR", D3DBLEND_SRCCOLOR},   {"INVSRCCOLOR", D3DBLEND_INVSRCCOLOR},
    {"SRCALPHA", D3DBLEND_SRCALPHA},   {"INVSRCALPHA", D3DBLEND_INVSRCALPHA},
    {"DESTALPHA", D3DBLEND_DESTALPHA}, {"INVDESTALPHA", D3DBLEND_INVDESTALPHA},
    {"DESTCOLOR", D3DBLEND_DESTCOLOR}, {"INVDESTCOLOR", D3DBLEND_INVDESTCOLOR},
    {"SRCALPHASAT", D3DBLEND_SRCALPHASAT}, {"BOTHSRCALPHA", D3DBLEND_BOTHSRCALPHA},
    {"BOTHINVSRCALPHA", D3DBLEND_BOTHINVSRCALPHA}, {"BLENDFACTOR", D3DBLEND_BLENDFACTOR},
    {"INVBLENDFACTOR", D3DBLEND_INVBLENDFACTOR}};
const NamedValue kBlendOp[] = {{"ADD", D3DBLENDOP_ADD}, {"SUBTRACT", D3DBLENDOP_SUBTRACT},
                               {"REVSUBTRACT", D3DBLENDOP_REVSUBTRACT}, {"MIN", D3DBLENDOP_MIN},
                               {"MAX", D3DBLENDOP_MAX}};
const NamedValue kCull[] = {{"NONE", D3DCULL_NONE}, {"CW", D3DCULL_CW}, {"CCW", D3DCULL_CCW}};
const NamedValue kCompare[] = {{"NEVER", D3DCMP_NEVER},       {"LESS", D3DCMP_LESS},
                               {"EQUAL", D3DCMP_EQUAL},       {"LESSEQUAL", D3DCMP_LESSEQUAL},
                               {"GREATER", D3DCMP_GREATER},   {"NOTEQUAL", D3DCMP_NOTEQUAL},
                               {"GREATEREQUAL", D3DCMP_GREATEREQUAL}, {"ALWAYS", D3DCMP_ALWAYS}};
const NamedValue kStencilOp[] = {{"KEEP", D3DSTENCILOP_KEEP},       {"ZERO", D3DSTENCILOP_ZERO},
                                 {"REPLACE", D3DSTENCILOP_REPLACE}, {"INCRSAT", D3DSTENCILOP_INCRSAT},
                                 {"DECRSAT", D3DSTENCILOP_DECRSAT}, {"INVERT", D3DSTENCILOP_INVERT},
                                 {"INCR", D3DSTENCILOP_INCR},       {"DECR", D3DSTENCILOP_DECR}};
const NamedValue kColorMask[] = {{"RED", D3DCOLORWRITEENABLE_RED},
                                 {"GREEN", D3DCOLORWRITEENABLE_GREEN},
                                 {"BLUE", D3DCOLORWRITEENABLE_BLUE},
                                 {"ALPHA", D3DCOLORWRITEENABLE_ALPHA}};
const NamedValue kFilter[] = {{"NONE", D3DTEXF_NONE}, {"POINT", D3DTEXF_POINT},
                              {"LINEAR", D3DTEXF_LINEAR}, {"ANISOTROPIC", D3DTEXF_ANISOTROPIC}};
const NamedValue kAddress[] = {{"WRAP", D3DTADDRESS_WRAP}, {"MIRROR", D3DTADDRESS_MIRROR},
                               {"CLAMP", D3DTADDRESS_CLAMP}, {"BORDER", D3DTADDRESS_BORDER},
                               {"MIRRORONCE", D3DTADDRESS_MIRRORONCE}};

template <std::size_t N>
const char* nameOf(const NamedValue (&table)[N], DWORD value) {
    for (const NamedValue& v : table)
        if (v.value == value) return v.name;
    return nullptr;
}

}  // namespace

std::string stateValueName(StateValueKind kind, DWORD value) {
    const char* name = nullptr;
    switch (kind) {
        case StateValueKind::Bool: name = nameOf(kBool, value); break;
        case StateValueKind::ZBuffer: name = nameOf(kZBuffer, value); break;
        case StateValueKind::Fill: name = nameOf(kFill, value); break;
        case StateValueKind::Blend: name = nameOf(kBlend, value); break;
        case StateValueKind::BlendOp: name = nameOf(kBlendOp, value); break;
        case StateValueKind::Cull: name = nameOf(kCull, value); break;
        case StateValueKind::Compare: name = nameOf(kCompare, value); break;
        case StateValueKind::StencilOp: name = nameOf(kStencilOp, value); break;
        case StateValueKind::Filter: name = nameOf(kFilter, value); break;
        case StateValueKind::Address: name = nameOf(kAddress, value); break;
        case StateValueKind::ColorMask: {
            // a mask of channels: their names joined; any bit without one keeps the number
            std::string out;
            DWORD rest = value;
            for (const NamedValue& v : kColorMask)
                if (value & v.value) {
                    out += (out.empty() ? "" : " | ") + std::string(v.name);
                    rest &= ~v.value;
                }
            if (rest == 0) return out.empty() ? "0" : out;
            break;
        }
        case StateValueKind::Float: {
            float f;
            std::memcpy(&f, &value, sizeof f);
            char text[32];
            std::snprintf(text, sizeof text, "%g", static_cast<double>(f));
            return text;
        }
        case StateValueKind::Color: {
            char text[16];
            std::snprintf(text, sizeof text, "0x%08x", value);
            return text;
        }
        case StateValueKind::Number: break;
    }
    return name ? name : std::to_string(value);
}

bool equalsIgnoreCase(const std::string& a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const StateInfo* findRenderState(const std::string& name) {
    std::string n = name;
    if (n.size() > 6 && equalsIgnoreCase(n.substr(0, 6), "D3DRS_")) n = n.substr(6);
    for (const StateInfo& s : kRenderStates)
        if (equalsIgnoreCase(n, s.name)) return &s;
    return nullptr;
}

const StateInfo* renderStateById(DWORD id) {
    for (const StateInfo& s : kRenderStates)
        if (s.id == id) return &s;
    return nullptr;
}

const StateInfo* findSamplerState(const std::string& name) {
    for (const StateInfo& s : kSamplerStates)
        if (equalsIgnoreCase(name, s.name)) return &s;
    return nullptr;
}

bool stateValue(StateValueKind kind, const std::string& word, DWORD& value) {
    switch (kind) {
        case StateValueKind::Bool: return lookUp(kBool, word, "", value);
        case StateValueKind::ZBuffer: return lookUp(kZBuffer, word, "D3DZB_", value);
        case StateValueKind::Fill: return lookUp(kFill, word, "D3DFILL_", value);
        case StateValueKind::Blend: return lookUp(kBlend, word, "D3DBLEND_", value);
        case StateValueKind::BlendOp: return lookUp(kBlendOp, word, "D3DBLENDOP_", value);
        case StateValueKind::Cull: return lookUp(kCull, word, "D3DCULL_", value);
        case StateValueKind::Compare: return lookUp(kCompare, word, "D3DCMP_", value);
        case StateValueKind::StencilOp: return lookUp(kStencilOp, word, "D3DSTENCILOP_", value);
        case StateValueKind::ColorMask: return lookUp(kColorMask, word, "D3DCOLORWRITEENABLE_", value);
        case StateValueKind::Filter: return lookUp(kFilter, word, "D3DTEXF_", value);
        case StateValueKind::Address: return lookUp(kAddress, word, "D3DTADDRESS_", value);
        case StateValueKind::Number:
        case StateValueKind::Color: return lookUp(kBool, word, "", value);
        case StateValueKind::Float:
            if (!lookUp(kBool, word, "", value)) return false;
            value = value ? 0x3f800000u : 0u;  // true is 1.0
            return true;
    }
    return false;
}

bool lookUpName(const NamedValue* table, std::size_t count, const std::string& word, const char* prefix, DWORD& value) {
    std::string w = word;
    std::size_t n = std::strlen(prefix);
    if (n && w.size() > n && equalsIgnoreCase(w.substr(0, n), prefix)) w = w.substr(n);
    for (std::size_t i = 0; i < count; ++i)
        if (equalsIgnoreCase(w, table[i].name)) {
            value = table[i].value;
            return true;
        }
    return false;
}

}  // namespace fx
