// The opcode table of shader assembly and its one emitter. An arithmetic entry is an
// HLSL template over its sources: $n is source n as a float4, #n one component of it.
// Matrix, flow-control and texture entries name the kind of code they need.
#include <cstring>

#include "platform/d3dx9/effect/AsmContext.h"

namespace fx::asmx {
namespace {

enum class Kind { Arith, Matrix, Flow, Texture, Nop };

struct Opcode {
    const char* name;
    int sources;
    Kind kind;
    const char* text;  // Arith: the template; Matrix: "<dot size><rows>"; others: a tag
    const char* pixelText = nullptr;  // a different meaning in pixel shaders
};

const Opcode kOpcodes[] = {
    {"mov", 1, Kind::Arith, "$0"},
    {"mova", 1, Kind::Arith, "$0"},
    {"add", 2, Kind::Arith, "$0 + $1"},
    {"sub", 2, Kind::Arith, "$0 - $1"},
    {"mul", 2, Kind::Arith, "$0 * $1"},
    {"mad", 3, Kind::Arith, "$0 * $1 + $2"},
    {"dp3", 2, Kind::Arith, "(float4)dot(($0).xyz, ($1).xyz)"},
    {"dp4", 2, Kind::Arith, "(float4)dot($0, $1)"},
    {"dp2add", 3, Kind::Arith, "(float4)(dot(($0).xy, ($1).xy) + #2)"},
    {"min", 2, Kind::Arith, "min($0, $1)"},
    {"max", 2, Kind::Arith, "max($0, $1)"},
    {"slt", 2, Kind::Arith, "(1.0 - step($1, $0))"},
    {"sge", 2, Kind::Arith, "step($1, $0)"},
    {"rcp", 1, Kind::Arith, "(float4)(1.0 / #0)"},
    {"rsq", 1, Kind::Arith, "(float4)rsqrt(abs(#0))"},
    {"exp", 1, Kind::Arith, "(float4)exp2(#0)"},
    {"log", 1, Kind::Arith, "(float4)log2(abs(#0))"},
    {"expp", 1, Kind::Arith, "float4(exp2(floor(#0)), frac(#0), exp2(#0), 1.0)", "(float4)exp2(#0)"},
    {"logp", 1, Kind::Arith,
     "float4(floor(log2(abs(#0))), abs(#0) / exp2(floor(log2(abs(#0)))), log2(abs(#0)), 1.0)",
     "(float4)log2(abs(#0))"},
    {"lit", 1, Kind::Arith,
     "float4(1.0, max(($0).x, 0.0), (($0).x > 0.0 && ($0).y > 0.0) ? pow(($0).y, clamp(($0).w, -127.9961, "
     "127.9961)) : 0.0, 1.0)"},
    {"dst", 2, Kind::Arith, "float4(1.0, ($0).y * ($1).y, ($0).z, ($1).w)"},
    {"frc", 1, Kind::Arith, "frac($0)"},
    {"lrp", 3, Kind::Arith, "lerp($2, $1, $0)"},
    {"cnd", 3, Kind::Arith, "(($0) > 0.5 ? ($1) : ($2))"},
    {"cmp", 3, Kind::Arith, "(($0) >= 0.0 ? ($1) : ($2))"},
    {"nrm", 1, Kind::Arith, "(($0) * rsqrt(dot(($0).xyz, ($0).xyz)))"},
    {"pow", 2, Kind::Arith, "(float4)pow(abs(#0), #1)"},
    {"sincos", 1, Kind::Arith, "float4(cos(#0), sin(#0), 0.0, 0.0)"},
    {"abs", 1, Kind::Arith, "abs($0)"},
    {"crs", 2, Kind::Arith, "float4(cross(($0).xyz, ($1).xyz), 0.0)"},
    {"sgn", 1, Kind::Arith, "sign($0)"},
    {"dsx", 1, Kind::Arith, "ddx($0)"},
    {"dsy", 1, Kind::Arith, "ddy($0)"},
    {"m4x4", 2, Kind::Matrix, "44"},
    {"m4x3", 2, Kind::Matrix, "43"},
    {"m3x4", 2, Kind::Matrix, "34"},
    {"m3x3", 2, Kind::Matrix, "33"},
    {"m3x2", 2, Kind::Matrix, "32"},
    {"rep", 1, Kind::Flow, "rep"},
    {"endrep", 0, Kind::Flow, "endrep"},
    {"loop", 2, Kind::Flow, "loop"},
    {"endloop", 0, Kind::Flow, "endloop"},
    {"if", 1, Kind::Flow, "if"},
    {"else", 0, Kind::Flow, "else"},
    {"endif", 0, Kind::Flow, "endif"},
    {"break", 0, Kind::Flow, "break"},
    {"breakp", 1, Kind::Flow, "breakp"},
    {"setp", 2, Kind::Flow, "setp"},
    {"texkill", 1, Kind::Texture, "texkill"},
    {"texld", 1, Kind::Texture, "texld"},
    {"texldp", 2, Kind::Texture, "texldp"},
    {"texldb", 2, Kind::Texture, "texldb"},
    {"texldl", 2, Kind::Texture, "texldl"},
    {"tex", 0, Kind::Texture, "tex"},
    {"texcoord", 0, Kind::Texture, "texcoord"},
    {"texcrd", 1, Kind::Texture, "texcrd"},
    {"texbem", 1, Kind::Texture, "texbem"},
    {"texbeml", 1, Kind::Texture, "texbeml"},
    {"bem", 2, Kind::Texture, "bem"},
    {"texreg2rgb", 1, Kind::Texture, "texreg2rgb"},
    {"texreg2ar", 1, Kind::Texture, "texreg2ar"},
    {"texreg2gb", 1, Kind::Texture, "texreg2gb"},
    {"texdp3", 1, Kind::Texture, "texdp3"},
    {"texdp3tex", 1, Kind::Texture, "texdp3tex"},
    {"texm3x2pad", 1, Kind::Texture, "pad"},
    {"texm3x3pad", 1, Kind::Texture, "pad"},
    {"texm3x2tex", 1, Kind::Texture, "texm3x2tex"},
    {"texm3x3tex", 1, Kind::Texture, "texm3x3tex"},
    {"texm3x3", 1, Kind::Texture, "texm3x3"},
    {"texm3x3vspec", 1, Kind::Texture, "texm3x3vspec"},
    {"texm3x3spec", 2, Kind::Texture, "texm3x3spec"},
    {"nop", 0, Kind::Nop, ""},
    {"phase", 0, Kind::Nop, ""},
    {"ret", 0, Kind::Nop, ""},
};

const char* comparison(const std::string& suffix) {
    static const char* const names[][2] = {{"gt", ">"}, {"lt", "<"}, {"ge", ">="}, {"le", "<="}, {"eq", "=="}, {"ne", "!="}};
    for (const auto& n : names)
        if (suffix == n[0]) return n[1];
    return nullptr;
}

std::string expand(Context& c, const char* text, const std::vector<std::string>& vec,
                   const std::vector<std::string>& one) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if ((*p == '$' || *p == '#') && p[1] >= '0' && p[1] <= '2') {
            std::size_t n = static_cast<std::size_t>(p[1] - '0');
            out += "(" + (*p == '$' ? vec[n] : one[n]) + ")";
            ++p;
        } else {
            out += *p;
        }
    }
    (void)c;
    return out;
}

std::string open(Context& c, const std::string& header, char kind) {
    c.line(header + " {");
    c.blocks.push_back(kind);
    ++c.depth;
    return {};
}

bool close(Context& c, char kind, const char* name) {
    if (c.blocks.empty() || c.blocks.back() != kind) return c.fail(std::string("'") + name + "' without its opening");
    c.blocks.pop_back();
    --c.depth;
    c.line(kind == 'l' ? "} }" : "}");
    return true;
}

bool insideLoop(const Context& c) {
    for (char b : c.blocks)
        if (b == 'l' || b == 'r') return true;
    return false;
}

bool flow(Context& c, const AsmInstruction& in, const std::string& tag, const std::vector<std::string>& one) {
    std::string cmp = in.modifiers.empty() ? "" : in.modifiers[0];
    const char* op = cmp.empty() ? nullptr : comparison(cmp);
    if (!cmp.empty() && !op) return c.fail("unknown comparison '_" + cmp + "'");
    if (tag == "rep" || tag == "loop" || tag == "if") {
        // D3D's limits (loops 4 deep, 24 blocks), which keep a broken file's GPU time bounded too.
        std::size_t loops = 0;
        for (char b : c.blocks) loops += b != 'i' ? 1 : 0;
        if (c.blocks.size() >= 24 || (tag != "if" && loops >= 4)) return c.fail("'" + tag + "' nested too deep");
    }
    // D3D runs a loop 255 times at most.
    if (tag == "rep" || tag == "loop") {
        const AsmOperand& counter = in.operands[tag == "rep" ? 0 : 1];
        if (counter.file != "i") return c.fail("'" + tag + "' counts with an i register");
        if (tag == "loop" && in.operands[0].file != "aL") return c.fail("'loop' takes aL first");
        std::string v;
        if (!source(c, counter, v)) return false;
        std::string n = std::to_string(++c.serial);
        if (tag == "rep") {
            open(c, "for (int gh_r" + n + " = 0; gh_r" + n + " < min(int((" + v + ").x), 255); ++gh_r" + n + ")", 'r');
            return true;
        }
        open(c, "{ int4 gh_i" + n + " = int4(" + v + "); int aL = gh_i" + n + ".y; for (int gh_r" + n + " = 0; gh_r" +
                    n + " < min(gh_i" + n + ".x, 255); ++gh_r" + n + ", aL += gh_i" + n + ".z)",
             'l');
        return true;
    }
    if (tag == "endrep") return close(c, 'r', "endrep");
    if (tag == "endloop") return close(c, 'l', "endloop");
    if (tag == "else") {
        if (c.blocks.empty() || c.blocks.back() != 'i') return c.fail("'else' without 'if'");
        --c.depth;
        c.line("} else {");
        ++c.depth;
        return true;
    }
    if (tag == "endif") return close(c, 'i', "endif");
    if (tag == "if") {
        const AsmOperand& a = in.operands[0];
        if (op) {
            if (in.operands.size() != 2) return c.fail("'if_" + cmp + "' compares two sources");
            open(c, "if (" + one[0] + " " + op + " " + one[1] + ")", 'i');
        } else if (a.file == "b") {
            open(c, "if (" + one[0] + (a.modifier == "not" ? " == 0.0)" : " != 0.0)"), 'i');
        } else if (a.file == "p") {
            std::string comp = a.swizzle.empty() ? "x" : a.swizzle.substr(0, 1);
            open(c, std::string("if (") + (a.modifier == "not" ? "!" : "") + "p0." + comp + ")", 'i');
        } else {
            return c.fail("'if' tests a b or p register, or compares with if_gt...");
        }
        return true;
    }
    if (tag == "break" || tag == "breakp") {
        if (!insideLoop(c)) return c.fail("'break' outside a loop");
        if (tag == "breakp") {
            const AsmOperand& a = in.operands[0];
            std::string comp = a.swizzle.empty() ? "x" : a.swizzle.substr(0, 1);
            c.line(std::string("if (") + (a.modifier == "not" ? "!" : "") + "p0." + comp + ") break;");
        } else if (op) {
            if (in.operands.size() != 2) return c.fail("'break_" + cmp + "' compares two sources");
            c.line("if (" + one[0] + " " + op + " " + one[1] + ") break;");
        } else {
            c.line("break;");
        }
        return true;
    }
    if (tag == "setp") {
        if (!op) return c.fail("'setp' needs a comparison (setp_gt...)");
        std::string name, mask;
        if (!destination(c, in.operands[0], name, mask)) return false;
        if (name != "p0") return c.fail("'setp' writes p0");
        std::string a, b;
        if (!source(c, in.operands[1], a) || !source(c, in.operands[2], b)) return false;
        c.line("p0." + mask + " = ((" + a + ") " + op + " (" + b + "))." + mask + ";");
        return true;
    }
    return c.fail("cannot translate '" + in.opcode + "'");
}

// The texture register an instruction of ps_1_1..1_3 writes.
bool stageOf(Context& c, const AsmInstruction& in, int& stage) {
    if (in.operands.empty() || in.operands[0].file != "t") return c.fail("'" + in.opcode + "' writes a t register");
    stage = in.operands[0].index;
    if (stage < 0 || stage >= 8) return c.fail("texture register out of range");
    return true;
}

bool texture(Context& c, const AsmInstruction& in, const std::string& tag, const std::vector<std::string>& vec) {
    if (tag == "texkill") {
        const AsmOperand& a = in.operands[0];
        std::string v;
        AsmOperand plain = a;
        plain.swizzle.clear();
        if (!source(c, plain, v)) return false;
        std::string mask = c.major == 1 ? "xyz" : a.swizzle.empty() ? "xyzw" : a.swizzle;
        c.line("clip((" + v + ")." + mask + ");");
        return true;
    }
    if (tag == "texld" || tag == "texldp" || tag == "texldb" || tag == "texldl") {
        if (c.major == 1) {
            // ps_1_4: texld rN, tM samples stage N.
            if (c.minor != 4 || in.operands.size() != 2) return c.fail("'texld' of ps_1_4 is texld rN, tM");
            std::string coords;
            if (!source(c, in.operands[1], coords)) return false;
            return write(c, in, sample(c, in.operands[0].index, coords));
        }
        if (in.operands.size() != 3 || in.operands[2].file != "s") return c.fail("'" + in.opcode + "' is " + in.opcode + " dst, coords, sN");
        int s = in.operands[2].index;
        if (s < 0 || s >= kAsmStageCount) return c.fail("sampler out of range");
        std::string how = tag == "texldp" ? "proj" : tag == "texldb" ? "bias" : tag == "texldl" ? "lod" : "";
        for (const std::string& m : in.modifiers)
            if (m == "p") how = "proj";
            else if (m == "b") how = "bias";
        return write(c, in, sample(c, s, vec[0], how));
    }
    if (tag == "texcrd") return write(c, in, "float4((" + vec[0] + ").xyz, 1.0)");
    if (tag == "bem") {  // ps_1_4: the bump matrix of the destination's stage applied to src1, added to src0
        c.usesBump = true;
        std::string m = std::string(kAsmBumpMatrix) + "[" + std::to_string(in.operands[0].index) + "]";
        return write(c, in, "float4((" + vec[0] + ").x + " + m + ".x * (" + vec[1] + ").x + " + m + ".z * (" + vec[1] +
                                ").y, (" + vec[0] + ").y + " + m + ".y * (" + vec[1] + ").x + " + m + ".w * (" +
                                vec[1] + ").y, 0.0, 0.0)");
    }
    int stage = 0;
    if (!stageOf(c, in, stage)) return false;
    std::string coords = texcoord(c, stage);
    if (tag == "tex") return write(c, in, sample(c, stage, coords));
    if (tag == "texcoord") return write(c, in, "saturate(float4((" + coords + ").xyz, 1.0))");
    const std::string& src = vec[0];
    if (tag == "texbem" || tag == "texbeml") {
        c.usesBump = true;
        std::string m = std::string(kAsmBumpMatrix) + "[" + std::to_string(stage) + "]";
        std::string texel = sample(c, stage, "float2((" + coords + ").x + " + m + ".x * (" + src + ").x + " + m +
                                                 ".z * (" + src + ").y, (" + coords + ").y + " + m + ".y * (" + src +
                                                 ").x + " + m + ".w * (" + src + ").y)");
        if (tag == "texbem") return write(c, in, texel);
        // texbeml scales the texel by the luminance the source's blue gives.
        std::string l = std::string(kAsmBumpLuminance) + "[" + std::to_string(stage) + "]";
        return write(c, in, texel + " * saturate((" + src + ").z * " + l + ".x + " + l + ".y)");
    }
    if (tag == "texreg2rgb") {  // red, green, blue as u, v, w
        sampler(c, stage, "3D");
        return write(c, in, sample(c, stage, "(" + src + ").xyz"));
    }
    if (tag == "texreg2ar") return write(c, in, sample(c, stage, "(" + src + ").wx"));
    if (tag == "texreg2gb") return write(c, in, sample(c, stage, "(" + src + ").yz"));
    std::string dot = "dot((" + coords + ").xyz, (" + src + ").xyz)";
    if (tag == "texdp3") return write(c, in, "(float4)" + dot);
    if (tag == "texdp3tex") return write(c, in, sample(c, stage, "float2(" + dot + ", 0.0)"));
    if (tag == "pad") {
        bool three = in.opcode == "texm3x3pad";
        if (c.padRegisters.size() >= (three ? 2u : 1u)) return c.fail("too many '" + in.opcode + "' in a row");
        c.line("gh_pad" + std::to_string(c.padRegisters.size()) + " = " + dot + ";");
        c.padRegisters.push_back(stage);
        return true;
    }
    bool two = tag == "texm3x2tex";
    if (c.padRegisters.size() != (two ? 1u : 2u)) return c.fail("'" + in.opcode + "' needs its texm3x" + (two ? "2" : "3") + "pad lines first");
    std::vector<int> pads = c.padRegisters;
    c.padRegisters.clear();
    if (two) return write(c, in, sample(c, stage, "float2(gh_pad0, " + dot + ")"));
    std::string n = "float3(gh_pad0, gh_pad1, " + dot + ")";
    if (tag == "texm3x3") return write(c, in, "float4(" + n + ", 1.0)");
    if (tag == "texm3x3tex") {
        sampler(c, stage, "CUBE");
        return write(c, in, sample(c, stage, n));
    }
    std::string eye;
    if (tag == "texm3x3spec") {
        eye = "(" + vec[1] + ").xyz";
    } else {
        eye = "float3(" + texcoord(c, pads[0]) + ".w, " + texcoord(c, pads[1]) + ".w, " + coords + ".w)";
    }
    // The eye vector reflected about the normal the three rows give.
    c.line("{ float3 gh_n = " + n + "; float3 gh_e = " + eye + ";");
    ++c.depth;
    sampler(c, stage, "CUBE");
    bool ok = write(c, in, sample(c, stage, "2.0 * gh_n * dot(gh_n, gh_e) / dot(gh_n, gh_n) - gh_e"));
    --c.depth;
    c.line("}");
    return ok;
}

}  // namespace

bool emitInstruction(Context& c, const AsmInstruction& in) {
    const Opcode* op = nullptr;
    for (const Opcode& o : kOpcodes)
        if (in.opcode == o.name) op = &o;
    if (!op) return c.fail("unknown or unsupported instruction '" + in.opcode + "'");
    // Texture instructions of ps_1_x list their destination too; others list it first.
    bool hasDestination = op->kind == Kind::Arith || op->kind == Kind::Matrix ||
                          (op->kind == Kind::Texture && in.opcode != "texkill") || in.opcode == "setp";
    std::size_t first = hasDestination ? 1 : 0;
    std::size_t want = first + static_cast<std::size_t>(op->sources);
    bool flexible = in.opcode == "sincos" || in.opcode == "if" || in.opcode == "break" || in.opcode == "texld" ||
                    in.opcode == "texm3x3spec";
    if (in.operands.size() != want && !(flexible && in.operands.size() >= want && in.operands.size() <= want + 2))
        return c.fail("'" + in.opcode + "' takes " + std::to_string(want) + " operand" + (want == 1 ? "" : "s") +
                      ", found " + std::to_string(in.operands.size()));
    if ((in.opcode.rfind("tex", 0) == 0 || in.opcode == "bem") && c.vertex && in.opcode != "texldl")
        return c.fail("'" + in.opcode + "' is a pixel shader instruction");
    std::vector<std::string> vec(3), one(3);
    for (std::size_t i = first; i < in.operands.size() && i - first < 3; ++i) {
        const AsmOperand& a = in.operands[i];
        if (a.file == "s" || (op->kind == Kind::Flow && (a.file == "aL" || a.file == "p"))) continue;
        if (op->kind == Kind::Flow && a.file == "i" && (in.opcode == "rep" || in.opcode == "loop")) continue;
        if (!source(c, a, vec[i - first]) || !scalar(c, a, one[i - first])) return false;
    }
    switch (op->kind) {
        case Kind::Nop: return true;
        case Kind::Flow: return flow(c, in, op->text, one);
        case Kind::Texture: return texture(c, in, op->text, vec);
        case Kind::Matrix: {
            int size = op->text[0] - '0', rows = op->text[1] - '0';
            std::string value = "float4(";
            for (int r = 0; r < 4; ++r) {
                AsmOperand row = in.operands[2];
                row.index += r;
                std::string v;
                if (r < rows && !source(c, row, v)) return false;
                std::string d = size == 4 ? "dot(" + vec[0] + ", " + v + ")"
                                          : "dot((" + vec[0] + ").xyz, (" + v + ").xyz)";
                value += (r ? ", " : "") + (r < rows ? d : std::string("0.0"));
            }
            return write(c, in, value + ")");
        }
        case Kind::Arith: {
            const char* text = !c.vertex && op->pixelText ? op->pixelText : op->text;
            return write(c, in, expand(c, text, vec, one));
        }
    }
    return false;
}

}  // namespace fx::asmx
