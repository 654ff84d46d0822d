#include "platform/d3dx9/effect/DeviceStateTables.h"

#include <cstring>

#include "platform/d3dx9/effect/StateTables.h"

namespace fx {
namespace {

using K = DeviceStateKind;
using V = DeviceValue;
using N = DeviceNames;

constexpr DWORD id(LightMember m) { return static_cast<DWORD>(m); }
constexpr DWORD id(MaterialMember m) { return static_cast<DWORD>(m); }

const DeviceStateInfo kStates[] = {
    // fixed-function render states
    {"Lighting", K::Render, D3DRS_LIGHTING, V::Dword, N::Bool, false},
    {"SpecularEnable", K::Render, D3DRS_SPECULARENABLE, V::Dword, N::Bool, false},
    {"FogEnable", K::Render, D3DRS_FOGENABLE, V::Dword, N::Bool, false},
    {"FogColor", K::Render, D3DRS_FOGCOLOR, V::Color, N::None, false},
    {"FogTableMode", K::Render, D3DRS_FOGTABLEMODE, V::Dword, N::FogMode, false},
    {"FogVertexMode", K::Render, D3DRS_FOGVERTEXMODE, V::Dword, N::FogMode, false},
    {"FogStart", K::Render, D3DRS_FOGSTART, V::Float, N::None, false},
    {"FogEnd", K::Render, D3DRS_FOGEND, V::Float, N::None, false},
    {"FogDensity", K::Render, D3DRS_FOGDENSITY, V::Float, N::None, false},
    {"RangeFogEnable", K::Render, D3DRS_RANGEFOGENABLE, V::Dword, N::Bool, false},
    {"ColorVertex", K::Render, D3DRS_COLORVERTEX, V::Dword, N::Bool, false},
    {"NormalizeNormals", K::Render, D3DRS_NORMALIZENORMALS, V::Dword, N::Bool, false},
    {"LocalViewer", K::Render, D3DRS_LOCALVIEWER, V::Dword, N::Bool, false},
    {"Ambient", K::Render, D3DRS_AMBIENT, V::Color, N::None, false},
    {"TextureFactor", K::Render, D3DRS_TEXTUREFACTOR, V::Color, N::None, false},
    {"DiffuseMaterialSource", K::Render, D3DRS_DIFFUSEMATERIALSOURCE, V::Dword, N::MaterialSource, false},
    {"SpecularMaterialSource", K::Render, D3DRS_SPECULARMATERIALSOURCE, V::Dword, N::MaterialSource, false},
    {"AmbientMaterialSource", K::Render, D3DRS_AMBIENTMATERIALSOURCE, V::Dword, N::MaterialSource, false},
    {"EmissiveMaterialSource", K::Render, D3DRS_EMISSIVEMATERIALSOURCE, V::Dword, N::MaterialSource, false},
    // texture stage states
    {"ColorOp", K::Stage, D3DTSS_COLOROP, V::Dword, N::TextureOp, true},
    {"ColorArg0", K::Stage, D3DTSS_COLORARG0, V::Dword, N::TextureArg, true},
    {"ColorArg1", K::Stage, D3DTSS_COLORARG1, V::Dword, N::TextureArg, true},
    {"ColorArg2", K::Stage, D3DTSS_COLORARG2, V::Dword, N::TextureArg, true},
    {"AlphaOp", K::Stage, D3DTSS_ALPHAOP, V::Dword, N::TextureOp, true},
    {"AlphaArg0", K::Stage, D3DTSS_ALPHAARG0, V::Dword, N::TextureArg, true},
    {"AlphaArg1", K::Stage, D3DTSS_ALPHAARG1, V::Dword, N::TextureArg, true},
    {"AlphaArg2", K::Stage, D3DTSS_ALPHAARG2, V::Dword, N::TextureArg, true},
    {"ResultArg", K::Stage, D3DTSS_RESULTARG, V::Dword, N::TextureArg, true},
    {"TexCoordIndex", K::Stage, D3DTSS_TEXCOORDINDEX, V::Dword, N::TexCoordIndex, true},
    {"TextureTransformFlags", K::Stage, D3DTSS_TEXTURETRANSFORMFLAGS, V::Dword, N::TransformFlags, true},
    // BumpEnvMat00..11 fill the asm shaders' bump matrices instead (AsmBinding.cpp)
    {"BumpEnvLScale", K::Stage, D3DTSS_BUMPENVLSCALE, V::Float, N::None, true},
    {"BumpEnvLOffset", K::Stage, D3DTSS_BUMPENVLOFFSET, V::Float, N::None, true},
    {"Constant", K::Stage, D3DTSS_CONSTANT, V::Color, N::None, true},
    // samplers and textures by stage
    {"AddressU", K::Sampler, D3DSAMP_ADDRESSU, V::Dword, N::Address, true},
    {"AddressV", K::Sampler, D3DSAMP_ADDRESSV, V::Dword, N::Address, true},
    {"AddressW", K::Sampler, D3DSAMP_ADDRESSW, V::Dword, N::Address, true},
    {"BorderColor", K::Sampler, D3DSAMP_BORDERCOLOR, V::Color, N::None, true},
    {"MagFilter", K::Sampler, D3DSAMP_MAGFILTER, V::Dword, N::Filter, true},
    {"MinFilter", K::Sampler, D3DSAMP_MINFILTER, V::Dword, N::Filter, true},
    {"MipFilter", K::Sampler, D3DSAMP_MIPFILTER, V::Dword, N::Filter, true},
    {"MipMapLodBias", K::Sampler, D3DSAMP_MIPMAPLODBIAS, V::Float, N::None, true},
    {"MaxMipLevel", K::Sampler, D3DSAMP_MAXMIPLEVEL, V::Dword, N::None, true},
    {"MaxAnisotropy", K::Sampler, D3DSAMP_MAXANISOTROPY, V::Dword, N::None, true},
    {"SRGBTexture", K::Sampler, D3DSAMP_SRGBTEXTURE, V::Dword, N::Bool, true},
    {"Texture", K::Texture, 0, V::Dword, N::None, true},
    {"Sampler", K::SamplerBlock, 0, V::Dword, N::None, true},
    // transforms
    {"WorldTransform", K::Transform, D3DTS_WORLD, V::Matrix, N::None, true},
    {"ViewTransform", K::Transform, D3DTS_VIEW, V::Matrix, N::None, false},
    {"ProjectionTransform", K::Transform, D3DTS_PROJECTION, V::Matrix, N::None, false},
    {"TextureTransform", K::Transform, D3DTS_TEXTURE0, V::Matrix, N::None, true},
    // lights and the material
    {"LightEnable", K::LightEnable, 0, V::Dword, N::Bool, true},
    {"LightType", K::Light, id(LightMember::Type), V::Dword, N::LightType, true},
    {"LightDiffuse", K::Light, id(LightMember::Diffuse), V::ColorValue, N::None, true},
    {"LightSpecular", K::Light, id(LightMember::Specular), V::ColorValue, N::None, true},
    {"LightAmbient", K::Light, id(LightMember::Ambient), V::ColorValue, N::None, true},
    {"LightPosition", K::Light, id(LightMember::Position), V::Vector, N::None, true},
    {"LightDirection", K::Light, id(LightMember::Direction), V::Vector, N::None, true},
    {"LightRange", K::Light, id(LightMember::Range), V::Float, N::None, true},
    {"LightFalloff", K::Light, id(LightMember::Falloff), V::Float, N::None, true},
    {"LightAttenuation0", K::Light, id(LightMember::Attenuation0), V::Float, N::None, true},
    {"LightAttenuation1", K::Light, id(LightMember::Attenuation1), V::Float, N::None, true},
    {"LightAttenuation2", K::Light, id(LightMember::Attenuation2), V::Float, N::None, true},
    {"LightTheta", K::Light, id(LightMember::Theta), V::Float, N::None, true},
    {"LightPhi", K::Light, id(LightMember::Phi), V::Float, N::None, true},
    {"MaterialDiffuse", K::Material, id(MaterialMember::Diffuse), V::ColorValue, N::None, false},
    {"MaterialAmbient", K::Material, id(MaterialMember::Ambient), V::ColorValue, N::None, false},
    {"MaterialSpecular", K::Material, id(MaterialMember::Specular), V::ColorValue, N::None, false},
    {"MaterialEmissive", K::Material, id(MaterialMember::Emissive), V::ColorValue, N::None, false},
    {"MaterialPower", K::Material, id(MaterialMember::Power), V::Float, N::None, false},
    {"FVF", K::Fvf, 0, V::Dword, N::Fvf, false},
    {"ClipPlane", K::ClipPlane, 0, V::Plane, N::None, true},
};

const NamedValue kBool[] = {{"TRUE", 1}, {"FALSE", 0}};
const NamedValue kTextureOp[] = {
    {"DISABLE", D3DTOP_DISABLE},
    {"SELECTARG1", D3DTOP_SELECTARG1},
    {"SELECTARG2", D3DTOP_SELECTARG2},
    {"MODULATE", D3DTOP_MODULATE},
    {"MODULATE2X", D3DTOP_MODULATE2X},
    {"MODULATE4X", D3DTOP_MODULATE4X},
    {"ADD", D3DTOP_ADD},
    {"ADDSIGNED", D3DTOP_ADDSIGNED},
    {"ADDSIGNED2X", D3DTOP_ADDSIGNED2X},
    {"SUBTRACT", D3DTOP_SUBTRACT},
    {"ADDSMOOTH", D3DTOP_ADDSMOOTH},
    {"BLENDDIFFUSEALPHA", D3DTOP_BLENDDIFFUSEALPHA},
    {"BLENDTEXTUREALPHA", D3DTOP_BLENDTEXTUREALPHA},
    {"BLENDFACTORALPHA", D3DTOP_BLENDFACTORALPHA},
    {"BLENDTEXTUREALPHAPM", D3DTOP_BLENDTEXTUREALPHAPM},
    {"BLENDCURRENTALPHA", D3DTOP_BLENDCURRENTALPHA},
    {"PREMODULATE", D3DTOP_PREMODULATE},
    {"MODULATEALPHA_ADDCOLOR", D3DTOP_MODULATEALPHA_ADDCOLOR},
    {"MODULATECOLOR_ADDALPHA", D3DTOP_MODULATECOLOR_ADDALPHA},
    {"MODULATEINVALPHA_ADDCOLOR", D3DTOP_MODULATEINVALPHA_ADDCOLOR},
    {"MODULATEINVCOLOR_ADDALPHA", D3DTOP_MODULATEINVCOLOR_ADDALPHA},
    {"BUMPENVMAP", D3DTOP_BUMPENVMAP},
    {"BUMPENVMAPLUMINANCE", D3DTOP_BUMPENVMAPLUMINANCE},
    {"DOTPRODUCT3", D3DTOP_DOTPRODUCT3},
    {"MULTIPLYADD", D3DTOP_MULTIPLYADD},
    {"LERP", D3DTOP_LERP},
};
const NamedValue kTextureArg[] = {
    {"DIFFUSE", D3DTA_DIFFUSE},   {"CURRENT", D3DTA_CURRENT},       {"TEXTURE", D3DTA_TEXTURE},
    {"TFACTOR", D3DTA_TFACTOR},   {"SPECULAR", D3DTA_SPECULAR},     {"TEMP", D3DTA_TEMP},
    {"CONSTANT", D3DTA_CONSTANT}, {"COMPLEMENT", D3DTA_COMPLEMENT}, {"ALPHAREPLICATE", D3DTA_ALPHAREPLICATE},
};
const NamedValue kTexCoordIndex[] = {
    {"PASSTHRU", D3DTSS_TCI_PASSTHRU},
    {"CAMERASPACENORMAL", D3DTSS_TCI_CAMERASPACENORMAL},
    {"CAMERASPACEPOSITION", D3DTSS_TCI_CAMERASPACEPOSITION},
    {"CAMERASPACEREFLECTIONVECTOR", D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR},
    {"SPHEREMAP", D3DTSS_TCI_SPHEREMAP},
};
const NamedValue kTransformFlags[] = {{"DISABLE", D3DTTFF_DISABLE}, {"COUNT1", D3DTTFF_COUNT1},
                                      {"COUNT2", D3DTTFF_COUNT2},   {"COUNT3", D3DTTFF_COUNT3},
                                      {"COUNT4", D3DTTFF_COUNT4},   {"PROJECTED", D3DTTFF_PROJECTED}};
const NamedValue kFogMode[] = {{"NONE", D3DFOG_NONE}, {"EXP", D3DFOG_EXP}, {"EXP2", D3DFOG_EXP2},
                               {"LINEAR", D3DFOG_LINEAR}};
const NamedValue kMaterialSource[] = {{"MATERIAL", D3DMCS_MATERIAL}, {"COLOR1", D3DMCS_COLOR1},
                                      {"COLOR2", D3DMCS_COLOR2}};
const NamedValue kFvf[] = {{"XYZ", D3DFVF_XYZ},       {"XYZRHW", D3DFVF_XYZRHW},     {"XYZW", D3DFVF_XYZW},
                            {"NORMAL", D3DFVF_NORMAL}, {"PSIZE", D3DFVF_PSIZE},       {"DIFFUSE", D3DFVF_DIFFUSE},
                            {"SPECULAR", D3DFVF_SPECULAR}, {"TEX0", D3DFVF_TEX0},     {"TEX1", D3DFVF_TEX1},
                            {"TEX2", D3DFVF_TEX2},     {"TEX3", D3DFVF_TEX3},         {"TEX4", D3DFVF_TEX4},
                            {"TEX5", D3DFVF_TEX5},     {"TEX6", D3DFVF_TEX6},         {"TEX7", D3DFVF_TEX7},
                            {"TEX8", D3DFVF_TEX8}};
const NamedValue kLightType[] = {{"POINT", D3DLIGHT_POINT}, {"SPOT", D3DLIGHT_SPOT},
                                 {"DIRECTIONAL", D3DLIGHT_DIRECTIONAL}};

}  // namespace

const DeviceStateInfo* findDeviceState(const std::string& name) {
    std::string n = name;
    if (n.size() > 6 && equalsIgnoreCase(n.substr(0, 6), "D3DRS_")) n = n.substr(6);
    for (const DeviceStateInfo& s : kStates)
        if (equalsIgnoreCase(n, s.name)) return &s;
    return nullptr;
}

bool deviceValueName(DeviceNames names, const std::string& word, DWORD& value) {
    switch (names) {
        case N::None: return false;
        case N::Bool: return lookUp(kBool, word, "", value);
        case N::TextureOp: return lookUp(kTextureOp, word, "D3DTOP_", value);
        case N::TextureArg: return lookUp(kTextureArg, word, "D3DTA_", value);
        case N::TexCoordIndex: return lookUp(kTexCoordIndex, word, "D3DTSS_TCI_", value);
        case N::TransformFlags: return lookUp(kTransformFlags, word, "D3DTTFF_", value);
        case N::FogMode: return lookUp(kFogMode, word, "D3DFOG_", value);
        case N::MaterialSource: return lookUp(kMaterialSource, word, "D3DMCS_", value);
        case N::LightType: return lookUp(kLightType, word, "D3DLIGHT_", value);
        case N::Filter: return stateValue(StateValueKind::Filter, word, value);
        case N::Address: return stateValue(StateValueKind::Address, word, value);
        case N::Fvf: return lookUp(kFvf, word, "D3DFVF_", value);
    }
    return false;
}

}  // namespace fx
