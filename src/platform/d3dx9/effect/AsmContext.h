// What translating one asm block keeps between its instructions; shared by the
// translator (registers, declarations, the function around the body) and the opcode
// table with its emitter.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/d3dx9/effect/AsmLimits.h"
#include "platform/d3dx9/effect/AsmShader.h"

namespace fx::asmx {

struct Literal {
    double v[4] = {0, 0, 0, 0};
};

struct Context {
    bool vertex = false;
    int major = 0, minor = 0;
    ProfileLimits limits;  // of the version line
    std::string entry;
    std::string body;
    int depth = 1;       // indentation and open blocks (1: the function's own)
    std::vector<char> blocks;  // 'i' if, 'l' loop, 'r' rep
    int serial = 0;      // names of loop counters
    std::map<int, std::string> inputs;    // v# -> semantic
    std::map<int, std::string> outputs;   // vs_3_0 o# -> semantic
    std::map<std::string, std::string> outputDecls;  // member -> "float4 oT0 : TEXCOORD0"
    std::set<int> texcoordInputs;   // t# read by a pixel shader
    std::map<int, std::string> samplers;  // s# or stage -> "2D", "CUBE", "3D"
    std::map<int, Literal> floatDefs, intDefs, boolDefs;
    std::vector<int> padRegisters;  // texm3x2pad / texm3x3pad so far
    bool usesBump = false;
    bool relativeConstants = false;  // c[a0.x + n] read somewhere
    AsmError error;

    bool pixel1x() const { return !vertex && major == 1; }
    void line(const std::string& text) { body += std::string(static_cast<std::size_t>(depth) * 4, ' ') + text + "\n"; }
    bool fail(const std::string& message) {
        if (error.message.empty()) error.message = message;
        return false;
    }
};

// A source operand as a float4 expression, modifiers and swizzle applied.
bool source(Context& c, const AsmOperand& op, std::string& out);
// One component of it: the swizzle's first, or .w when there is none.
bool scalar(Context& c, const AsmOperand& op, std::string& out);
// The destination's variable and write mask ("r1", "xyz").
bool destination(Context& c, const AsmOperand& op, std::string& name, std::string& mask);
// Writes `value` (a float4 expression) to the destination with the instruction's
// result modifiers, the ps_1_x range and the predicate applied.
bool write(Context& c, const AsmInstruction& in, const std::string& value);
// A sampler for a sampler register or texture stage; `type` "2D", "CUBE" or "3D".
std::string sampler(Context& c, int index, const std::string& type);
std::string sample(Context& c, int index, const std::string& coords, const std::string& how = "");
// The texture coordinates of t# as the pixel shader receives them.
std::string texcoord(Context& c, int index);

std::string vec4(const Literal& l);  // "float4(1.0, 0.5, 0.0, 1.0)"

// The table's emitter: false with c.error set when the instruction has no translation.
bool emitInstruction(Context& c, const AsmInstruction& in);

}  // namespace fx::asmx
