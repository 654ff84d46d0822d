// sampler_state blocks, and the constant values of states.
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/d3dx9/effect/EffectSyntaxParser.h"

namespace fx {
namespace {

DWORD floatBits(double value) {
    // Out of float's range (or not a number) from a file: the largest float instead.
    const double limit = std::numeric_limits<float>::max();
    const float f = static_cast<float>(value >= -limit && value <= limit ? value : value < 0 ? -limit : limit);
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// A DWORD state from a file's number: out of range saturates, not a number is 0.
DWORD wordOf(double value) {
    if (!(value == value)) return 0;
    return static_cast<DWORD>(static_cast<long long>(std::clamp(value, -2147483648.0, 4294967295.0)));
}

}  // namespace

void EffectSyntaxParser::parseSampler() {
    const Token& name = next();
    if (name.kind != Tok::Ident) {
        fail(name, "expected a sampler name");
        return;
    }
    SamplerDescription s;
    s.name = name.text;
    s.line = name.line;
    std::vector<Annotation> annotations;
    while (ok_ && (isPunct(peek(), ':') || isPunct(peek(), '<'))) {
        if (isPunct(peek(), '<')) {
            parseAnnotations(annotations);
            continue;
        }
        ++pos_;  // a register binding is left to the compiler
        if (peek().kind == Tok::Ident) ++pos_;
        if (isPunct(peek(), '(')) skipGroup('(', ')');
    }
    // `= sampler_state { ... }`, or the block alone, which fxc takes as the same.
    if (ok_ && (isPunct(peek(), '=') || isPunct(peek(), '{'))) {
        const Token& eq = next();
        if (isPunct(eq, '=') && !isWord(peek(), "sampler_state")) {
            fail(peek(), "expected sampler_state after '=' for '" + s.name + "'");
            return;
        }
        if (isPunct(eq, '=')) ++pos_;
        if (isPunct(eq, '=') && !expect('{', "after sampler_state")) return;
        while (ok_ && !isPunct(peek(), '}')) samplerAssignment(s);
        if (!ok_) return;
        const Token& close = next();
        blank(eq.begin, close.end);
    }
    expect(';', "after the sampler '" + s.name + "'");
    out_.samplers.push_back(s);
}

void EffectSyntaxParser::samplerAssignment(SamplerDescription& s) {
    const Token& state = next();
    if (state.kind != Tok::Ident) {
        fail(state, state.kind == Tok::End ? "missing '}' after sampler_state"
                                           : "expected a sampler state, found '" + state.text + "'");
        return;
    }
    if (!expect('=', "after the sampler state")) return;
    std::vector<const Token*> value;
    int depth = 0;  // `BorderColor = {0, 0, 0, 1}` holds braces of its own
    while (peek().kind != Tok::End && !isPunct(peek(), ';') && !(depth == 0 && isPunct(peek(), '}'))) {
        if (isPunct(peek(), '{')) ++depth;
        if (isPunct(peek(), '}')) --depth;
        value.push_back(&next());
    }
    // The last state of a block may go without its ';', as D3DX takes it.
    if (!isPunct(peek(), '}') && !expect(';', "after the sampler state value")) return;
    // Direct3D 10's combined `Filter = MIN_MAG_MIP_LINEAR;`: D3DX 9 compiles files that carry
    // it, but a D3D9 sampler has no such state and the compiled effect keeps none, so the
    // sampler's own Min/Mag/MipFilter stay in force.
    if (equalsIgnoreCase(state.text, "Filter")) {
        if (value.size() != 1 || value[0]->kind != Tok::Ident) fail(state, "expected Filter = NAME");
        return;
    }
    if (equalsIgnoreCase(state.text, "Texture")) {
        // Texture = <tex>; or Texture = (tex); or Texture = tex; NULL leaves it unset.
        const Token* id = nullptr;
        if (value.size() == 3 && ((isPunct(*value[0], '<') && isPunct(*value[2], '>')) ||
                                  (isPunct(*value[0], '(') && isPunct(*value[2], ')'))))
            id = value[1];
        else if (value.size() == 1)
            id = value[0];
        if (id && isWord(*id, "NULL")) return;
        if (!id || id->kind != Tok::Ident) {
            fail(state, "expected Texture = <name>");
            return;
        }
        int index = out_.findParameter(id->text);
        if (index < 0 || out_.parameters[static_cast<std::size_t>(index)].kind != ValueKind::Texture) {
            fail(*id, "'" + id->text + "' is not a texture");
            return;
        }
        s.texture = id->text;
        return;
    }
    const StateInfo* info = findSamplerState(state.text);
    if (!info) {
        fail(state, "unknown sampler state '" + state.text + "'");
        return;
    }
    DWORD v = 0;
    if (!constantValue(*info, value, v)) {
        fail(state, "invalid value for sampler state '" + state.text + "'");
        return;
    }
    switch (info->id) {
        case D3DSAMP_ADDRESSU: s.addressU = v; break;
        case D3DSAMP_ADDRESSV: s.addressV = v; break;
        case D3DSAMP_ADDRESSW: s.addressW = v; break;
        case D3DSAMP_BORDERCOLOR: s.borderColor = v; break;
        case D3DSAMP_MAGFILTER: s.magFilter = v; break;
        case D3DSAMP_MINFILTER: s.minFilter = v; break;
        case D3DSAMP_MIPFILTER: s.mipFilter = v; break;
        case D3DSAMP_MIPMAPLODBIAS: s.mipLodBias = v; break;
        case D3DSAMP_MAXMIPLEVEL: s.maxMipLevel = v; break;
        case D3DSAMP_MAXANISOTROPY: s.maxAnisotropy = v; break;
        case D3DSAMP_SRGBTEXTURE: s.srgbTexture = v; break;
        default: break;
    }
}

// A constant state value: a name of the state's kind, a number, names joined by '|'
// (ColorWriteEnable = RED | GREEN), or a constant expression, which may name a
// parameter as <p> or (p) and then takes its initial value.
bool EffectSyntaxParser::constantValue(const StateInfo& info, const std::vector<const Token*>& value, DWORD& out) {
    if (value.empty()) return false;
    DWORD result = 0;
    bool named = true;
    for (std::size_t i = 0; i < value.size() && named; ++i) {
        const Token& t = *value[i];
        bool negative = false;
        const Token* v = &t;
        if (isPunct(t, '-') && i + 1 < value.size()) {
            negative = true;
            v = value[++i];
        }
        DWORD part = 0;
        if (v->kind == Tok::Number) {
            double d = 0;
            if (!parseNumber(v->text, d)) return false;
            if (negative) d = -d;
            part = info.kind == StateValueKind::Float ? floatBits(d) : wordOf(d);
        } else if (v->kind != Tok::Ident || !stateValue(info.kind, v->text, part)) {
            named = false;
            break;
        }
        result |= part;
        if (i + 1 < value.size()) {
            if (info.kind != StateValueKind::ColorMask || !isPunct(*value[i + 1], '|')) named = false;
            ++i;
        }
    }
    if (named) {
        out = result;
        return true;
    }
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < value.size(); ++i) {
        // <p> reads as (p) for the evaluator.
        Token t = *value[i];
        if (isPunct(t, '<') && i == 0) t.text = "(";
        if (isPunct(t, '>') && i + 1 == value.size() && isPunct(*value[0], '<')) t.text = ")";
        tokens.push_back(t);
    }
    tokens.push_back({Tok::End, "", 0, 0, 0});
    ConstantValue v;
    std::size_t i = 0;
    if (!evaluateInitializer(tokens, i, tokens.size() - 1, constants_, v) || i != tokens.size() - 1 || v.empty())
        return false;
    if (info.kind == StateValueKind::Color && v.size() == 4) {  // {r, g, b, a} from 0 to 1: a D3DCOLOR
        auto byte = [&](std::size_t i) { return static_cast<DWORD>(std::clamp(v[i], 0.0, 1.0) * 255.0 + 0.5); };
        out = (byte(3) << 24) | (byte(0) << 16) | (byte(1) << 8) | byte(2);
        return true;
    }
    out = info.kind == StateValueKind::Float ? floatBits(v[0]) : wordOf(v[0]);
    return true;
}

}  // namespace fx
