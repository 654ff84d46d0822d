#include "platform/d3dx9/effect/AsmLimits.h"

namespace fx::asmx {

// The Direct3D 9 reference's register counts and instruction slots per version. Where a
// version's limit depends on the card (vs_2_x, ps_2_x, the 3_0 slots), the largest a
// card may report is the limit here: the file is refused only where no card takes it.
ProfileLimits profileLimits(const std::string& p) {
    ProfileLimits l;
    const bool vertex = p.rfind("vs", 0) == 0;
    const bool extended = p.size() >= 6 && p[5] != '0';  // 2_x, 2_a, 2_b
    const char major = p.size() >= 4 ? p[3] : '0';
    if (vertex) {
        l.temporaries = major == '3' || extended ? 32 : 12;
        l.arithmetic = major == '1' ? 128 : major == '2' ? 256 : 32768;
        return l;
    }
    if (major == '1') {
        const bool ps14 = p.size() >= 6 && p[5] == '4';
        l.temporaries = ps14 ? 6 : 2;
        l.floatConstants = 8;
        l.textureRegisters = ps14 ? 6 : 4;
        // ps_1_4 runs two phases of 6 texture and 8 arithmetic instructions each.
        l.arithmetic = ps14 ? 16 : 8;
        l.texture = ps14 ? 12 : 4;
    } else if (major == '2') {
        l.temporaries = extended ? 32 : 12;
        l.floatConstants = 32;
        l.arithmetic = extended ? 512 : 64;
        l.texture = extended ? 0 : 32;
    } else {
        l.floatConstants = kAsmPixelFloatCount;
        l.arithmetic = 32768;
    }
    return l;
}

namespace {

bool isTextureInstruction(const std::string& opcode) { return opcode.rfind("tex", 0) == 0; }

// Lines that declare or mark rather than run.
bool takesNoSlot(const std::string& opcode) {
    return opcode == "dcl" || opcode.rfind("def", 0) == 0 || opcode == "phase" || opcode == "nop";
}

}  // namespace

bool InstructionCount::add(const AsmInstruction& in, bool coIssued, std::string& why) {
    if (takesNoSlot(in.opcode) || coIssued) return true;
    const bool texture = limits_.texture > 0 && isTextureInstruction(in.opcode);
    int& used = texture ? texture_ : arithmetic_;
    const int limit = texture ? limits_.texture : limits_.arithmetic;
    if (++used <= limit) return true;
    why = std::string("too many ") + (limits_.texture > 0 ? (texture ? "texture " : "arithmetic ") : "") +
          "instructions for " + profile_ + " (at most " + std::to_string(limit) + ")";
    return false;
}

}  // namespace fx::asmx
