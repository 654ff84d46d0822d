// Shader assembly in an effect: `asm { }` blocks become generated HLSL entry points, the
// pass's shader-constant states fill their register files, and the pass's Texture[n],
// Sampler[n] and sampler states give their samplers.
#include "platform/d3dx9/effect/AsmShader.h"
#include "platform/d3dx9/effect/EffectSyntaxParser.h"

namespace fx {
namespace {

// The register files, in the order of the hidden parameters.
struct RegisterFile {
    const char* name;
    int count;
};
const RegisterFile kFiles[] = {{kAsmVertexFloats, kAsmVertexFloatCount}, {kAsmVertexInts, kAsmIntCount},
                               {kAsmVertexBools, kAsmBoolCount},         {kAsmPixelFloats, kAsmPixelFloatCount},
                               {kAsmPixelInts, kAsmIntCount},            {kAsmPixelBools, kAsmBoolCount},
                               {kAsmBumpMatrix, kAsmStageCount},         {kAsmBumpLuminance, kAsmStageCount}};
constexpr int kBumpMatrixFile = 6, kBumpLuminanceFile = 7;

// State name -> register file and the most registers it fills (0: any).
bool constantTarget(const std::string& name, int& file, int& most, int& component) {
    std::string n = name;
    component = -1;
    most = 0;
    static const char* const bump[] = {"BumpEnvMat00", "BumpEnvMat01", "BumpEnvMat10", "BumpEnvMat11"};
    for (int i = 0; i < 4; ++i)
        if (equalsIgnoreCase(n, bump[i])) {
            file = kBumpMatrixFile;
            component = i;
            return true;
        }
    if (equalsIgnoreCase(n, "BumpEnvLScale") || equalsIgnoreCase(n, "BumpEnvLOffset")) {
        file = kBumpLuminanceFile;
        component = equalsIgnoreCase(n, "BumpEnvLScale") ? 0 : 1;
        return true;
    }
    int base = -1;
    std::string rest;
    if (n.size() >= 20 && equalsIgnoreCase(n.substr(0, 20), "VertexShaderConstant")) {
        base = 0;
        rest = n.substr(20);
    } else if (n.size() >= 19 && equalsIgnoreCase(n.substr(0, 19), "PixelShaderConstant")) {
        base = 3;
        rest = n.substr(19);
    } else {
        return false;
    }
    if (rest.empty() || equalsIgnoreCase(rest, "F")) file = base;
    else if (equalsIgnoreCase(rest, "I")) file = base + 1;
    else if (equalsIgnoreCase(rest, "B")) file = base + 2;
    else if (rest.size() == 1 && rest[0] >= '1' && rest[0] <= '4') {
        file = base;
        most = rest[0] - '0';
    } else {
        return false;
    }
    return true;
}

std::string stripped(std::string v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '<' || v.front() == '(')) v.erase(0, 1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '>' || v.back() == ')')) v.pop_back();
    return v;
}

}  // namespace

bool EffectSyntaxParser::asmShader(std::size_t first, std::size_t last, bool vertex, ShaderBinding& out) {
    // asm { ... }: the braces are the tokens after `asm` and before the end.
    if (last < first + 3 || !isPunct(tokens_[first + 1], '{') || !isPunct(tokens_[last - 1], '}')) {
        fail(tokens_[first], "expected asm { ... }");
        return false;
    }
    const Token& open = tokens_[first + 1];
    const Token& close = tokens_[last - 1];
    std::string entry = "gh_asm" + std::to_string(asmEntries_.size() + 1);
    AsmOutput shader;
    AsmError error;
    if (!translateAsm(text_.substr(open.end, close.begin - open.end), open.line, vertex, entry, shader, error)) {
        Token at = open;
        at.line = error.line > 0 ? error.line : open.line;
        fail(at, error.message);
        return false;
    }
    asmRegisters_ = true;
    out_.generatedHlsl += shader.hlsl;
    asmEntries_.push_back({entry, shader.samplers});
    out.profile = shader.profile;
    out.function = out.entry = entry;
    out.line = tokens_[first].line;
    return true;
}

bool EffectSyntaxParser::shaderConstantState(PassDescription& pass, const Token& state, int index, std::size_t first,
                                             std::size_t last) {
    ShaderConstantState s;
    if (!constantTarget(state.text, s.target, s.maxRegisters, s.component)) return false;
    s.first = index;
    if (index >= kFiles[s.target].count) {
        fail(state, "register " + std::to_string(index) + " of '" + state.text + "' does not exist");
        return true;
    }
    std::string name = stripped(textOf(first, last));
    int parameter = out_.findParameter(name);
    if (parameter >= 0) {
        if (!out_.parameters[static_cast<std::size_t>(parameter)].isValue()) {
            fail(state, "'" + name + "' cannot set " + state.text);
            return true;
        }
        s.parameter = parameter;
    } else {
        // A value in angle brackets, `<0.25f * 0.75f>`, is an expression all the same.
        if (last - first >= 2 && isPunct(tokens_[first], '<') && isPunct(tokens_[last - 1], '>')) {
            ++first;
            --last;
        }
        ConstantValue v;
        std::size_t i = first;
        if (!evaluateInitializer(tokens_, i, last, constants_, v) || i != last || v.empty()) {
            fail(state, "invalid value for " + state.text);
            return true;
        }
        for (double d : v) s.values.push_back(static_cast<float>(d));
    }
    asmRegisters_ = true;
    pass.shaderConstants.push_back(s);
    // The luminance also stays a stage state: fixed-function bump mapping reads it there.
    return s.target != kBumpLuminanceFile;
}

void EffectSyntaxParser::bindAsmSamplers(const PassDescription& pass) {
    auto state = [&](const std::string& name, int stage) -> std::string {
        std::string key = name + "[" + std::to_string(stage) + "]";
        for (const DeviceState& s : pass.deviceStates)
            if (equalsIgnoreCase(s.name, key.c_str())) return stripped(s.written);
        return {};
    };
    std::vector<const std::string*> entries = {&pass.vertexEntry, &pass.pixelEntry};
    for (const ShaderChoice* choice : {&pass.vertexChoice, &pass.pixelChoice})
        for (const ShaderBinding& b : choice->shaders) entries.push_back(&b.entry);
    for (const std::string* entry : entries)
        for (const AsmEntry& a : asmEntries_) {
            if (a.entry != *entry) continue;
            for (int stage : a.samplers) {
                SamplerDescription d;
                d.name = a.entry + "_s" + std::to_string(stage);
                bool known = false;
                for (const SamplerDescription& s : out_.samplers) known = known || s.name == d.name;
                if (known) continue;  // a shader variable's block: its first pass decides
                std::string named = state("Sampler", stage);
                bool copied = false;
                for (const SamplerDescription& s : out_.samplers)
                    if (!named.empty() && s.name == named) {
                        d = s;
                        copied = true;
                    }
                d.name = a.entry + "_s" + std::to_string(stage);
                if (!copied) {
                    d.texture = state("Texture", stage);
                    DWORD v = 0;
                    if (stateValue(StateValueKind::Filter, state("MinFilter", stage), v)) d.minFilter = v;
                    if (stateValue(StateValueKind::Filter, state("MagFilter", stage), v)) d.magFilter = v;
                    if (stateValue(StateValueKind::Filter, state("MipFilter", stage), v)) d.mipFilter = v;
                    if (stateValue(StateValueKind::Address, state("AddressU", stage), v)) d.addressU = v;
                    if (stateValue(StateValueKind::Address, state("AddressV", stage), v)) d.addressV = v;
                    if (stateValue(StateValueKind::Address, state("AddressW", stage), v)) d.addressW = v;
                }
                d.line = pass.line;
                out_.samplers.push_back(d);
            }
        }
}

std::string EffectSyntaxParser::finishAsm() {
    if (!asmRegisters_) return {};
    out_.hiddenParameters = static_cast<int>(out_.parameters.size());
    std::string hlsl = "\n";
    for (const RegisterFile& f : kFiles) {
        Parameter p;
        p.name = f.name;
        p.typeName = "float4";
        p.cols = 4;
        p.arraySize = f.count;
        p.initial.assign(static_cast<std::size_t>(4 * f.count), 0u);
        out_.parameters.push_back(p);
        hlsl += "float4 " + std::string(f.name) + "[" + std::to_string(f.count) + "];\n";
    }
    for (TechniqueDescription& t : out_.techniques)
        for (PassDescription& pass : t.passes)
            for (ShaderConstantState& s : pass.shaderConstants) s.target += out_.hiddenParameters;
    return hlsl;
}

}  // namespace fx
