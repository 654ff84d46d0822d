// Names and values of the render and sampler states that effect passes and
// sampler_state blocks assign, read from the device's state table. Names and values are
// case-insensitive.
#pragma once

#include <cstddef>
#include <string>

#include "platform/d3d9/StateTable.h"
#include "platform/d3d9/d3d9.h"

namespace fx {

// The kinds of the device's state table (platform/d3d9/StateTable.h). Float: a number
// kept as the bits of a float (DepthBias = 0.001 is 0x3a83126f); Color: a D3DCOLOR
// number, listed in hexadecimal; Mask and Number: plain numbers.
using StateValueKind = d3d9::detail::ValueKind;

struct StateInfo {
    const char* name;
    DWORD id;  // D3DRENDERSTATETYPE or D3DSAMPLERSTATETYPE
    StateValueKind kind;
};

// Render states but the fixed-function ones (DeviceStateTables.h has those).
const StateInfo* findRenderState(const std::string& name);
const StateInfo* renderStateById(DWORD id);
// Sampler states, without "Texture" which names a parameter.
const StateInfo* findSamplerState(const std::string& name);

// A symbolic value ("SrcAlpha", "D3DBLEND_SRCALPHA", "true", "LessEqual") for a state of
// the given kind. False when the name means nothing for that kind.
bool stateValue(StateValueKind kind, const std::string& word, DWORD& value);

// The value's name for a state of that kind ("NONE", "SRCALPHA", "RED | GREEN"), or the
// number itself when it has no name (numbers, bools set from an integer).
std::string stateValueName(StateValueKind kind, DWORD value);

bool equalsIgnoreCase(const std::string& a, const char* b);

struct NamedValue {
    const char* name;
    DWORD value;
};

// The value of `word` in `table`, with or without `prefix` ("D3DBLEND_"), case-insensitive.
bool lookUpName(const NamedValue* table, std::size_t count, const std::string& word, const char* prefix, DWORD& value);
template <std::size_t N>
bool lookUp(const NamedValue (&table)[N], const std::string& word, const char* prefix, DWORD& value) {
    return lookUpName(table, N, word, prefix, value);
}

}  // namespace fx
