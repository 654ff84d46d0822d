// The values of a pass's states. A value that names no parameter folds when the effect
// loads; one that does is kept as an expression and evaluated each time the pass begins.
#include "platform/d3dx9/effect/DeviceStateTables.h"
#include "platform/d3dx9/effect/EffectSyntaxParser.h"

namespace fx {
namespace {

// Lights and world matrices a pass may address; the device's own limits.
constexpr int kStages = 8, kSamplerStages = 16, kLights = 256, kWorldMatrices = 256;

bool wrapped(const std::vector<Token>& t, std::size_t first, std::size_t last) {
    return last - first == 3 && ((isPunct(t[first], '<') && isPunct(t[last - 1], '>')) ||
                                 (isPunct(t[first], '(') && isPunct(t[last - 1], ')')));
}

}  // namespace

bool EffectSyntaxParser::namesParameter(std::size_t first, std::size_t last, const ValueNameFn& valueName) const {
    for (std::size_t i = first; i < last; ++i) {
        const Token& t = tokens_[i];
        if (t.kind != Tok::Ident || (i > first && isPunct(tokens_[i - 1], '.'))) continue;
        if (i + 1 < last && isPunct(tokens_[i + 1], '(')) continue;  // a function or a cast
        DWORD v = 0;
        if (valueName && valueName(t.text, v)) continue;
        if (out_.findParameter(t.text) >= 0) return true;
    }
    return false;
}

bool EffectSyntaxParser::readExpression(const Token& state, std::size_t first, std::size_t last,
                                        const ValueNameFn& valueName, StateExpression& out) {
    ExprNames names;
    names.parameter = [&](const std::string& n) {
        DWORD v = 0;
        return valueName && valueName(n, v) ? -1 : out_.findParameter(n);
    };
    names.constant = [&](const std::string& n, ConstantValue& v) {
        DWORD w = 0;
        if (valueName && valueName(n, w)) {
            v.assign(1, static_cast<double>(w));
            return true;
        }
        auto found = constants_.find(n);
        if (found == constants_.end()) return false;
        v = found->second;
        return true;
    };
    // <p> names a parameter as (p) does; inside, '>' is the comparison.
    if (last - first >= 3 && isPunct(tokens_[first], '<') && isPunct(tokens_[last - 1], '>')) {
        ++first;
        --last;
    }
    std::string error;
    if (!parseStateExpression(tokens_, first, last, out_.parameters, names, out, error)) {
        fail(state, "invalid value for " + state.text + ": " + error);
        return false;
    }
    return true;
}

bool EffectSyntaxParser::renderState(PassDescription& pass, const Token& state, const StateInfo& info,
                                     std::size_t first, std::size_t last) {
    StateAssignment a;
    a.state = static_cast<D3DRENDERSTATETYPE>(info.id);
    a.kind = info.kind;
    ValueNameFn names = [&](const std::string& w, DWORD& v) { return stateValue(info.kind, w, v); };
    // A parameter as the value: <name>, (name) or name.
    const Token* id = wrapped(tokens_, first, last) ? &tokens_[first + 1]
                      : last == first + 1          ? &tokens_[first]
                                                   : nullptr;
    DWORD constant = 0;
    std::vector<const Token*> value;
    for (std::size_t i = first; i < last; ++i) value.push_back(&tokens_[i]);
    if (id && id->kind == Tok::Ident && !stateValue(info.kind, id->text, constant) && out_.findParameter(id->text) >= 0) {
        int index = out_.findParameter(id->text);
        if (!out_.parameters[static_cast<std::size_t>(index)].isValue()) {
            fail(*id, "invalid value '" + id->text + "' for " + state.text);
            return false;
        }
        a.parameter = index;
    } else if (namesParameter(first, last, names)) {
        if (!readExpression(state, first, last, names, a.expression)) return false;
    } else if (!constantValue(info, value, a.value)) {
        fail(state, "invalid value for " + state.text);
        return false;
    }
    a.written = textOf(first, last);
    pass.states.push_back(std::move(a));
    return true;
}

// Names joined by '|' (`Texture | AlphaReplicate`), or a number; false when not that.
bool EffectSyntaxParser::namedWords(std::size_t first, std::size_t last, const ValueNameFn& valueName, DWORD& out) {
    out = 0;
    for (std::size_t i = first; i < last; i += 2) {
        const Token& t = tokens_[i];
        DWORD part = 0;
        double d = 0;
        if (t.kind == Tok::Number && parseNumber(t.text, d)) part = static_cast<DWORD>(static_cast<long long>(d));
        else if (t.kind != Tok::Ident || !valueName || !valueName(t.text, part)) return false;
        out |= part;
        if (i + 1 < last && !isPunct(tokens_[i + 1], '|')) return false;
        if (i + 1 == last - 1) return false;  // a trailing '|'
    }
    return last > first;
}

void EffectSyntaxParser::deviceState(PassDescription& pass, const Token& state, const DeviceStateInfo& info,
                                     bool indexed, int index, std::size_t first, std::size_t last) {
    DeviceState d;
    d.kind = info.kind;
    d.value = info.value;
    d.id = info.id;
    d.index = static_cast<DWORD>(index);
    d.line = state.line;
    d.name = info.name;
    if (info.indexed) d.name += "[" + std::to_string(index) + "]";
    d.written = textOf(first, last);
    if (indexed && !info.indexed) {
        fail(state, "'" + state.text + "' takes no index");
        return;
    }
    int limit = 0;
    switch (info.kind) {
        case DeviceStateKind::Stage: limit = kStages; break;
        case DeviceStateKind::Sampler:
        case DeviceStateKind::Texture:
        case DeviceStateKind::SamplerBlock: limit = kSamplerStages; break;
        case DeviceStateKind::Light:
        case DeviceStateKind::LightEnable: limit = kLights; break;
        case DeviceStateKind::Transform: limit = info.id == D3DTS_WORLD ? kWorldMatrices : info.indexed ? kStages : 1; break;
        case DeviceStateKind::ClipPlane: limit = 6; break;  // D3D9 devices have six
        default: limit = 1; break;
    }
    if (index >= limit) {
        fail(state, "index " + std::to_string(index) + " of '" + state.text + "' is out of range");
        return;
    }
    if (info.kind == DeviceStateKind::Transform)
        d.id = info.id == D3DTS_WORLD ? static_cast<DWORD>(D3DTS_WORLDMATRIX(static_cast<unsigned>(index)))
                                      : info.id + static_cast<DWORD>(index);
    if (info.kind == DeviceStateKind::Texture || info.kind == DeviceStateKind::SamplerBlock) {
        const Token* id = wrapped(tokens_, first, last) ? &tokens_[first + 1]
                          : last == first + 1          ? &tokens_[first]
                                                       : nullptr;
        bool texture = info.kind == DeviceStateKind::Texture;
        if (id && isWord(*id, "NULL")) {  // leaves the stage as it is
            pass.deviceStates.push_back(std::move(d));
            return;
        }
        if (!id || id->kind != Tok::Ident) {
            fail(state, std::string("expected ") + state.text + " = <" + (texture ? "texture" : "sampler") + ">");
            return;
        }
        if (texture) {
            int p = out_.findParameter(id->text);
            if (p < 0 || out_.parameters[static_cast<std::size_t>(p)].kind != ValueKind::Texture) {
                fail(*id, "'" + id->text + "' is not a texture");
                return;
            }
            d.parameter = p;
        } else {
            for (std::size_t s = 0; s < out_.samplers.size(); ++s)
                if (out_.samplers[s].name == id->text) d.parameter = static_cast<int>(s);
            if (d.parameter < 0) {
                fail(*id, "'" + id->text + "' is not a sampler");
                return;
            }
            const std::string& named = out_.samplers[static_cast<std::size_t>(d.parameter)].texture;
            if (!named.empty()) d.texture = out_.findParameter(named);
        }
        pass.deviceStates.push_back(std::move(d));
        return;
    }
    ValueNameFn names = [&](const std::string& w, DWORD& v) { return deviceValueName(info, w, v); };
    if (namesParameter(first, last, names)) {
        if (!readExpression(state, first, last, names, d.expression)) return;
        pass.deviceStates.push_back(std::move(d));
        return;
    }
    ConstantValue v;
    std::size_t i = first;
    bool words = d.value == DeviceValue::Dword || d.value == DeviceValue::Color;
    if (words && namedWords(first, last, names, d.word)) {
        d.constant.v[0] = static_cast<float>(d.word);
        d.constant.count = 1;
        d.constant.integer = true;
    } else if (evaluateInitializer(tokens_, i, last, constants_, v) && i == last && !v.empty()) {
        d.constant.count = static_cast<int>(std::min<std::size_t>(v.size(), kExprComponents));
        for (int k = 0; k < d.constant.count; ++k) d.constant.v[k] = static_cast<float>(v[static_cast<std::size_t>(k)]);
        d.word = static_cast<DWORD>(static_cast<long long>(v[0]));
    } else {
        // An expression of names alone: (Modulate), (Texture | Complement)...
        StateExpression e;
        if (!readExpression(state, first, last, names, e)) return;
        evaluateStateExpression(e, out_.parameters, nullptr, nullptr, d.constant);
        d.word = static_cast<DWORD>(static_cast<long long>(d.constant.v[0]));
    }
    pass.deviceStates.push_back(std::move(d));
}

}  // namespace fx
