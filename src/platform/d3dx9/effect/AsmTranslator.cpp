// Shader assembly to HLSL: the registers, the declarations and the function around the
// instructions that the opcode table emits.
#include <cctype>
#include <cstdio>
#include <sstream>

#include "platform/d3dx9/effect/AsmContext.h"

namespace fx {
namespace asmx {
namespace {

std::string number(double v) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.9g", v);
    std::string s = buffer;
    if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
    if (s == "inf" || s == "-inf" || s == "nan" || s == "-nan") s = s[0] == '-' ? "-1e38" : "1e38";
    return s;
}

}  // namespace

std::string vec4(const Literal& l) {
    return "float4(" + number(l.v[0]) + ", " + number(l.v[1]) + ", " + number(l.v[2]) + ", " + number(l.v[3]) + ")";
}

namespace {

bool inRange(Context& c, const AsmOperand& op, int count, const char* what) {
    if (op.index >= 0 && op.index < count) return true;
    return c.fail(std::string(what) + " " + op.file + std::to_string(op.index) + " does not exist in " +
                  (c.vertex ? "vs_" : "ps_") + std::to_string(c.major) + "_" + std::to_string(c.minor));
}

std::string relativeIndex(const AsmOperand& op) {
    std::string reg = op.relativeRegister == "aL" ? "aL" : op.relativeRegister;
    return reg + " + " + std::to_string(op.index);
}

// The register's value before modifiers.
bool registerValue(Context& c, const AsmOperand& op, std::string& out) {
    const std::string& f = op.file;
    if (f == "r") {
        if (!inRange(c, op, c.limits.temporaries, "temporary")) return false;
        out = "r" + std::to_string(op.index);
    } else if (f == "c") {
        int count = c.vertex ? kAsmVertexFloatCount : kAsmPixelFloatCount;
        const char* file = c.vertex ? kAsmVertexFloats : kAsmPixelFloats;
        if (op.relative) {
            // Out-of-range reads are undefined in D3D; here they stay inside the array.
            // With def values in the shader a local copy holds them (see the function head).
            c.relativeConstants = true;
            if (!c.floatDefs.empty()) file = "gh_c";
            out = std::string(file) + "[clamp(" + relativeIndex(op) + ", 0, " + std::to_string(count - 1) + ")]";
            return true;
        }
        if (!inRange(c, op, c.limits.floatConstants, "constant")) return false;
        auto def = c.floatDefs.find(op.index);
        out = def != c.floatDefs.end() ? vec4(def->second) : std::string(file) + "[" + std::to_string(op.index) + "]";
    } else if (f == "i" || f == "b") {
        if (!inRange(c, op, 16, f == "i" ? "integer constant" : "boolean constant")) return false;
        auto& defs = f == "i" ? c.intDefs : c.boolDefs;
        auto def = defs.find(op.index);
        const char* file = f == "i" ? (c.vertex ? kAsmVertexInts : kAsmPixelInts) : (c.vertex ? kAsmVertexBools : kAsmPixelBools);
        out = def != defs.end() ? vec4(def->second) : std::string(file) + "[" + std::to_string(op.index) + "]";
    } else if (f == "v") {
        if (!inRange(c, op, c.vertex ? 16 : (c.major >= 3 ? 10 : 2), "input")) return false;
        if (!c.vertex && c.major < 3) {
            c.inputs.emplace(op.index, "COLOR" + std::to_string(op.index));
        } else if (!c.inputs.count(op.index)) {
            return c.fail("input v" + std::to_string(op.index) + " is used without a dcl");
        }
        if (op.relative) return c.fail("relative addressing of inputs is not supported");
        out = "v" + std::to_string(op.index);
    } else if (f == "t" && !c.vertex) {
        if (!inRange(c, op, c.limits.textureRegisters, "texture register")) return false;
        // ps_1_1..1_3 keep texture results in t#; later models only read coordinates.
        if (c.major == 1 && c.minor <= 3) {
            c.texcoordInputs.insert(op.index);
            out = "t" + std::to_string(op.index);
        } else {
            out = texcoord(c, op.index);
        }
    } else if (f == "a" && c.vertex) {
        out = "float4(a0)";
    } else if (f == "aL") {
        out = "float4(aL, aL, aL, aL)";
    } else if (f == "p") {
        out = "float4(p0)";
    } else {
        return c.fail("register '" + f + std::to_string(op.index) + "' cannot be read here");
    }
    if (op.relative && f != "c") return c.fail("relative addressing is supported for constants only");
    return true;
}

}  // namespace

std::string texcoord(Context& c, int index) {
    c.texcoordInputs.insert(index);
    return "gh_in.t" + std::to_string(index);
}

bool source(Context& c, const AsmOperand& op, std::string& out) {
    std::string v;
    if (!registerValue(c, op, v)) return false;
    if (!op.swizzle.empty() && op.swizzle != "xyzw") {
        std::string s = op.swizzle;
        while (s.size() < 4) s += s.back();
        v = "(" + v + ")." + s;
    }
    const std::string& m = op.modifier;
    if (m == "bias") v = "(" + v + " - 0.5)";
    else if (m == "bx2") v = "(2.0 * (" + v + " - 0.5))";
    else if (m == "x2") v = "(2.0 * " + v + ")";
    else if (m == "bx4") v = "(4.0 * (" + v + " - 0.5))";
    else if (m == "comp") v = "(1.0 - " + v + ")";
    else if (m == "abs") v = "abs(" + v + ")";
    else if (m == "dz" || m == "db") v = "(" + v + " / (" + v + ").z)";
    else if (m == "dw" || m == "da") v = "(" + v + " / (" + v + ").w)";
    else if (m == "not") v = "(1.0 - (" + v + " != 0.0))";
    if (op.negate) v = "(-" + v + ")";
    out = v;
    return true;
}

bool scalar(Context& c, const AsmOperand& op, std::string& out) {
    AsmOperand whole = op;
    // Scalar operations read .w without a swizzle; b and i registers hold theirs in .x.
    char component = !op.swizzle.empty() ? op.swizzle[0] : op.file == "b" || op.file == "i" ? 'x' : 'w';
    whole.swizzle.clear();
    std::string v;
    if (!source(c, whole, v)) return false;
    out = "(" + v + ")." + std::string(1, component);
    return true;
}

bool destination(Context& c, const AsmOperand& op, std::string& name, std::string& mask) {
    mask = op.swizzle.empty() ? "xyzw" : op.swizzle;
    const char* order = "xyzw";
    std::size_t at = 0;
    for (char m : mask) {
        while (at < 4 && order[at] != m) ++at;
        if (at == 4) return c.fail("write mask '." + op.swizzle + "' is not in xyzw order");
        ++at;
    }
    if (op.negate || !op.modifier.empty() || op.relative) return c.fail("a destination takes no modifier");
    const std::string& f = op.file;
    std::string n = std::to_string(op.index);
    auto output = [&](const std::string& member, const std::string& decl) {
        c.outputDecls[member] = decl;
        name = "gh_o." + member;
        return true;
    };
    if (f == "r") return inRange(c, op, c.limits.temporaries, "temporary") && (name = "r" + n, true);
    if (f == "a" && c.vertex) return (name = "a0", true);
    if (f == "p") return (name = "p0", true);
    if (c.vertex) {
        if (f == "oPos") return output("oPos", "float4 oPos : POSITION");
        if (f == "oD") return inRange(c, op, 2, "output") && output("oD" + n, "float4 oD" + n + " : COLOR" + n);
        if (f == "oT") return inRange(c, op, 8, "output") && output("oT" + n, "float4 oT" + n + " : TEXCOORD" + n);
        if (f == "oFog") return output("oFog", "float4 oFog : FOG");
        if (f == "oPts") return output("oPts", "float4 oPts : PSIZE");
        if (f == "o" && c.major >= 3) {
            if (!inRange(c, op, 12, "output")) return false;
            auto found = c.outputs.find(op.index);
            if (found == c.outputs.end()) return c.fail("output o" + n + " is written without a dcl");
            return output("o" + n, "float4 o" + n + " : " + found->second);
        }
    } else {
        if (f == "oC" && c.major >= 2) return inRange(c, op, 4, "output") && output("oC" + n, "float4 oC" + n + " : COLOR" + n);
        if (f == "t" && c.major == 1 && c.minor <= 3) {
            if (!inRange(c, op, c.limits.textureRegisters, "texture register")) return false;
            c.texcoordInputs.insert(op.index);
            return (name = "t" + n, true);
        }
        if (f == "oDepth") return c.fail("writing oDepth is not supported");
    }
    return c.fail("register '" + f + (f.size() > 2 || f == "aL" ? "" : n) + "' cannot be written here");
}

bool write(Context& c, const AsmInstruction& in, const std::string& value) {
    std::string name, mask;
    if (in.operands.empty()) return c.fail("'" + in.opcode + "' needs a destination");
    if (!destination(c, in.operands[0], name, mask)) return false;
    std::string v = value;
    for (const std::string& m : in.modifiers) {
        if (m == "x2") v = "(" + v + ") * 2.0";
        else if (m == "x4") v = "(" + v + ") * 4.0";
        else if (m == "x8") v = "(" + v + ") * 8.0";
        else if (m == "d2") v = "(" + v + ") * 0.5";
        else if (m == "d4") v = "(" + v + ") * 0.25";
        else if (m == "d8") v = "(" + v + ") * 0.125";
    }
    for (const std::string& m : in.modifiers)
        if (m == "sat") v = "saturate(" + v + ")";
    // ps_1_x registers hold [-1, 1] (ps_1_4 [-8, 8]).
    if (c.pixel1x()) v = c.minor == 4 ? "clamp(" + v + ", -8.0, 8.0)" : "clamp(" + v + ", -1.0, 1.0)";
    if (name == "a0") {
        // vs_1_1 mov to a0 truncates towards -inf; mova rounds to nearest.
        v = in.opcode == "mova" ? "int4(floor(" + v + " + 0.5))" : "int4(floor(" + v + "))";
    } else if (name == "p0") {
        v = "(" + v + ") != 0.0";
    }
    if (in.predicated) {
        std::string p = in.predicate.swizzle.empty() ? mask : in.predicate.swizzle;
        while (p.size() < mask.size()) p += p.back();
        p = p.substr(0, mask.size());
        std::string q = std::string(in.predicate.modifier == "not" ? "!" : "") + "p0." + p;
        c.line("{ float4 gh_t = " + v + "; " + name + "." + mask + " = " + q + " ? gh_t." + mask + " : " + name + "." +
               mask + "; }");
        return true;
    }
    c.line(name + "." + mask + " = (" + v + ")." + mask + ";");
    return true;
}

std::string sampler(Context& c, int index, const std::string& type) {
    auto found = c.samplers.find(index);
    if (found == c.samplers.end()) c.samplers[index] = type;
    return c.entry + "_s" + std::to_string(index);
}

std::string sample(Context& c, int index, const std::string& coords, const std::string& how) {
    auto found = c.samplers.find(index);
    std::string type = found == c.samplers.end() ? "2D" : found->second;
    std::string s = sampler(c, index, type);
    std::string fn = "tex" + type + how;
    if (how == "proj" || how == "bias" || how == "lod") return fn + "(" + s + ", " + coords + ")";
    if (type == "2D") return fn + "(" + s + ", (" + coords + ").xy)";
    return fn + "(" + s + ", (" + coords + ").xyz)";
}

}  // namespace asmx

namespace {

bool declaration(asmx::Context& c, const AsmInstruction& in) {
    if (in.operands.size() != 1) return c.fail("dcl takes one register");
    const AsmOperand& op = in.operands[0];
    std::string usage = in.modifiers.empty() ? "" : in.modifiers[0];
    if (op.file == "s") {
        if (op.index < 0 || op.index >= kAsmStageCount) return c.fail("sampler s" + std::to_string(op.index) + " does not exist");
        std::string type = usage == "cube" ? "CUBE" : usage == "volume" ? "3D" : usage == "2d" || usage.empty() ? "2D" : "";
        if (type.empty()) return c.fail("unknown sampler type '" + usage + "'");
        c.samplers[op.index] = type;
        return true;
    }
    if ((op.file == "t" || op.file == "v") && !c.vertex && c.major < 3) return true;  // ps_2_x: inputs as named
    if (op.file == "vpos" || op.file == "vface") return c.fail("'" + op.file + "' is not supported");
    static const char* const usages[] = {"position", "blendweight", "blendindices", "normal", "psize",
                                         "texcoord", "tangent", "binormal", "tessfactor", "positiont",
                                         "color", "fog", "depth", "sample"};
    std::string base = usage;
    int index = 0;
    while (!base.empty() && std::isdigit(static_cast<unsigned char>(base.back()))) base.pop_back();
    if (base.size() < usage.size()) index = std::atoi(usage.c_str() + base.size());
    bool known = false;
    for (const char* u : usages) known = known || base == u;
    if (!known) return c.fail("unknown dcl usage '" + usage + "'");
    std::string semantic = base;
    for (char& ch : semantic) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (!(semantic == "POSITION" && index == 0)) semantic += std::to_string(index);
    if (op.index < 0 || op.index > 15) return c.fail("register number out of range in dcl");
    if (op.file == "v") c.inputs[op.index] = semantic;
    else if (op.file == "o" && c.vertex && c.major >= 3) c.outputs[op.index] = semantic;
    else return c.fail("dcl_" + usage + " cannot declare '" + op.file + std::to_string(op.index) + "'");
    return true;
}

bool definition(asmx::Context& c, const AsmInstruction& in) {
    if (in.operands.size() != 1 || in.operands[0].literalCount != (in.opcode == "defb" ? 1 : 4))
        return c.fail("'" + in.opcode + "' needs a register and " + (in.opcode == "defb" ? "one value" : "four values"));
    const AsmOperand& op = in.operands[0];
    const char* file = in.opcode == "def" ? "c" : in.opcode == "defi" ? "i" : "b";
    if (op.file != file) return c.fail("'" + in.opcode + "' defines " + file + " registers");
    int count = in.opcode != "def" ? 16 : c.limits.floatConstants;
    if (op.index >= count) return c.fail("constant " + std::string(file) + std::to_string(op.index) + " does not exist");
    asmx::Literal l;
    for (int i = 0; i < 4; ++i) l.v[i] = op.literal[i];
    (in.opcode == "def" ? c.floatDefs : in.opcode == "defi" ? c.intDefs : c.boolDefs)[op.index] = l;
    return true;
}

}  // namespace

bool translateAsm(const std::string& text, int firstLine, bool vertex, const std::string& entry, AsmOutput& out,
                  AsmError& error) {
    asmx::Context c;
    c.vertex = vertex;
    c.entry = entry;
    std::istringstream lines(text);
    std::string line;
    int number = firstLine - 1;
    bool haveVersion = false;
    std::vector<AsmInstruction> code;
    asmx::InstructionCount instructions;
    while (std::getline(lines, line)) {
        ++number;
        for (const char* comment : {"//", ";"}) {
            std::size_t at = line.find(comment);
            if (at != std::string::npos) line.erase(at);
        }
        bool blank = true;
        for (char ch : line) blank = blank && std::isspace(static_cast<unsigned char>(ch));
        if (blank) continue;
        AsmInstruction in;
        if (!parseAsmLine(line, number, in, error)) return false;
        c.error.line = number;
        if (in.opcode == "version") {
            const std::string& v = in.modifiers[0];
            bool isVertex = v[0] == 'v';
            c.major = v[3] - '0';
            c.minor = std::isdigit(static_cast<unsigned char>(v.back())) ? v.back() - '0' : 0;
            bool known = isVertex ? (c.major == 1 && c.minor == 1) || ((c.major == 2 || c.major == 3) && v.size() >= 6)
                                  : (c.major == 1 && c.minor >= 1 && c.minor <= 4) || c.major == 2 || c.major == 3;
            if (haveVersion || !known) {
                error = {number, haveVersion ? "a second version line" : "unknown shader version '" + v + "'"};
                return false;
            }
            if (isVertex != vertex) {
                error = {number, std::string("'") + v + "' is not a " + (vertex ? "vertex" : "pixel") + " shader"};
                return false;
            }
            out.profile = v;
            c.limits = asmx::profileLimits(v);
            instructions.start(v);
            haveVersion = true;
            continue;
        }
        if (!haveVersion) {
            error = {number, "the shader must begin with its version (vs_1_1, ps_2_0...)"};
            return false;
        }
        // Counted as read, so that a block of any length costs no more than its limit.
        const std::size_t start = line.find_first_not_of(" \t");
        std::string tooMany;
        if (!instructions.add(in, start != std::string::npos && line[start] == '+', tooMany)) {
            error = {number, tooMany};
            return false;
        }
        bool ok = in.opcode == "dcl" ? declaration(c, in)
                  : in.opcode.rfind("def", 0) == 0 && in.opcode.size() <= 4 ? definition(c, in)
                                                                           : (code.push_back(in), true);
        if (!ok) {
            error = {number, c.error.message};
            return false;
        }
    }
    if (!haveVersion) {
        error = {firstLine, "empty shader assembly block"};
        return false;
    }
    // Declarations may follow their first use in ps_1_x files; they are read first.
    for (const AsmInstruction& in : code) {
        c.error.line = in.line;
        if (!asmx::emitInstruction(c, in)) {
            error = {in.line, c.error.message.empty() ? "cannot translate '" + in.opcode + "'" : c.error.message};
            return false;
        }
    }
    if (c.depth != 1) {
        error = {number, "a loop or if block is not closed"};
        return false;
    }

    // The function around the body: inputs, registers, outputs.
    std::string in = "struct " + entry + "_in {\n", outs = "struct " + entry + "_out {\n", head;
    bool anyInput = false;
    for (const auto& [reg, semantic] : c.inputs) {
        in += "    float4 v" + std::to_string(reg) + " : " + semantic + ";\n";
        // ps_1_x .. ps_2_x colour inputs are clamped to [0, 1].
        head += "    float4 v" + std::to_string(reg) + " = " + (!vertex && c.major < 3 ? "saturate(gh_in.v" : "(gh_in.v") +
                std::to_string(reg) + ");\n";
        anyInput = true;
    }
    for (int t : c.texcoordInputs) {
        in += "    float4 t" + std::to_string(t) + " : TEXCOORD" + std::to_string(t) + ";\n";
        if (c.major == 1 && c.minor <= 3) head += "    float4 t" + std::to_string(t) + " = gh_in.t" + std::to_string(t) + ";\n";
        anyInput = true;
    }
    if (!anyInput) in += "    float4 gh_unused : TEXCOORD15;\n";
    in += "};\n";
    head += "    float4 r0 = 0";
    for (int r = 1; r < 32; ++r) head += ", r" + std::to_string(r) + " = 0";
    head += ";\n    int4 a0 = 0;\n    bool4 p0 = false;\n    float gh_pad0 = 0, gh_pad1 = 0;\n";
    if (c.relativeConstants && !c.floatDefs.empty()) {
        head += std::string("    float4 gh_c[") + std::to_string(vertex ? kAsmVertexFloatCount : kAsmPixelFloatCount) +
                "] = " + (vertex ? kAsmVertexFloats : kAsmPixelFloats) + ";\n";
        for (const auto& [reg, value] : c.floatDefs)
            head += "    gh_c[" + std::to_string(reg) + "] = " + asmx::vec4(value) + ";\n";
    }
    std::string tail;
    if (!vertex && c.major == 1) {
        c.outputDecls["oC0"] = "float4 oC0 : COLOR0";
        tail = "    gh_o.oC0 = r0;\n";
    }
    if (c.outputDecls.empty())
        c.outputDecls[vertex ? "oPos" : "oC0"] = vertex ? "float4 oPos : POSITION" : "float4 oC0 : COLOR0";
    for (const auto& [member, decl] : c.outputDecls) outs += "    " + decl + ";\n";
    outs += "};\n";
    std::string samplers;
    for (const auto& [index, type] : c.samplers) {
        samplers += "sampler" + type + " " + entry + "_s" + std::to_string(index) + ";\n";
        out.samplers.push_back(index);
    }
    out.vertex = vertex;
    out.usesBumpMatrix = c.usesBump;
    out.hlsl = "\n" + samplers + in + outs + entry + "_out " + entry + "(" + entry + "_in gh_in)\n{\n    " + entry +
               "_out gh_o = (" + entry + "_out)0;\n" + head + c.body + tail + "    return gh_o;\n}\n";
    return true;
}

}  // namespace fx
