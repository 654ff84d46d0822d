// GL programs for fixed-function draws (or the fixed-function half of an effect pass
// that brings one shader), one per FixedFunctionKey, compiled the first time
// a key is drawn and kept for the device's life; and the uniforms they read, uploaded
// from the device state before each draw.
#pragma once

#include <vector>

#include "platform/d3d9/gl/FixedFunctionKey.h"

namespace d3d9::detail {

class FixedFunctionPrograms {
public:
    enum Uniform {
        kWorld, kView, kProjection, kTextureMatrix, kPixelOffset, kTargetSize,
        kMaterialDiffuse, kMaterialAmbient, kMaterialSpecular, kMaterialEmissive, kMaterialPower,
        kAmbient, kLightDiffuse, kLightSpecular, kLightAmbient, kLightAttenuation,
        kLightPosition, kLightDirection, kLightSpot, kFog, kTextureFactor, kFogColor,
        kStageConstant, kBumpMatrix, kBumpLuminance, kAlphaRef,
        kEffectPixelOffset, kEffectAlphaFunc, kEffectAlphaRef, kEffectVposRows, kUniformCount
    };
    struct Program {
        FixedFunctionKey key;
        unsigned name = 0;  // 0: it failed to build; such keys draw nothing
        int uniforms[kUniformCount];
    };

    // The program for `key`, building it on first sight. Never null.
    const Program& find(const FixedFunctionKey& key);
    void upload(const Program& program, const DeviceBase& device,
                const DWORD lightIndex[kFixedLights], int width, int height) const;
    // Drops the programs linked with an effect's shader object before it is deleted.
    void forget(unsigned shader);
    // Programs built so far (failed ones included).
    unsigned count() const { return static_cast<unsigned>(programs_.size()); }
    // With the device's context current.
    void release();

private:
    std::vector<Program> programs_;
};

}  // namespace d3d9::detail
