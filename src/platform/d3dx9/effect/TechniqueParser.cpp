// Techniques, passes and their state assignments, and shaders declared as variables.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/d3dx9/effect/DeviceStateTables.h"
#include "platform/d3dx9/effect/EffectSyntaxParser.h"

namespace fx {
namespace {

// The states an effect pass may assign besides the render states of StateTables and
// the two shaders. The device takes none of these from an effect; a pass that sets one
// is listed with it as ignored.
const char* const kOtherStates[] = {
    // render states of the fixed-function pipeline and of features GL does not share
    "ShadeMode", "Clipping", "PointSpriteEnable", "PointScaleEnable", "PointScale_A", "PointScale_B", "PointScale_C",
    "LastPixel", "AntialiasedLineEnable", "VertexBlend", "IndexedVertexBlendEnable", "TweenFactor",
    "SoftwareVertexProcessing", "Wrap0", "Wrap1", "Wrap2", "Wrap3", "Wrap4", "Wrap5", "Wrap6", "Wrap7", "Wrap8",
    "Wrap9",
    "Wrap10", "Wrap11", "Wrap12", "Wrap13", "Wrap14", "Wrap15", "PatchEdgeStyle", "PositionDegree",
    "NormalDegree", "MinTessellationLevel", "MaxTessellationLevel", "AdaptiveTess_X", "AdaptiveTess_Y",
    "AdaptiveTess_Z", "AdaptiveTess_W", "EnableAdaptiveTessellation", "DebugMonitorToken", "DepthBiasEnable",
    // texture stage states
    "BumpEnvMat00", "BumpEnvMat01", "BumpEnvMat10", "BumpEnvMat11",
    // sampler states of displacement maps
    "ElementIndex", "DMapOffset",
    // shader constants
    "VertexShaderConstant", "VertexShaderConstant1", "VertexShaderConstant2", "VertexShaderConstant3",
    "VertexShaderConstant4", "VertexShaderConstantF", "VertexShaderConstantB", "VertexShaderConstantI",
    "PixelShaderConstant", "PixelShaderConstant1", "PixelShaderConstant2", "PixelShaderConstant3",
    "PixelShaderConstant4", "PixelShaderConstantF", "PixelShaderConstantB", "PixelShaderConstantI"};

constexpr std::size_t kMostShaderPairs = 64;

bool isOtherState(const std::string& name) {
    std::string n = name;
    if (n.size() > 6 && equalsIgnoreCase(n.substr(0, 6), "D3DRS_")) n = n.substr(6);
    for (const char* s : kOtherStates)
        if (equalsIgnoreCase(n, s)) return true;
    return false;
}

}  // namespace

void EffectSyntaxParser::parseTechnique() {
    const Token& keyword = next();
    TechniqueDescription technique;
    technique.line = keyword.line;
    if (peek().kind == Tok::Ident) technique.name = next().text;
    if (isPunct(peek(), '<')) parseAnnotations(technique.annotations);
    if (!ok_ || !expect('{', "to open the technique")) return;
    while (ok_ && !isPunct(peek(), '}')) {
        if (!isWord(peek(), "pass")) {
            fail(peek(), peek().kind == Tok::End ? "missing '}' at the end of technique '" + technique.name + "'"
                                                 : "expected 'pass', found '" + peek().text + "'");
            return;
        }
        parsePass(technique);
    }
    if (!ok_) return;
    const Token& close = next();
    blank(keyword.begin, close.end);
    for (const TechniqueDescription& t : out_.techniques)
        if (!technique.name.empty() && t.name == technique.name) {
            fail(keyword, "redefinition of technique '" + technique.name + "'");
            return;
        }
    out_.techniques.push_back(std::move(technique));
}

void EffectSyntaxParser::parsePass(TechniqueDescription& technique) {
    const Token& keyword = next();
    PassDescription pass;
    pass.line = keyword.line;
    if (peek().kind == Tok::Ident) pass.name = next().text;
    if (isPunct(peek(), '<')) parseAnnotations(pass.annotations);
    if (!ok_ || !expect('{', "to open the pass")) return;
    while (ok_ && !isPunct(peek(), '}')) passAssignment(pass);
    if (!ok_) return;
    ++pos_;
    bindAsmSamplers(pass);
    technique.passes.push_back(std::move(pass));
}

void EffectSyntaxParser::passAssignment(PassDescription& pass) {
    const Token& state = next();
    if (state.kind != Tok::Ident) {
        fail(state, state.kind == Tok::End ? "missing '}' at the end of the pass"
                                           : "expected a state assignment, found '" + state.text + "'");
        return;
    }
    std::string indexText;
    if (isPunct(peek(), '[')) {
        std::size_t open = pos_;
        if (!skipGroup('[', ']')) return;
        ConstantValue v;
        std::size_t i = open + 1;
        if (!evaluateInitializer(tokens_, i, pos_ - 1, constants_, v) || i != pos_ - 1 || v.size() != 1 || v[0] < 0) {
            fail(state, "the index of '" + state.text + "' must be a constant");
            return;
        }
        indexText = "[" + std::to_string(static_cast<long long>(v[0])) + "]";
    }
    if (!expect('=', ("after '" + state.text + "'").c_str())) return;
    std::size_t first = pos_;
    while (peek().kind != Tok::End && !isPunct(peek(), ';') && !isPunct(peek(), '}')) {
        if (isPunct(peek(), '{')) {  // asm { ... } blocks
            if (!skipGroup('{', '}')) return;
        } else {
            ++pos_;
        }
    }
    std::size_t last = pos_;
    if (!isPunct(peek(), '}') && !expect(';', ("after the value of '" + state.text + "'").c_str())) return;

    bool vertex = equalsIgnoreCase(state.text, "VertexShader");
    if (indexText.empty() && (vertex || equalsIgnoreCase(state.text, "PixelShader"))) {
        shaderAssignment(pass, state, vertex, first, last);
        return;
    }
    const StateInfo* info = indexText.empty() ? findRenderState(state.text) : nullptr;
    if (info) {
        renderState(pass, state, *info, first, last);
        return;
    }
    int index = indexText.empty() ? 0 : std::atoi(indexText.c_str() + 1);
    if (shaderConstantState(pass, state, index, first, last)) return;
    if (const DeviceStateInfo* device = findDeviceState(state.text)) {
        deviceState(pass, state, *device, !indexText.empty(), index, first, last);
        return;
    }
    if (!isOtherState(state.text)) {
        fail(state, "unknown state '" + state.text + "'");
        return;
    }
    pass.ignored.push_back({state.text + indexText, textOf(first, last), state.line});
}

// compile PROFILE f(args)
bool EffectSyntaxParser::shaderValue(std::size_t first, std::size_t last, bool vertex, ShaderBinding& out,
                                     bool& isNull) {
    isNull = false;
    const char* kind = vertex ? "VertexShader" : "PixelShader";
    if (last == first + 1 && isWord(tokens_[first], "NULL")) {
        isNull = true;
        return true;
    }
    if (last - first >= 2 && isWord(tokens_[first], "asm")) return asmShader(first, last, vertex, out);
    if (last - first < 5 || !isWord(tokens_[first], "compile") || tokens_[first + 1].kind != Tok::Ident ||
        tokens_[first + 2].kind != Tok::Ident || !isPunct(tokens_[first + 3], '(') ||
        !isPunct(tokens_[last - 1], ')')) {
        fail(tokens_[first < last ? first : last], std::string("expected ") + kind + " = compile <profile> <function>(...)");
        return false;
    }
    const std::string& profile = tokens_[first + 1].text;
    bool profileOk = vertex ? profile.rfind("vs_", 0) == 0 : profile.rfind("ps_", 0) == 0;
    if (!profileOk) {
        fail(tokens_[first + 1], "'" + profile + "' is not a " + (vertex ? "vertex" : "pixel") + " shader profile");
        return false;
    }
    out.profile = profile;
    out.function = out.entry = tokens_[first + 2].text;
    out.line = tokens_[first + 2].line;
    int depth = 0;
    std::size_t start = first + 4;
    for (std::size_t i = first + 4; i < last; ++i) {
        const Token& t = tokens_[i];
        if (isPunct(t, '(') || isPunct(t, '[') || isPunct(t, '{')) ++depth;
        bool closing = isPunct(t, ')') || isPunct(t, ']') || isPunct(t, '}');
        if ((depth == 0 && isPunct(t, ',')) || (closing && depth == 0)) {
            if (i > start) out.arguments.push_back(textOf(start, i));
            start = i + 1;
        }
        if (closing) --depth;
    }
    return true;
}

bool EffectSyntaxParser::shaderAssignment(PassDescription& pass, const Token& state, bool vertex, std::size_t first,
                                          std::size_t last) {
    ShaderBinding binding;
    bool isNull = false;
    // A shader variable: <vs>, (vs), vs, or an element of an array: (shaders[i]).
    std::size_t a = first, b = last;
    if (b - a >= 3 && ((isPunct(tokens_[a], '<') && isPunct(tokens_[b - 1], '>')) ||
                       (isPunct(tokens_[a], '(') && isPunct(tokens_[b - 1], ')')))) {
        ++a;
        --b;
    }
    const ShaderVariable* variable = nullptr;
    if (b > a && tokens_[a].kind == Tok::Ident)
        for (const ShaderVariable& v : shaderVariables_)
            if (v.name == tokens_[a].text) variable = &v;
    if (variable) {
        std::size_t index = 0;
        if (b > a + 1) {
            ConstantValue v;
            std::size_t i = a + 2;
            if (!isPunct(tokens_[a + 1], '[') || !isPunct(tokens_[b - 1], ']') ||
                !evaluateInitializer(tokens_, i, b - 1, constants_, v) || i != b - 1 || v.size() != 1) {
                fail(tokens_[a], "expected " + variable->name + "[index]");
                return false;
            }
            // The index parameter's value when the effect is created picks the shader; an
            // index that names a parameter picks again each time the pass begins.
            index = v[0] < 0 ? 0 : static_cast<std::size_t>(v[0]);
            if (variable->vertex == vertex && namesParameter(a + 2, b - 1, nullptr)) {
                ShaderChoice& choice = vertex ? pass.vertexChoice : pass.pixelChoice;
                if (!readExpression(state, a + 2, b - 1, nullptr, choice.index)) return false;
                choice.shaders = variable->shaders;
                index = std::min(index, variable->shaders.size() - 1);
                // Each pair of a vertex and a pixel choice is a program of its own: keep
                // their number to what a file may sensibly ask for.
                const std::size_t pairs = std::max<std::size_t>(pass.vertexChoice.shaders.size(), 1) *
                                          std::max<std::size_t>(pass.pixelChoice.shaders.size(), 1);
                if (pairs > kMostShaderPairs) {
                    fail(state, "the pass picks from " + std::to_string(pairs) + " pairs of shaders; at most " +
                                    std::to_string(kMostShaderPairs) + " are compiled");
                    return false;
                }
            }
        }
        if (variable->vertex != vertex || index >= variable->shaders.size()) {
            fail(tokens_[a], "'" + variable->name + "' has no " + (vertex ? "vertex" : "pixel") + " shader there");
            return false;
        }
        binding = variable->shaders[index];
        isNull = binding.entry.empty();
    } else if (!shaderValue(first, last, vertex, binding, isNull)) {
        return false;
    }
    bool assembly = binding.function.rfind("gh_asm", 0) == 0;
    std::string shown = isNull ? "NULL" : assembly ? binding.profile + " asm" : binding.profile + " " + binding.function + "(";
    for (std::size_t i = 0; i < binding.arguments.size(); ++i) shown += (i ? ", " : "") + binding.arguments[i];
    if (!isNull && !assembly) shown += ")";
    if (!isNull && !binding.arguments.empty()) {
        std::string error;
        if (!bindShaderArguments(out_, binding, error)) {
            fail(tokens_[first], error);
            return false;
        }
    }
    (vertex ? pass.vertexShown : pass.pixelShown) = shown;
    (vertex ? pass.vertexProfile : pass.pixelProfile) = binding.profile;
    (vertex ? pass.vertexEntry : pass.pixelEntry) = isNull ? std::string() : binding.entry;
    (vertex ? pass.vertexLine : pass.pixelLine) = binding.line;
    return true;
}

// `VertexShader vs = compile vs_2_0 f();` or `PixelShader ps[2] = { compile ..., NULL };`
void EffectSyntaxParser::parseShaderVariable(const Token& first, const Token& type) {
    ShaderVariable v;
    v.vertex = isWord(type, "VertexShader");
    v.name = next().text;
    int count = 0;
    if (isPunct(peek(), '[')) {
        ++pos_;
        if (!arraySize(v.name, count)) return;
    }
    if (!expect('=', "after the shader '" + v.name + "'")) return;
    bool list = isPunct(peek(), '{');
    if (list) ++pos_;
    for (;;) {
        std::size_t start = pos_;
        int depth = 0;
        while (peek().kind != Tok::End) {
            const Token& t = peek();
            if (depth == 0 && (isPunct(t, ',') || isPunct(t, ';') || (list && isPunct(t, '}')))) break;
            if (isPunct(t, '(') || isPunct(t, '{')) ++depth;
            if (isPunct(t, ')') || isPunct(t, '}')) --depth;
            ++pos_;
        }
        ShaderBinding binding;
        bool isNull = false;
        if (!shaderValue(start, pos_, v.vertex, binding, isNull)) return;
        if (!isNull && !binding.arguments.empty()) {
            std::string error;
            if (!bindShaderArguments(out_, binding, error)) {
                fail(tokens_[start], error);
                return;
            }
        }
        v.shaders.push_back(binding);
        if (!list || !isPunct(peek(), ',')) break;
        ++pos_;
        if (isPunct(peek(), '}')) break;
    }
    if (list && !expect('}', "after the shaders of '" + v.name + "'")) return;
    if (!expect(';', "after the shader '" + v.name + "'")) return;
    if (count > 0 && static_cast<int>(v.shaders.size()) != count) {
        fail(first, "'" + v.name + "' holds " + std::to_string(v.shaders.size()) + " shaders, not " +
                        std::to_string(count));
        return;
    }
    blank(first.begin, tokens_[pos_ - 1].end);
    shaderVariables_.push_back(std::move(v));
}

}  // namespace fx
