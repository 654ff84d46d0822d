// Reads the effect syntax (parameters, textures, samplers, techniques, passes,
// annotations) out of preprocessed text and blanks it, so that what is left is plain
// HLSL for the shader compiler with every line where it was.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/d3dx9/effect/EffectDescription.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace fx {

int EffectDescription::findParameter(const std::string& name) const {
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (parameters[i].name == name) return static_cast<int>(i);
    return -1;
}

namespace {

enum class Tok { Ident, Number, String, Punct, End };

struct Token {
    Tok kind;
    std::string text;
    int line;
    std::size_t begin, end;  // byte range in the text
};

std::vector<Token> tokenize(const std::string& s) {
    std::vector<Token> out;
    int line = 1;
    std::size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\n') {
            ++line;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        std::size_t b = i;
        Tok kind = Tok::Punct;
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_')) ++i;
            kind = Tok::Ident;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            while (i < s.size()) {
                char d = s[i];
                if ((d == '+' || d == '-') && (s[i - 1] == 'e' || s[i - 1] == 'E') &&
                    !(s[b] == '0' && b + 1 < s.size() && (s[b + 1] == 'x' || s[b + 1] == 'X'))) {
                    ++i;
                    continue;
                }
                if (!(std::isalnum(static_cast<unsigned char>(d)) || d == '.')) break;
                ++i;
            }
            kind = Tok::Number;
        } else if (c == '"') {
            ++i;
            while (i < s.size() && s[i] != '"' && s[i] != '\n') {
                if (s[i] == '\\') ++i;
                ++i;
            }
            if (i < s.size() && s[i] == '"') ++i;
            kind = Tok::String;
        } else {
            ++i;
        }
        out.push_back({kind, s.substr(b, i - b), line, b, i});
    }
    // The end of the file is on the last line that has text.
    int lastLine = !s.empty() && s.back() == '\n' ? line - 1 : line;
    out.push_back({Tok::End, "", lastLine < 1 ? 1 : lastLine, s.size(), s.size()});
    return out;
}

// A numeric literal: decimal or float with an optional suffix (1.5f, 2h, 3u), or hex.
bool number(const std::string& text, double& value) {
    std::string s = text;
    char* e = nullptr;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        while (!s.empty() && (s.back() == 'u' || s.back() == 'U' || s.back() == 'l' || s.back() == 'L')) s.pop_back();
        value = static_cast<double>(std::strtoul(s.c_str(), &e, 16));
    } else {
        while (!s.empty() && std::strchr("fFhHuUlL", s.back())) s.pop_back();
        value = std::strtod(s.c_str(), &e);
    }
    return e != s.c_str() && *e == '\0';
}

bool isWord(const Token& t, const char* w) { return t.kind == Tok::Ident && equalsIgnoreCase(t.text, w); }
bool isPunct(const Token& t, char c) { return t.kind == Tok::Punct && t.text[0] == c; }

// Parses a value type name ("float", "float3", "float4x4", "half2", "int", "bool",
// "matrix", "vector").
bool valueType(const std::string& name, ValueKind& kind, int& rows, int& cols) {
    std::string base;
    std::size_t i = 0;
    while (i < name.size() && std::isalpha(static_cast<unsigned char>(name[i]))) base += name[i++];
    std::string dims = name.substr(i);
    rows = cols = 1;
    if (name == "matrix") {
        kind = ValueKind::Float;
        rows = cols = 4;
        return true;
    }
    if (name == "vector") {
        kind = ValueKind::Float;
        cols = 4;
        return true;
    }
    if (base == "float" || base == "half" || base == "min16float") kind = ValueKind::Float;
    else if (base == "int" || base == "uint" || base == "dword") kind = ValueKind::Int;
    else if (base == "bool") kind = ValueKind::Bool;
    else return false;
    if (dims.empty()) return true;
    if (dims.size() == 1 && dims[0] >= '1' && dims[0] <= '4') {
        cols = dims[0] - '0';
        return true;
    }
    if (dims.size() == 3 && dims[1] == 'x' && dims[0] >= '1' && dims[0] <= '4' && dims[2] >= '1' &&
        dims[2] <= '4') {
        rows = dims[0] - '0';
        cols = dims[2] - '0';
        return true;
    }
    return false;
}

// States of the fixed-function pipeline that mean nothing once both shaders are given;
// effects often set them anyway, so they are accepted and left alone.
bool isFixedFunctionState(const std::string& name) {
    static const char* const names[] = {"Lighting", "SpecularEnable", "FogEnable", "ShadeMode", "ColorVertex",
                                        "NormalizeNormals", "LocalViewer", "Clipping", "PointSpriteEnable",
                                        "MultiSampleAntialias", "LastPixel", "AntialiasedLineEnable"};
    for (const char* n : names)
        if (equalsIgnoreCase(name, n)) return true;
    return false;
}

bool isTextureType(const std::string& t) {
    return equalsIgnoreCase(t, "texture") || equalsIgnoreCase(t, "texture1D") ||
           equalsIgnoreCase(t, "texture2D") || equalsIgnoreCase(t, "texture3D") ||
           equalsIgnoreCase(t, "textureCUBE");
}

bool isSamplerType(const std::string& t) {
    return t == "sampler" || t == "sampler1D" || t == "sampler2D" || t == "sampler3D" ||
           t == "samplerCUBE";
}

class Parser {
public:
    Parser(const std::string& text, EffectDescription& out, ParseError& error)
        : text_(text), tokens_(tokenize(text)), out_(out), error_(error) {}

    bool run() {
        while (ok_ && peek().kind != Tok::End) {
            const Token& t = peek();
            if (isPunct(t, ';')) {
                ++pos_;
            } else if (isWord(t, "technique") || isWord(t, "technique9")) {
                parseTechnique();
            } else if (t.kind == Tok::Ident && (t.text == "struct" || t.text == "typedef")) {
                skipStatement();
            } else if (t.kind == Tok::Ident) {
                parseDeclaration();
            } else {
                fail(t, "unexpected '" + t.text + "'");
            }
        }
        if (!ok_) return false;
        out_.hlsl = applyEdits();
        return true;
    }

private:
    struct Edit {
        std::size_t begin, end;
        std::string replacement;  // used when `blank` is false
        bool blank;
    };

    const Token& peek(std::size_t ahead = 0) const {
        std::size_t i = pos_ + ahead;
        return i < tokens_.size() ? tokens_[i] : tokens_.back();
    }
    const Token& next() {
        const Token& t = peek();
        if (pos_ < tokens_.size() - 1) ++pos_;
        return t;
    }
    void fail(const Token& t, const std::string& message) {
        if (!ok_) return;
        ok_ = false;
        error_.line = t.line;
        error_.message = message;
    }
    bool expect(char c, const std::string& what) {
        if (isPunct(peek(), c)) {
            ++pos_;
            return true;
        }
        fail(peek(), std::string("expected '") + c + "' " + what +
                         (peek().kind == Tok::End ? " at end of file" : ", found '" + peek().text + "'"));
        return false;
    }
    void blank(std::size_t begin, std::size_t end) { edits_.push_back({begin, end, {}, true}); }

    std::string applyEdits() {
        std::string out;
        std::size_t cursor = 0;
        std::sort(edits_.begin(), edits_.end(), [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
        for (const Edit& e : edits_) {
            if (e.begin < cursor) continue;  // nested in an earlier blanked range
            out.append(text_, cursor, e.begin - cursor);
            if (e.blank) {
                for (std::size_t i = e.begin; i < e.end; ++i) out += text_[i] == '\n' ? '\n' : ' ';
            } else {
                out += e.replacement;
            }
            cursor = e.end;
        }
        out.append(text_, cursor, std::string::npos);
        return out;
    }

    // Skips a balanced group starting at the current open bracket; returns false at end.
    bool skipGroup(char open, char close) {
        int depth = 0;
        const Token& start = peek();
        while (peek().kind != Tok::End) {
            const Token& t = next();
            if (isPunct(t, open)) ++depth;
            if (isPunct(t, close) && --depth == 0) return true;
        }
        fail(start, std::string("missing '") + close + "'");
        return false;
    }

    void skipStatement() {
        while (ok_ && peek().kind != Tok::End) {
            if (isPunct(peek(), '{')) {
                skipGroup('{', '}');
                continue;
            }
            if (isPunct(next(), ';')) return;
        }
    }

    // Annotations: `< string UIName = "x"; float UIMin = 0; >`, blanked.
    void skipAnnotation() {
        const Token& open = next();
        while (ok_) {
            const Token& t = next();
            if (t.kind == Tok::End) {
                fail(open, "missing '>' after annotation");
                return;
            }
            if (isPunct(t, '>')) {
                blank(open.begin, t.end);
                return;
            }
        }
    }

    // ---- global declarations --------------------------------------------------------
    void parseDeclaration() {
        const Token& first = peek();
        bool isStatic = false, isConst = false;
        static const char* const modifiers[] = {"uniform", "static", "const", "extern", "shared",
                                                "volatile", "row_major", "column_major", "inline",
                                                "precise"};
        for (;;) {
            const Token& t = peek();
            bool matched = false;
            for (const char* m : modifiers)
                if (t.kind == Tok::Ident && t.text == m) matched = true;
            if (!matched) break;
            if (t.text == "static") isStatic = true;
            if (t.text == "const") isConst = true;
            ++pos_;
        }
        const Token& type = next();
        if (type.kind != Tok::Ident) {
            fail(type, "expected a type, found '" + type.text + "'");
            return;
        }
        if (peek().kind != Tok::Ident) {
            fail(peek(), "expected a name after '" + type.text + "'");
            return;
        }
        if (isPunct(peek(1), '(')) {  // a function
            ++pos_;
            if (!skipGroup('(', ')')) return;
            while (ok_ && peek().kind != Tok::End && !isPunct(peek(), '{') && !isPunct(peek(), ';')) ++pos_;
            if (isPunct(peek(), ';'))
                ++pos_;
            else
                skipGroup('{', '}');
            return;
        }
        if (isTextureType(type.text)) {
            parseTexture(first);
            return;
        }
        if (type.text == "string") {  // tool metadata: nothing a shader reads
            while (ok_ && !isPunct(peek(), ';')) {
                if (peek().kind == Tok::End) {
                    fail(type, "expected ';' after the string declaration");
                    return;
                }
                if (isPunct(peek(), '<')) skipAnnotation(); else ++pos_;
            }
            blank(first.begin, next().end);
            return;
        }
        if (isSamplerType(type.text)) {
            if (type.text == "sampler") edits_.push_back({type.begin, type.end, "sampler2D", false});
            parseSampler();
            return;
        }
        ValueKind kind;
        int rows, cols;
        bool value = valueType(type.text, kind, rows, cols);
        bool parameter = value && !isStatic && !isConst;
        for (;;) {
            const Token& name = next();
            if (name.kind != Tok::Ident) {
                fail(name, "expected a name, found '" + name.text + "'");
                return;
            }
            Parameter p;
            p.name = name.text;
            p.kind = kind;
            p.rows = rows;
            p.cols = cols;
            p.typeName = type.text;
            p.line = name.line;
            if (isPunct(peek(), '[')) {
                ++pos_;
                const Token& n = next();
                char* end = nullptr;
                long size = n.kind == Tok::Number ? std::strtol(n.text.c_str(), &end, 0) : 0;
                if (size <= 0 || size > 4096) {
                    fail(n, "array size of '" + p.name + "' must be a positive number");
                    return;
                }
                p.arraySize = static_cast<int>(size);
                if (!expect(']', "after the array size")) return;
            }
            while (ok_ && (isPunct(peek(), ':') || isPunct(peek(), '<'))) {
                if (isPunct(peek(), '<')) {
                    skipAnnotation();
                    continue;
                }
                const Token& colon = next();
                const Token& sem = next();
                if (sem.kind != Tok::Ident) {
                    fail(sem, "expected a semantic after ':'");
                    return;
                }
                if (sem.text == "register" || sem.text == "packoffset") {
                    if (!isPunct(peek(), '(')) {
                        fail(peek(), "expected '(' after " + sem.text);
                        return;
                    }
                    skipGroup('(', ')');
                    if (parameter) blank(colon.begin, peek().begin);
                } else {
                    p.semantic = sem.text;
                    if (parameter) blank(colon.begin, sem.end);
                }
            }
            if (isPunct(peek(), '=')) {
                const Token& eq = next();
                std::size_t start = pos_;
                int depth = 0;
                while (peek().kind != Tok::End) {
                    const Token& t = peek();
                    if (depth == 0 && (isPunct(t, ',') || isPunct(t, ';'))) break;
                    if (isPunct(t, '(') || isPunct(t, '{')) ++depth;
                    if (isPunct(t, ')') || isPunct(t, '}')) --depth;
                    ++pos_;
                }
                if (parameter) {
                    std::vector<double> values;
                    std::size_t i = start;
                    if (!initializer(i, pos_, values) || i != pos_) {
                        fail(eq, "cannot evaluate the initial value of '" + p.name + "'");
                        return;
                    }
                    fillInitial(p, values);
                    blank(eq.begin, tokens_[pos_ - 1].end);
                }
            }
            if (parameter) {
                if (p.initial.empty()) p.initial.assign(static_cast<std::size_t>(p.wordCount()), 0u);
                addParameter(p, name);
            }
            if (isPunct(peek(), ',')) {
                ++pos_;
                continue;
            }
            expect(';', "after the declaration of '" + p.name + "'");
            return;
        }
    }

    void addParameter(const Parameter& p, const Token& at) {
        if (out_.findParameter(p.name) >= 0) {
            fail(at, "redefinition of '" + p.name + "'");
            return;
        }
        out_.parameters.push_back(p);
    }

    static void fillInitial(Parameter& p, const std::vector<double>& values) {
        std::size_t n = static_cast<std::size_t>(p.wordCount());
        p.initial.assign(n, 0u);
        for (std::size_t i = 0; i < n; ++i) {
            if (values.empty()) break;
            // A single value fills every component, as `float4 c = 1;` does.
            double v = values.size() == 1 ? values[0] : (i < values.size() ? values[i] : 0.0);
            std::uint32_t w = 0;
            if (p.kind == ValueKind::Float) {
                float f = static_cast<float>(v);
                std::memcpy(&w, &f, 4);
            } else if (p.kind == ValueKind::Int) {
                w = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
            } else {
                w = v != 0.0 ? 1u : 0u;
            }
            p.initial[i] = w;
        }
    }

    // initializer := '{' items '}' | type '(' items ')' | expression
    bool initializer(std::size_t& i, std::size_t end, std::vector<double>& values) {
        if (i >= end) return false;
        const Token& t = tokens_[i];
        if (isPunct(t, '{')) {
            ++i;
            return items(i, end, '}', values);
        }
        ValueKind k;
        int r, c;
        if (t.kind == Tok::Ident && valueType(t.text, k, r, c) && i + 1 < end && isPunct(tokens_[i + 1], '(')) {
            i += 2;
            return items(i, end, ')', values);
        }
        double v;
        if (!expression(i, end, v)) return false;
        values.push_back(v);
        return true;
    }
    bool items(std::size_t& i, std::size_t end, char close, std::vector<double>& values) {
        for (;;) {
            if (i < end && isPunct(tokens_[i], close)) {
                ++i;
                return true;
            }
            if (!initializer(i, end, values)) return false;
            if (i < end && isPunct(tokens_[i], ',')) ++i;
        }
    }
    bool expression(std::size_t& i, std::size_t end, double& v) {
        if (!term(i, end, v)) return false;
        while (i < end && (isPunct(tokens_[i], '+') || isPunct(tokens_[i], '-'))) {
            char op = tokens_[i++].text[0];
            double r;
            if (!term(i, end, r)) return false;
            v = op == '+' ? v + r : v - r;
        }
        return true;
    }
    bool term(std::size_t& i, std::size_t end, double& v) {
        if (!unary(i, end, v)) return false;
        while (i < end && (isPunct(tokens_[i], '*') || isPunct(tokens_[i], '/'))) {
            char op = tokens_[i++].text[0];
            double r;
            if (!unary(i, end, r)) return false;
            v = op == '*' ? v * r : v / r;
        }
        return true;
    }
    bool unary(std::size_t& i, std::size_t end, double& v) {
        if (i >= end) return false;
        const Token& t = tokens_[i];
        if (isPunct(t, '-') || isPunct(t, '+')) {
            ++i;
            if (!unary(i, end, v)) return false;
            if (t.text[0] == '-') v = -v;
            return true;
        }
        if (isPunct(t, '(')) {
            ++i;
            if (!expression(i, end, v)) return false;
            if (i >= end || !isPunct(tokens_[i], ')')) return false;
            ++i;
            return true;
        }
        if (t.kind == Tok::Ident && (t.text == "true" || t.text == "false")) {
            v = t.text == "true" ? 1.0 : 0.0;
            ++i;
            return true;
        }
        if (t.kind == Tok::Number) {
            if (!number(t.text, v)) return false;
            ++i;
            return true;
        }
        return false;
    }

    void parseTexture(const Token& first) {
        const Token& name = next();
        Parameter p;
        p.name = name.text;
        p.kind = ValueKind::Texture;
        p.line = name.line;
        p.typeName = tokens_[pos_ - 2].text;
        while (ok_ && !isPunct(peek(), ';')) {
            if (peek().kind == Tok::End) {
                fail(name, "expected ';' after the texture '" + p.name + "'");
                return;
            }
            if (isPunct(peek(), '<')) {
                skipAnnotation();
            } else if (isPunct(peek(), ':')) {
                ++pos_;
                if (peek().kind == Tok::Ident) p.semantic = next().text;
            } else if (isPunct(peek(), '{') || isPunct(peek(), '(')) {
                skipGroup(peek().text[0], peek().text[0] == '{' ? '}' : ')');
            } else {
                ++pos_;
            }
        }
        const Token& semi = next();
        addParameter(p, name);
        blank(first.begin, semi.end);
    }

    void parseSampler() {
        const Token& name = next();
        if (name.kind != Tok::Ident) {
            fail(name, "expected a sampler name");
            return;
        }
        SamplerDescription s;
        s.name = name.text;
        s.line = name.line;
        while (ok_ && (isPunct(peek(), ':') || isPunct(peek(), '<'))) {
            if (isPunct(peek(), '<')) {
                skipAnnotation();
                continue;
            }
            ++pos_;  // a register binding is left to the compiler
            if (peek().kind == Tok::Ident) ++pos_;
            if (isPunct(peek(), '(')) skipGroup('(', ')');
        }
        if (isPunct(peek(), '=')) {
            const Token& eq = next();
            if (!isWord(peek(), "sampler_state")) {
                fail(peek(), "expected sampler_state after '=' for '" + s.name + "'");
                return;
            }
            ++pos_;
            if (!expect('{', "after sampler_state")) return;
            while (ok_ && !isPunct(peek(), '}')) samplerAssignment(s);
            const Token& close = next();
            blank(eq.begin, close.end);
        }
        expect(';', "after the sampler '" + s.name + "'");
        out_.samplers.push_back(s);
    }

    void samplerAssignment(SamplerDescription& s) {
        const Token& state = next();
        if (state.kind != Tok::Ident) {
            fail(state, state.kind == Tok::End ? "missing '}' after sampler_state"
                                               : "expected a sampler state, found '" + state.text + "'");
            return;
        }
        if (!expect('=', "after the sampler state")) return;
        std::vector<const Token*> value;
        while (peek().kind != Tok::End && !isPunct(peek(), ';')) value.push_back(&next());
        if (!expect(';', "after the sampler state value")) return;
        if (equalsIgnoreCase(state.text, "Texture")) {
            // Texture = <tex>; or Texture = (tex); or Texture = tex;
            const Token* id = nullptr;
            if (value.size() == 3 && ((isPunct(*value[0], '<') && isPunct(*value[2], '>')) ||
                                      (isPunct(*value[0], '(') && isPunct(*value[2], ')'))))
                id = value[1];
            else if (value.size() == 1)
                id = value[0];
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
            default: break;
        }
    }

    // A constant state value: a name of the state's kind, a number, or names joined by
    // '|' (ColorWriteEnable = RED | GREEN).
    bool constantValue(const StateInfo& info, const std::vector<const Token*>& value, DWORD& out) {
        if (value.empty()) return false;
        DWORD result = 0;
        for (std::size_t i = 0; i < value.size(); ++i) {
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
                if (!number(v->text, d)) return false;
                if (negative) d = -d;
                part = static_cast<DWORD>(static_cast<long long>(d));
            } else if (v->kind == Tok::Ident) {
                if (!stateValue(info.kind, v->text, part)) return false;
            } else {
                return false;
            }
            result |= part;
            if (i + 1 < value.size()) {
                if (info.kind != StateValueKind::ColorMask || !isPunct(*value[i + 1], '|')) return false;
                ++i;
            }
        }
        out = result;
        return true;
    }

    // ---- techniques -----------------------------------------------------------------
    void parseTechnique() {
        const Token& keyword = next();
        TechniqueDescription technique;
        technique.line = keyword.line;
        if (peek().kind == Tok::Ident) technique.name = next().text;
        if (isPunct(peek(), '<')) skipAnnotation();
        if (!expect('{', "to open the technique")) return;
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

    void parsePass(TechniqueDescription& technique) {
        const Token& keyword = next();
        PassDescription pass;
        pass.line = keyword.line;
        if (peek().kind == Tok::Ident) pass.name = next().text;
        if (isPunct(peek(), '<')) skipAnnotation();
        if (!expect('{', "to open the pass")) return;
        while (ok_ && !isPunct(peek(), '}')) passAssignment(pass);
        if (!ok_) return;
        ++pos_;
        if (pass.vertexEntry.empty() || pass.pixelEntry.empty()) {
            fail(keyword, "pass needs both a VertexShader and a PixelShader (fixed-function passes are not supported)");
            return;
        }
        technique.passes.push_back(std::move(pass));
    }

    void passAssignment(PassDescription& pass) {
        const Token& state = next();
        if (state.kind != Tok::Ident) {
            fail(state, state.kind == Tok::End ? "missing '}' at the end of the pass"
                                               : "expected a state assignment, found '" + state.text + "'");
            return;
        }
        if (isPunct(peek(), '[')) {
            fail(state, "indexed state '" + state.text + "' is not supported");
            return;
        }
        if (!expect('=', ("after '" + state.text + "'").c_str())) return;
        std::vector<const Token*> value;
        while (peek().kind != Tok::End && !isPunct(peek(), ';')) value.push_back(&next());
        if (!expect(';', ("after the value of '" + state.text + "'").c_str())) return;

        bool vertex = equalsIgnoreCase(state.text, "VertexShader");
        if (vertex || equalsIgnoreCase(state.text, "PixelShader")) {
            // compile <profile> <entry>()
            if (value.size() != 5 || !isWord(*value[0], "compile") || value[1]->kind != Tok::Ident ||
                value[2]->kind != Tok::Ident || !isPunct(*value[3], '(') || !isPunct(*value[4], ')')) {
                fail(state, "expected " + state.text + " = compile <profile> <function>()");
                return;
            }
            const std::string& profile = value[1]->text;
            bool profileOk = vertex ? profile.rfind("vs_", 0) == 0 : profile.rfind("ps_", 0) == 0;
            if (!profileOk) {
                fail(*value[1], "'" + profile + "' is not a " + (vertex ? "vertex" : "pixel") + " shader profile");
                return;
            }
            (vertex ? pass.vertexProfile : pass.pixelProfile) = profile;
            (vertex ? pass.vertexEntry : pass.pixelEntry) = value[2]->text;
            (vertex ? pass.vertexLine : pass.pixelLine) = value[2]->line;
            return;
        }
        const StateInfo* info = findRenderState(state.text);
        if (!info && isFixedFunctionState(state.text)) return;
        if (!info) {
            fail(state, "unknown render state '" + state.text + "'");
            return;
        }
        StateAssignment a;
        a.state = static_cast<D3DRENDERSTATETYPE>(info->id);
        // A parameter as the value: <name>, (name) or name.
        const Token* id = nullptr;
        if (value.size() == 3 && ((isPunct(*value[0], '<') && isPunct(*value[2], '>')) ||
                                  (isPunct(*value[0], '(') && isPunct(*value[2], ')'))))
            id = value[1];
        else if (value.size() == 1 && value[0]->kind == Tok::Ident)
            id = value[0];
        DWORD constant = 0;
        if (id && id->kind == Tok::Ident && !stateValue(info->kind, id->text, constant)) {
            int index = out_.findParameter(id->text);
            if (index < 0 || out_.parameters[static_cast<std::size_t>(index)].kind == ValueKind::Texture) {
                fail(*id, "invalid value '" + id->text + "' for " + state.text);
                return;
            }
            a.parameter = index;
        } else if (!constantValue(*info, value, a.value)) {
            fail(state, "invalid value for " + state.text);
            return;
        }
        pass.states.push_back(a);
    }

    const std::string& text_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    EffectDescription& out_;
    ParseError& error_;
    std::vector<Edit> edits_;
    bool ok_ = true;
};

}  // namespace

bool parseEffect(const std::string& text, EffectDescription& out, ParseError& error) {
    out = EffectDescription{};
    Parser parser(text, out, error);
    return parser.run();
}

}  // namespace fx
