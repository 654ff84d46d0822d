// Names of the states a pass may set besides the render states of StateTables: fixed-
// function render states, texture stages, samplers and transforms (rows of the device's
// state table), textures by stage, lights and the material. Names and values are case-insensitive, with or without their
// D3D prefixes.
#pragma once

#include <string>

#include "platform/d3dx9/effect/EffectDescription.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace fx {

// What the names of a state's values are: those of its kind in the device's state table,
// or a few kept here for states outside it.
enum class DeviceNames : std::uint8_t { None, Bool, LightType, Fvf, Table };

struct DeviceStateInfo {
    const char* name;
    DeviceStateKind kind;
    DWORD id;
    DeviceValue value;
    DeviceNames names;
    bool indexed;  // takes [n]
    StateValueKind table = StateValueKind::Number;  // for DeviceNames::Table
};

const DeviceStateInfo* findDeviceState(const std::string& name);

// A value's name ("Modulate2x", "D3DTA_TEXTURE", "Exp2") for that state.
bool deviceValueName(const DeviceStateInfo& info, const std::string& word, DWORD& value);

}  // namespace fx
