// Helpers shared by the effect tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "platform/d3d9/d3d9.h"

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

}  // namespace fxtest
