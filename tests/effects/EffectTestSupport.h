// Helpers shared by the effect tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/effect/EffectDescription.h"

namespace fxtest {

inline std::string dataPath(const char* name) { return std::string(GH_SOURCE_DIR) + "/tests/effects/data/" + name; }

inline std::string readData(const char* name) {
    std::ifstream in(dataPath(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The device's attribute locations: POSITION0 0, NORMAL0 1, TEXCOORD0..7 2..9,
// TANGENT0 10, BINORMAL0 11, COLOR0 12, COLOR1 13, BLENDWEIGHT0 14.
inline int attributeLocation(BYTE usage, BYTE index) {
    switch (usage) {
        case D3DDECLUSAGE_POSITION: return index == 0 ? 0 : -1;
        case D3DDECLUSAGE_NORMAL: return index == 0 ? 1 : -1;
        case D3DDECLUSAGE_TEXCOORD: return index < 8 ? 2 + index : -1;
        case D3DDECLUSAGE_TANGENT: return index == 0 ? 10 : -1;
        case D3DDECLUSAGE_BINORMAL: return index == 0 ? 11 : -1;
        case D3DDECLUSAGE_COLOR: return index < 2 ? 12 + index : -1;
        case D3DDECLUSAGE_BLENDWEIGHT: return index == 0 ? 14 : -1;
        default: return -1;
    }
}

// A float stored as its bit pattern in a 32-bit word of a parameter's data.
inline float wordFloat(std::uint32_t w) {
    float f;
    std::memcpy(&f, &w, 4);
    return f;
}

// The named parameter of a parsed effect; a failed expectation (and the first parameter)
// when it is missing.
inline const fx::Parameter& param(const fx::EffectDescription& d, const char* name) {
    int i = d.findParameter(name);
    EXPECT_GE(i, 0) << name;
    return d.parameters.at(static_cast<std::size_t>(i < 0 ? 0 : i));
}

}  // namespace fxtest
