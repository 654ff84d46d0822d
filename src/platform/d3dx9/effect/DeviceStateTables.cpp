#include "platform/d3dx9/effect/DeviceStateTables.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "platform/d3dx9/effect/StateTables.h"

namespace fx {
namespace {

using K = DeviceStateKind;
using V = DeviceValue;
using N = DeviceNames;

constexpr DWORD id(LightMember m) { return static_cast<DWORD>(m); }
constexpr DWORD id(MaterialMember m) { return static_cast<DWORD>(m); }

// The states that are not rows of the device's state table: textures and sampler blocks
// by stage, lights, the material, the FVF and clip planes.
const DeviceStateInfo kOtherStates[] = {
    {"Texture", K::Texture, 0, V::Dword, N::None, true},
    {"Sampler", K::SamplerBlock, 0, V::Dword, N::None, true},
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

DeviceStateInfo fromRow(const d3d9::detail::StateRow& row) {
    using G = d3d9::detail::StateGroup;
    using VK = d3d9::detail::ValueKind;
    DeviceStateInfo info{row.fxName, K::Render, row.value, V::Dword, N::Table, false, row.kind};
    switch (row.group) {
        case G::Render: break;
        case G::Sampler: info.kind = K::Sampler; info.indexed = true; break;
        case G::Stage: info.kind = K::Stage; info.indexed = true; break;
        case G::Transform: info.kind = K::Transform; info.indexed = row.count > 1; break;
    }
    switch (row.kind) {
        case VK::Float: info.value = V::Float; info.names = N::None; break;
        case VK::Color: info.value = V::Color; info.names = N::None; break;
        case VK::Matrix: info.value = V::Matrix; info.names = N::None; break;
        case VK::Number:
        case VK::Mask: info.names = N::None; break;
        default: break;
    }
    return info;
}

// Fixed-function render states, stage and sampler states and transforms from the device's
// table, then the others.
const std::vector<DeviceStateInfo>& states() {
    static const std::vector<DeviceStateInfo> all = [] {
        std::vector<DeviceStateInfo> out;
        for (const d3d9::detail::StateRow& row : d3d9::detail::stateRows()) {
            const bool render = row.group == d3d9::detail::StateGroup::Render;
            if (row.fxName && (!render || row.fixedFunction)) out.push_back(fromRow(row));
        }
        out.insert(out.end(), std::begin(kOtherStates), std::end(kOtherStates));
        return out;
    }();
    return all;
}

const NamedValue kBool[] = {{"TRUE", 1}, {"FALSE", 0}};
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
    for (const DeviceStateInfo& s : states())
        if (equalsIgnoreCase(n, s.name)) return &s;
    return nullptr;
}

bool deviceValueName(const DeviceStateInfo& info, const std::string& word, DWORD& value) {
    switch (info.names) {
        case N::None: return false;
        case N::Bool: return lookUp(kBool, word, "", value);
        case N::LightType: return lookUp(kLightType, word, "D3DLIGHT_", value);
        case N::Fvf: return lookUp(kFvf, word, "D3DFVF_", value);
        case N::Table: return stateValue(info.table, word, value);
    }
    return false;
}

}  // namespace fx
