// Names of the states a pass may set besides the render states of StateTables: fixed-
// function render states, texture stages, samplers and textures by stage, transforms,
// lights and the material. Names and values are case-insensitive, with or without their
// D3D prefixes.
#pragma once

#include <string>

#include "platform/d3dx9/effect/EffectDescription.h"

namespace fx {

// What the names of a state's values are.
enum class DeviceNames : std::uint8_t {
    None, Bool, TextureOp, TextureArg, TexCoordIndex, TransformFlags, FogMode, MaterialSource,
    LightType, Filter, Address, Fvf
};

struct DeviceStateInfo {
    const char* name;
    DeviceStateKind kind;
    DWORD id;
    DeviceValue value;
    DeviceNames names;
    bool indexed;  // takes [n]
};

const DeviceStateInfo* findDeviceState(const std::string& name);

// A value's name ("Modulate2x", "D3DTA_TEXTURE", "Exp2") for a state with these names.
bool deviceValueName(DeviceNames names, const std::string& word, DWORD& value);

}  // namespace fx
