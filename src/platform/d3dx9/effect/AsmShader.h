// Direct3D shader assembly (`asm { vs_1_1 ... }`) turned into an HLSL entry point that
// the ordinary compile path takes: registers become locals, vertex inputs and stage
// outputs carry the semantics their dcl and register names give them, constant
// registers read arrays of the effect that the pass's shader-constant states fill.
#pragma once

#include <string>
#include <vector>

namespace fx {

// The effect's register files (float4 arrays); a pass's constant states write into them.
constexpr const char* kAsmVertexFloats = "gh_vsc";   // c0..c255 of vertex shaders
constexpr const char* kAsmVertexInts = "gh_vsi";     // i0..i15, one float4 each
constexpr const char* kAsmVertexBools = "gh_vsb";    // b0..b15, .x
constexpr const char* kAsmPixelFloats = "gh_psc";    // c0..c223 of pixel shaders
constexpr const char* kAsmPixelInts = "gh_psi";
constexpr const char* kAsmPixelBools = "gh_psb";
constexpr const char* kAsmBumpMatrix = "gh_bumpenv";  // per stage: (00, 01, 10, 11)
constexpr const char* kAsmBumpLuminance = "gh_bumplum";  // per stage: (scale, offset, 0, 0)
constexpr int kAsmVertexFloatCount = 256, kAsmPixelFloatCount = 224, kAsmIntCount = 16, kAsmBoolCount = 16;
constexpr int kAsmStageCount = 16;

struct AsmOutput {
    std::string profile;  // "vs_1_1"
    bool vertex = false;
    std::string hlsl;     // structs and the entry function
    std::vector<int> samplers;  // sampler registers / texture stages it reads
    bool usesBumpMatrix = false;
};

struct AsmError {
    int line = 0;
    std::string message;
};

// `text` is what lies between the braces; its first character is on `firstLine`.
// `entry` names the generated function and prefixes its structs and samplers
// (sampler s<n> is "<entry>_s<n>"). `vertex` says which stage the block is bound to.
bool translateAsm(const std::string& text, int firstLine, bool vertex, const std::string& entry, AsmOutput& out,
                  AsmError& error);

// What the parser makes of one instruction line, for the emitter.
struct AsmOperand {
    bool negate = false;
    std::string modifier;   // "bias", "bx2", "x2", "comp", "abs", "dz", "dw", "not"...
    std::string file;       // "r", "c", "v", "t", "s", "oPos", "o", "oC", "a", "aL", "i", "b", "p", "oT", "oD"...
    int index = 0;
    bool relative = false;  // c[a0.x + n], c[aL + n]
    std::string relativeRegister;  // "a0.x", "aL"
    std::string swizzle;    // up to 4 of xyzw after normalising rgba; empty: none
    double literal[4] = {0, 0, 0, 0};  // def values
    int literalCount = 0;
};

struct AsmInstruction {
    std::string opcode;                  // without its modifiers
    std::vector<std::string> modifiers;  // "sat", "x2", "pp", comparison suffixes, dcl usages
    std::vector<AsmOperand> operands;
    bool predicated = false;
    AsmOperand predicate;
    int line = 0;
};

bool parseAsmLine(const std::string& line, int lineNumber, AsmInstruction& out, AsmError& error);

}  // namespace fx
