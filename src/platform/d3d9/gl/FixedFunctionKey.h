// The part of the fixed-function state that changes the GLSL generated for it. Two draws
// with equal keys share one program; everything else (matrices, colours, light values,
// fog distances) travels as uniforms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/d3d9/DeviceBase.h"

namespace d3d9::detail {

constexpr unsigned kFixedLights = 8;  // D3D9 lights at most 8 at once

struct FixedFunctionStage {
    std::uint8_t colorOp, alphaOp;          // D3DTOP_*
    std::uint8_t colorArg[3], alphaArg[3];  // D3DTA_* with modifiers: arg0, arg1, arg2
    std::uint8_t result;                    // D3DTA_CURRENT or D3DTA_TEMP
    std::uint8_t texCoord;                  // the set it reads
    std::uint8_t texGen;                    // D3DTSS_TCI_* >> 16
    std::uint8_t transformFlags;            // D3DTTFF count | 8 for projected
    std::uint8_t hasTexture;                // 0: none, 1: 2D, 2: cube
};

struct FixedFunctionKey {
    // Vertex input.
    std::uint8_t pretransformed;  // XYZRHW
    std::uint8_t hasNormal, hasDiffuse, hasSpecular;
    std::uint8_t texSets;
    std::uint8_t texSize[8];
    // Vertex processing.
    std::uint8_t lighting;
    std::uint8_t lightTypes[kFixedLights];  // 0: none
    std::uint8_t diffuseSource, ambientSource, specularSource, emissiveSource;
    std::uint8_t specular, localViewer, normalize;
    std::uint8_t vertexFog, tableFog, rangeFog;  // D3DFOG_*
    // Pixel processing.
    std::uint8_t stageCount;
    FixedFunctionStage stages[kTextureStageCount];
    std::uint8_t alphaFunc;  // 0: no alpha test
    std::uint8_t pad[3];
    // A pass that brings one shader (1: vertex, 2: pixel; 0: none): only the other stage
    // is generated, linked to the shader by its varying locations and component counts.
    std::uint8_t shaderStage;
    std::uint8_t linkSizes[kLinkLocations];
    std::uint8_t pad2[2];
    std::uint32_t shader;  // the effect's GL shader object

    bool operator==(const FixedFunctionKey& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};
// No padding, so that memcmp sees only the fields.
static_assert(offsetof(FixedFunctionKey, shader) % 4 == 0 &&
              sizeof(FixedFunctionKey) == offsetof(FixedFunctionKey, shader) + 4);

// Fills `key` from the device's state (zeroing it first, so padding compares too).
// `lightIndex` receives which device light feeds each of the key's light slots.
void buildFixedFunctionKey(const DeviceBase& device, DWORD fvf, FixedFunctionKey& key,
                           DWORD lightIndex[kFixedLights]);

}  // namespace d3d9::detail
