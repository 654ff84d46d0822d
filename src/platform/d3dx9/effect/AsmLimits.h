// What Direct3D 9 lets a shader of each version hold: how many temporaries, constants
// and texture registers it may name, and how many instructions it may have. An asm
// block past them is refused as D3DX refuses it, before any of it is translated.
#pragma once

#include <string>

#include "platform/d3dx9/effect/AsmShader.h"

namespace fx::asmx {

struct ProfileLimits {
    int temporaries = 32;        // r#
    int floatConstants = 256;    // c#
    int textureRegisters = 8;    // t# of a pixel shader
    // Instructions: with `texture` > 0, texture instructions count against it and the
    // rest against `arithmetic`; otherwise every instruction counts against `arithmetic`.
    int arithmetic = 0;
    int texture = 0;
};

// `profile` as the version line names it: "vs_1_1", "ps_2_0", "ps_2_x", "ps_3_0"...
ProfileLimits profileLimits(const std::string& profile);

// Counts a block's instructions against its limits, one at a time.
class InstructionCount {
public:
    void start(const std::string& profile) { limits_ = profileLimits(profile), profile_ = profile; }
    // False with `why` once `in` is one too many; `coIssued` marks a ps_1_x `+` line,
    // which shares the slot of the instruction before it.
    bool add(const AsmInstruction& in, bool coIssued, std::string& why);

private:
    ProfileLimits limits_;
    std::string profile_;
    int arithmetic_ = 0, texture_ = 0;
};

}  // namespace fx::asmx
