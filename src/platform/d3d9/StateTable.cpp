#include "platform/d3d9/StateTable.h"

#include <cstdio>

namespace d3d9::detail {
namespace {

using G = StateGroup;
using K = ValueKind;
using R = DefaultRule;

constexpr DWORD kOne = 0x3f800000u;  // 1.0f as bits
constexpr DWORD kAll = 0xFFFFFFFFu;
constexpr bool kFixedFunction = true;

// A null effect name: effects accept the state but leave it to the device's defaults
// (TechniqueParser.cpp lists those names), or set it another way.
constexpr StateRow kRows[] = {
    {G::Render, 7, "D3DRS_ZENABLE", "ZEnable", K::ZBuffer, 0, R::AutoDepth},
    {G::Render, 8, "D3DRS_FILLMODE", "FillMode", K::Fill, 3},
    {G::Render, 9, "D3DRS_SHADEMODE", nullptr, K::Shade, 2},
    {G::Render, 14, "D3DRS_ZWRITEENABLE", "ZWriteEnable", K::Bool, 1},
    {G::Render, 15, "D3DRS_ALPHATESTENABLE", "AlphaTestEnable", K::Bool, 0},
    {G::Render, 16, "D3DRS_LASTPIXEL", nullptr, K::Bool, 1},
    {G::Render, 19, "D3DRS_SRCBLEND", "SrcBlend", K::Blend, 2},
    {G::Render, 20, "D3DRS_DESTBLEND", "DestBlend", K::Blend, 1},
    {G::Render, 22, "D3DRS_CULLMODE", "CullMode", K::Cull, 3},
    {G::Render, 23, "D3DRS_ZFUNC", "ZFunc", K::Compare, 4},
    {G::Render, 24, "D3DRS_ALPHAREF", "AlphaRef", K::Number, 0},
    {G::Render, 25, "D3DRS_ALPHAFUNC", "AlphaFunc", K::Compare, 8},
    {G::Render, 26, "D3DRS_DITHERENABLE", "DitherEnable", K::Bool, 0},
    {G::Render, 27, "D3DRS_ALPHABLENDENABLE", "AlphaBlendEnable", K::Bool, 0},
    {G::Render, 28, "D3DRS_FOGENABLE", "FogEnable", K::Bool, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 29, "D3DRS_SPECULARENABLE", "SpecularEnable", K::Bool, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 34, "D3DRS_FOGCOLOR", "FogColor", K::Color, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 35, "D3DRS_FOGTABLEMODE", "FogTableMode", K::FogMode, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 36, "D3DRS_FOGSTART", "FogStart", K::Float, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 37, "D3DRS_FOGEND", "FogEnd", K::Float, kOne, R::Fixed, 1, kFixedFunction},
    {G::Render, 38, "D3DRS_FOGDENSITY", "FogDensity", K::Float, kOne, R::Fixed, 1, kFixedFunction},
    {G::Render, 48, "D3DRS_RANGEFOGENABLE", "RangeFogEnable", K::Bool, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 52, "D3DRS_STENCILENABLE", "StencilEnable", K::Bool, 0},
    {G::Render, 53, "D3DRS_STENCILFAIL", "StencilFail", K::StencilOp, 1},
    {G::Render, 54, "D3DRS_STENCILZFAIL", "StencilZFail", K::StencilOp, 1},
    {G::Render, 55, "D3DRS_STENCILPASS", "StencilPass", K::StencilOp, 1},
    {G::Render, 56, "D3DRS_STENCILFUNC", "StencilFunc", K::Compare, 8},
    {G::Render, 57, "D3DRS_STENCILREF", "StencilRef", K::Number, 0},
    {G::Render, 58, "D3DRS_STENCILMASK", "StencilMask", K::Mask, kAll},
    {G::Render, 59, "D3DRS_STENCILWRITEMASK", "StencilWriteMask", K::Mask, kAll},
    {G::Render, 60, "D3DRS_TEXTUREFACTOR", "TextureFactor", K::Color, kAll, R::Fixed, 1, kFixedFunction},
    {G::Render, 137, "D3DRS_LIGHTING", "Lighting", K::Bool, 1, R::Fixed, 1, kFixedFunction},
    {G::Render, 139, "D3DRS_AMBIENT", "Ambient", K::Color, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 140, "D3DRS_FOGVERTEXMODE", "FogVertexMode", K::FogMode, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 141, "D3DRS_COLORVERTEX", "ColorVertex", K::Bool, 1, R::Fixed, 1, kFixedFunction},
    {G::Render, 142, "D3DRS_LOCALVIEWER", "LocalViewer", K::Bool, 1, R::Fixed, 1, kFixedFunction},
    {G::Render, 143, "D3DRS_NORMALIZENORMALS", "NormalizeNormals", K::Bool, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 145, "D3DRS_DIFFUSEMATERIALSOURCE", "DiffuseMaterialSource", K::MaterialSource, 1, R::Fixed, 1, kFixedFunction},
    {G::Render, 146, "D3DRS_SPECULARMATERIALSOURCE", "SpecularMaterialSource", K::MaterialSource, 2, R::Fixed, 1, kFixedFunction},
    {G::Render, 147, "D3DRS_AMBIENTMATERIALSOURCE", "AmbientMaterialSource", K::MaterialSource, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 148, "D3DRS_EMISSIVEMATERIALSOURCE", "EmissiveMaterialSource", K::MaterialSource, 0, R::Fixed, 1, kFixedFunction},
    {G::Render, 152, "D3DRS_CLIPPLANEENABLE", "ClipPlaneEnable", K::Mask, 0},
    {G::Render, 154, "D3DRS_POINTSIZE", "PointSize", K::Float, kOne},
    {G::Render, 155, "D3DRS_POINTSIZE_MIN", "PointSize_Min", K::Float, kOne},
    {G::Render, 161, "D3DRS_MULTISAMPLEANTIALIAS", "MultiSampleAntialias", K::Bool, 1},
    {G::Render, 162, "D3DRS_MULTISAMPLEMASK", "MultiSampleMask", K::Mask, kAll},
    {G::Render, 166, "D3DRS_POINTSIZE_MAX", "PointSize_Max", K::Float, 0x42800000u},  // 64.0f
    {G::Render, 168, "D3DRS_COLORWRITEENABLE", "ColorWriteEnable", K::ColorMask, 0xF},
    {G::Render, 171, "D3DRS_BLENDOP", "BlendOp", K::BlendOp, 1},
    {G::Render, 174, "D3DRS_SCISSORTESTENABLE", "ScissorTestEnable", K::Bool, 0},
    {G::Render, 175, "D3DRS_SLOPESCALEDEPTHBIAS", "SlopeScaleDepthBias", K::Float, 0},
    {G::Render, 185, "D3DRS_TWOSIDEDSTENCILMODE", "TwoSidedStencilMode", K::Bool, 0},
    {G::Render, 186, "D3DRS_CCW_STENCILFAIL", "CCW_StencilFail", K::StencilOp, 1},
    {G::Render, 187, "D3DRS_CCW_STENCILZFAIL", "CCW_StencilZFail", K::StencilOp, 1},
    {G::Render, 188, "D3DRS_CCW_STENCILPASS", "CCW_StencilPass", K::StencilOp, 1},
    {G::Render, 189, "D3DRS_CCW_STENCILFUNC", "CCW_StencilFunc", K::Compare, 8},
    {G::Render, 190, "D3DRS_COLORWRITEENABLE1", "ColorWriteEnable1", K::ColorMask, 0xF},
    {G::Render, 191, "D3DRS_COLORWRITEENABLE2", "ColorWriteEnable2", K::ColorMask, 0xF},
    {G::Render, 192, "D3DRS_COLORWRITEENABLE3", "ColorWriteEnable3", K::ColorMask, 0xF},
    {G::Render, 193, "D3DRS_BLENDFACTOR", "BlendFactor", K::Color, kAll},
    {G::Render, 194, "D3DRS_SRGBWRITEENABLE", "SRGBWriteEnable", K::Bool, 0},
    {G::Render, 195, "D3DRS_DEPTHBIAS", "DepthBias", K::Float, 0},
    {G::Render, 206, "D3DRS_SEPARATEALPHABLENDENABLE", "SeparateAlphaBlendEnable", K::Bool, 0},
    {G::Render, 207, "D3DRS_SRCBLENDALPHA", "SrcBlendAlpha", K::Blend, 2},
    {G::Render, 208, "D3DRS_DESTBLENDALPHA", "DestBlendAlpha", K::Blend, 1},
    {G::Render, 209, "D3DRS_BLENDOPALPHA", "BlendOpAlpha", K::BlendOp, 1},

    {G::Sampler, 1, "D3DSAMP_ADDRESSU", "AddressU", K::Address, 1},
    {G::Sampler, 2, "D3DSAMP_ADDRESSV", "AddressV", K::Address, 1},
    {G::Sampler, 3, "D3DSAMP_ADDRESSW", "AddressW", K::Address, 1},
    {G::Sampler, 4, "D3DSAMP_BORDERCOLOR", "BorderColor", K::Color, 0},
    {G::Sampler, 5, "D3DSAMP_MAGFILTER", "MagFilter", K::Filter, 1},
    {G::Sampler, 6, "D3DSAMP_MINFILTER", "MinFilter", K::Filter, 1},
    {G::Sampler, 7, "D3DSAMP_MIPFILTER", "MipFilter", K::Filter, 0},
    {G::Sampler, 8, "D3DSAMP_MIPMAPLODBIAS", "MipMapLodBias", K::Float, 0},
    {G::Sampler, 9, "D3DSAMP_MAXMIPLEVEL", "MaxMipLevel", K::Number, 0},
    {G::Sampler, 10, "D3DSAMP_MAXANISOTROPY", "MaxAnisotropy", K::Number, 1},
    {G::Sampler, 11, "D3DSAMP_SRGBTEXTURE", "SRGBTexture", K::Bool, 0},
    {G::Sampler, 12, "D3DSAMP_ELEMENTINDEX", nullptr, K::Number, 0},
    {G::Sampler, 13, "D3DSAMP_DMAPOFFSET", nullptr, K::Number, 0},

    {G::Stage, 1, "D3DTSS_COLOROP", "ColorOp", K::TextureOp, 4, R::FirstStageOnly},  // MODULATE
    {G::Stage, 2, "D3DTSS_COLORARG1", "ColorArg1", K::TextureArg, 2},  // TEXTURE
    {G::Stage, 3, "D3DTSS_COLORARG2", "ColorArg2", K::TextureArg, 1},  // CURRENT
    {G::Stage, 4, "D3DTSS_ALPHAOP", "AlphaOp", K::TextureOp, 2, R::FirstStageOnly},  // SELECTARG1
    {G::Stage, 5, "D3DTSS_ALPHAARG1", "AlphaArg1", K::TextureArg, 2},
    {G::Stage, 6, "D3DTSS_ALPHAARG2", "AlphaArg2", K::TextureArg, 1},
    // effects set the bump matrix through the asm shaders' constants
    {G::Stage, 7, "D3DTSS_BUMPENVMAT00", nullptr, K::Float, 0},
    {G::Stage, 8, "D3DTSS_BUMPENVMAT01", nullptr, K::Float, 0},
    {G::Stage, 9, "D3DTSS_BUMPENVMAT10", nullptr, K::Float, 0},
    {G::Stage, 10, "D3DTSS_BUMPENVMAT11", nullptr, K::Float, 0},
    {G::Stage, 11, "D3DTSS_TEXCOORDINDEX", "TexCoordIndex", K::TexCoordIndex, 0, R::StageIndex},
    {G::Stage, 22, "D3DTSS_BUMPENVLSCALE", "BumpEnvLScale", K::Float, 0},
    {G::Stage, 23, "D3DTSS_BUMPENVLOFFSET", "BumpEnvLOffset", K::Float, 0},
    {G::Stage, 24, "D3DTSS_TEXTURETRANSFORMFLAGS", "TextureTransformFlags", K::TransformFlags, 0},
    {G::Stage, 26, "D3DTSS_COLORARG0", "ColorArg0", K::TextureArg, 1},
    {G::Stage, 27, "D3DTSS_ALPHAARG0", "AlphaArg0", K::TextureArg, 1},
    {G::Stage, 28, "D3DTSS_RESULTARG", "ResultArg", K::TextureArg, 1},
    {G::Stage, 32, "D3DTSS_CONSTANT", "Constant", K::Color, 0},

    // in the order of the device's array of transforms; all start as the identity
    {G::Transform, 2, "D3DTS_VIEW", "ViewTransform", K::Matrix, 0},
    {G::Transform, 3, "D3DTS_PROJECTION", "ProjectionTransform", K::Matrix, 0},
    {G::Transform, 16, "D3DTS_TEXTURE%u", "TextureTransform", K::Matrix, 0, R::Fixed, 8},
    {G::Transform, 256, "D3DTS_WORLDMATRIX(%u)", "WorldTransform", K::Matrix, 0, R::Fixed, 4},
};

}  // namespace

std::span<const StateRow> stateRows() { return kRows; }

const StateRow* findState(StateGroup group, DWORD value) {
    for (const StateRow& row : kRows) {
        if (row.group == group && value >= row.value && value - row.value < row.count) return &row;
    }
    return nullptr;
}

DWORD stateDefault(const StateRow& row, DWORD stage, bool autoDepth) {
    switch (row.rule) {
        case R::AutoDepth: return autoDepth ? 1 : 0;  // D3DZB_TRUE / D3DZB_FALSE
        case R::FirstStageOnly: return stage == 0 ? row.defaultValue : 1;  // D3DTOP_DISABLE
        case R::StageIndex: return stage;
        case R::Fixed: break;
    }
    return row.defaultValue;
}

int transformSlot(DWORD state) {
    int slot = 0;
    for (const StateRow& row : kRows) {
        if (row.group != G::Transform) continue;
        if (state >= row.value && state - row.value < row.count) return slot + static_cast<int>(state - row.value);
        slot += static_cast<int>(row.count);
    }
    return -1;
}

void transformName(DWORD state, char* out, std::size_t size) {
    const StateRow* row = findState(G::Transform, state);
    if (!row) {
        std::snprintf(out, size, "%u", static_cast<unsigned>(state));
    } else if (row->count > 1) {
        std::snprintf(out, size, row->d3dName, static_cast<unsigned>(state - row->value));
    } else {
        std::snprintf(out, size, "%s", row->d3dName);
    }
}

}  // namespace d3d9::detail
