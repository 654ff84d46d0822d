// Global declarations of effect syntax: parameters (with semantics, annotations and
// constant initial values), textures, samplers, strings and function signatures.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/d3dx9/effect/EffectSyntaxParser.h"
#include "platform/d3dx9/effect/Nesting.h"

namespace fx {

int EffectDescription::findParameter(const std::string& name) const {
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (parameters[i].name == name) return static_cast<int>(i);
    return -1;
}

int EffectDescription::findStruct(const std::string& name) const {
    for (std::size_t i = 0; i < structs.size(); ++i)
        if (structs[i].name == name) return static_cast<int>(i);
    return -1;
}

// Parses a value type name ("float", "float3", "float4x4", "half2", "int", "bool",
// "matrix", "vector").
bool parseValueType(const std::string& name, ValueKind& kind, int& rows, int& cols) {
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
    if (base == "float" || base == "half" || base == "double" || base == "min16float") kind = ValueKind::Float;
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

bool isTextureType(const std::string& t) {
    return equalsIgnoreCase(t, "texture") || equalsIgnoreCase(t, "texture1D") ||
           equalsIgnoreCase(t, "texture2D") || equalsIgnoreCase(t, "texture3D") ||
           equalsIgnoreCase(t, "textureCUBE");
}

namespace {

bool isSamplerType(const std::string& t) {
    return t == "sampler" || t == "sampler1D" || t == "sampler2D" || t == "sampler3D" ||
           t == "samplerCUBE";
}

}  // namespace

// One 32-bit word per component, as the parameter's kind stores it. A single value
// fills every component, as `float4 c = 1;` does.
std::vector<std::uint32_t> constantWords(ValueKind kind, std::size_t n, const ConstantValue& values) {
    std::vector<std::uint32_t> words(n, 0u);
    for (std::size_t i = 0; i < n && !values.empty(); ++i) {
        double v = values.size() == 1 ? values[0] : (i < values.size() ? values[i] : 0.0);
        if (kind == ValueKind::Float) {
            float f = static_cast<float>(v);
            std::memcpy(&words[i], &f, 4);
        } else if (kind == ValueKind::Int) {
            words[i] = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
        } else {
            words[i] = v != 0.0 ? 1u : 0u;
        }
    }
    return words;
}

bool EffectSyntaxParser::run() {
    if (std::size_t deep = tooDeeplyNested(tokens_); deep != std::string::npos) {
        fail(tokens_[deep], "'" + tokens_[deep].text + "' nests too deeply (more than " +
                                std::to_string(kMaxNesting) + " levels)");
        return false;
    }
    while (ok_ && peek().kind != Tok::End) {
        const Token& t = peek();
        if (isPunct(t, ';')) {
            ++pos_;
        } else if (isWord(t, "technique") || isWord(t, "technique9")) {
            parseTechnique();
        } else if (t.kind == Tok::Ident && t.text == "struct") {
            parseStruct();
        } else if (t.kind == Tok::Ident && t.text == "typedef") {
            skipStatement();
        } else if (t.kind == Tok::Ident) {
            parseDeclaration();
        } else {
            fail(t, "unexpected '" + t.text + "'");
        }
    }
    if (!ok_) return false;
    // Generated entry points go after the file's text, so that its lines stay where they were.
    std::string registers = finishAsm();
    out_.hlsl = applyEdits() + registers + out_.generatedHlsl;
    return true;
}

void EffectSyntaxParser::fail(const Token& t, const std::string& message) {
    if (!ok_) return;
    ok_ = false;
    error_.line = t.line;
    error_.message = message;
}

bool EffectSyntaxParser::expect(char c, const std::string& what) {
    if (isPunct(peek(), c)) {
        ++pos_;
        return true;
    }
    fail(peek(), std::string("expected '") + c + "' " + what +
                     (peek().kind == Tok::End ? " at end of file" : ", found '" + peek().text + "'"));
    return false;
}

std::string EffectSyntaxParser::applyEdits() {
    std::string out;
    std::size_t cursor = 0;
    // The widest of the edits that start together first: a declaration blanked whole
    // covers the `shared` blanked in it.
    std::stable_sort(edits_.begin(), edits_.end(), [](const Edit& a, const Edit& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end > b.end;
    });
    for (const Edit& e : edits_) {
        if (e.begin < cursor && (!e.blank || e.end <= cursor)) continue;  // inside an earlier edit
        std::size_t begin = std::max(e.begin, cursor);
        out.append(text_, cursor, begin - cursor);
        if (e.blank) {
            for (std::size_t i = begin; i < e.end; ++i) out += text_[i] == '\n' ? '\n' : ' ';
        } else {
            out += e.replacement;
        }
        cursor = e.end;
    }
    out.append(text_, cursor, std::string::npos);
    return out;
}

// Skips a balanced group starting at the current open bracket; false at the end.
bool EffectSyntaxParser::skipGroup(char open, char close) {
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

void EffectSyntaxParser::skipStatement() {
    while (ok_ && peek().kind != Tok::End) {
        if (isPunct(peek(), '{')) {
            skipGroup('{', '}');
            continue;
        }
        if (isPunct(next(), ';')) return;
    }
}

std::string EffectSyntaxParser::textOf(std::size_t first, std::size_t last) const {
    if (first >= last || last > tokens_.size()) return {};
    std::string s;
    for (std::size_t i = first; i < last; ++i) {
        if (i > first && tokens_[i].begin > tokens_[i - 1].end) s += ' ';
        s += tokens_[i].text;
    }
    return s;
}

void EffectSyntaxParser::parseDeclaration() {
    const Token& first = peek();
    bool isStatic = false, isConst = false, isShared = false;
    static const char* const modifiers[] = {"uniform", "static", "const", "extern", "shared", "volatile",
                                            "row_major", "column_major", "inline", "precise"};
    for (;;) {
        const Token& t = peek();
        bool matched = false;
        for (const char* m : modifiers)
            if (t.kind == Tok::Ident && t.text == m) matched = true;
        if (!matched) break;
        if (t.text == "static") isStatic = true;
        if (t.text == "const") isConst = true;
        if (t.text == "shared") {
            isShared = true;
            blank(t.begin, t.end);  // effect-pool sharing: nothing HLSL knows
        }
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
    if (isPunct(peek(1), '(')) {
        parseFunction(type);
        return;
    }
    if (isTextureType(type.text)) {
        parseTexture(first, isShared);
        return;
    }
    if (type.text == "string") {
        parseStringParameter(first, type);
        return;
    }
    if (isWord(type, "VertexShader") || isWord(type, "PixelShader")) {
        parseShaderVariable(first, type);
        return;
    }
    if (isSamplerType(type.text)) {
        if (type.text == "sampler") edits_.push_back({type.begin, type.end, "sampler2D", false});
        parseSampler();
        return;
    }
    if (const StructType* st = findStruct(type.text); st && !isStatic && !isConst) {
        parseStructNames(*st, isShared);
        return;
    }
    parseValueNames(first, type, isStatic, isConst, isShared);
}

// A function: its signature is kept for binding `compile` arguments; the body is HLSL.
void EffectSyntaxParser::parseFunction(const Token& returnType) {
    FunctionSignature f;
    f.returnType = returnType.text;
    f.name = next().text;
    std::size_t open = pos_;
    if (!skipGroup('(', ')')) return;
    std::size_t close = pos_ - 1;
    std::size_t start = open + 1;
    int depth = 0;
    for (std::size_t i = open + 1; i <= close; ++i) {
        const Token& t = tokens_[i];
        if (isPunct(t, '(') || isPunct(t, '[') || isPunct(t, '{')) ++depth;
        if (isPunct(t, ')') || isPunct(t, ']') || isPunct(t, '}')) --depth;
        if ((depth == 0 && isPunct(t, ',')) || i == close) {
            FunctionSignature::Param p;
            std::size_t nameAt = i;
            for (std::size_t k = start; k < i; ++k) {
                if (isWord(tokens_[k], "uniform")) {
                    p.uniform = true;
                    continue;
                }
                if (isPunct(tokens_[k], ':') || isPunct(tokens_[k], '=')) break;
                if (tokens_[k].kind == Tok::Ident) nameAt = k;
            }
            for (std::size_t k = start; k < i; ++k)
                if (!isWord(tokens_[k], "uniform")) p.text += (p.text.empty() ? "" : " ") + tokens_[k].text;
            if (nameAt < i) p.name = tokens_[nameAt].text;
            if (!p.text.empty() && !(p.text == "void")) f.params.push_back(p);
            start = i + 1;
        }
    }
    if (isPunct(peek(), ':') && peek(1).kind == Tok::Ident) {
        f.returnSemantic = ": " + peek(1).text;
        pos_ += 2;
    }
    while (ok_ && peek().kind != Tok::End && !isPunct(peek(), '{') && !isPunct(peek(), ';')) ++pos_;
    if (isPunct(peek(), ';')) {
        ++pos_;
        return;
    }
    if (!skipGroup('{', '}')) return;
    out_.functions.push_back(std::move(f));
}

bool EffectSyntaxParser::arraySize(const std::string& name, int& size) {
    const Token& at = peek();
    std::size_t start = pos_;
    int depth = 0;
    while (peek().kind != Tok::End && !(depth == 0 && isPunct(peek(), ']'))) {
        if (isPunct(peek(), '[')) ++depth;
        if (isPunct(peek(), ']')) --depth;
        ++pos_;
    }
    ConstantValue v;
    std::size_t i = start;
    bool ok = evaluateInitializer(tokens_, i, pos_, constants_, v) && i == pos_ && v.size() == 1;
    if (!ok || v[0] < 1 || v[0] > 4096) {
        fail(at, "array size of '" + name + "' must be a constant from 1 to 4096");
        return false;
    }
    size = static_cast<int>(v[0]);
    return expect(']', "after the array size");
}

void EffectSyntaxParser::parseValueNames(const Token& first, const Token& type, bool isStatic, bool isConst,
                                         bool isShared) {
    (void)first;
    ValueKind kind;
    int rows, cols;
    bool value = parseValueType(type.text, kind, rows, cols);
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
        p.shared = isShared;
        p.line = name.line;
        bool sizedByValue = false;  // `float w[] = {...}`: as many elements as the value has
        std::size_t emptyBrackets = 0;
        while (ok_ && isPunct(peek(), '[')) {
            ++pos_;
            int size = 0;
            if (isPunct(peek(), ']') && !sizedByValue) {
                emptyBrackets = pos_ - 1;
                ++pos_;
                sizedByValue = true;
                continue;
            }
            if (!arraySize(p.name, size)) return;
            p.arraySize = p.arraySize > 0 ? p.arraySize * size : size;
        }
        while (ok_ && (isPunct(peek(), ':') || isPunct(peek(), '<'))) {
            if (isPunct(peek(), '<')) {
                parseAnnotations(p.annotations);
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
        if (!ok_) return;
        if (isPunct(peek(), '=') && !initialValue(p, value, parameter, sizedByValue ? emptyBrackets : 0)) return;
        if (p.arraySize > 0) constants_.elementWidth[p.name] = p.rows * p.cols;
        if (sizedByValue && p.arraySize == 0 && parameter) {
            fail(name, "the array '" + p.name + "' needs a size or a constant initial value");
            return;
        }
        if (parameter) {
            if (p.initial.empty()) p.initial.assign(static_cast<std::size_t>(p.wordCount()), 0u);
            if (!constants_.count(p.name)) {
                ConstantValue v;
                for (std::uint32_t w : p.initial) {
                    float f;
                    std::memcpy(&f, &w, 4);
                    v.push_back(p.kind == ValueKind::Float ? f : static_cast<double>(static_cast<std::int32_t>(w)));
                }
                constants_[p.name] = v;
            }
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

// `= value` after a declared name: folded into the parameter's initial value (an error
// when it cannot be), or known as a static const's value for the expressions after it.
// `emptyBrackets` is the `[` of `name[]`, sized here by the value; 0 when none.
bool EffectSyntaxParser::initialValue(Parameter& p, bool value, bool parameter, std::size_t emptyBrackets) {
    const Token& eq = next();
    std::size_t start = pos_;
    skipInitializer();
    ConstantValue values;
    std::size_t i = start;
    bool constant = value && evaluateInitializer(tokens_, i, pos_, constants_, values) && i == pos_;
    if (constant && emptyBrackets > 0) {
        int elements = 0;
        if (!sizeFromValue(p, values.size(), eq, elements)) return false;
        // The shader compiler gets the size written out.
        const Token& open = tokens_[emptyBrackets];
        edits_.push_back({open.begin, tokens_[emptyBrackets + 1].end, "[" + std::to_string(elements) + "]", false});
    }
    if (parameter) {
        if (!constant) {
            fail(eq, "cannot evaluate the initial value of '" + p.name + "'");
            return false;
        }
        p.initial = constantWords(p.kind, static_cast<std::size_t>(p.wordCount()), values);
        blank(eq.begin, tokens_[pos_ - 1].end);
    }
    // A static const is HLSL's own; its value is also known here for sizes and
    // initial values that use it.
    if (constant) constants_[p.name] = values;
    return true;
}

// An array declared `[]` takes its size from its initial value's components.
bool EffectSyntaxParser::sizeFromValue(Parameter& p, std::size_t components, const Token& at, int& elements) {
    std::size_t width = static_cast<std::size_t>(p.rows * p.cols) * static_cast<std::size_t>(p.elementCount());
    std::size_t n = components / width;
    if (n < 1 || n > 4096 || n * width != components) {
        fail(at, "the initial value of '" + p.name + "' does not fill a whole number of elements");
        return false;
    }
    elements = static_cast<int>(n);
    p.arraySize = p.arraySize > 0 ? p.arraySize * elements : elements;
    return true;
}

void EffectSyntaxParser::addParameter(const Parameter& p, const Token& at) {
    if (out_.findParameter(p.name) >= 0) {
        fail(at, "redefinition of '" + p.name + "'");
        return;
    }
    out_.parameters.push_back(p);
}

// `string Name = "text";`: metadata for tools, nothing a shader reads.
void EffectSyntaxParser::parseStringParameter(const Token& first, const Token& type) {
    const Token& name = next();
    Parameter p;
    p.name = name.text;
    p.kind = ValueKind::String;
    p.typeName = type.text;
    p.line = name.line;
    while (ok_ && !isPunct(peek(), ';')) {
        if (peek().kind == Tok::End) {
            fail(type, "expected ';' after the string declaration");
            return;
        }
        if (isPunct(peek(), '<')) {
            parseAnnotations(p.annotations);
        } else if (isPunct(peek(), ':') && peek(1).kind == Tok::Ident) {
            p.semantic = peek(1).text;
            pos_ += 2;
        } else {
            if (peek().kind == Tok::String && peek().text.size() >= 2)
                p.text += peek().text.substr(1, peek().text.size() - 2);
            ++pos_;
        }
    }
    if (!ok_) return;
    blank(first.begin, next().end);
    addParameter(p, name);
}

// `texture a, b < ... >, c : SEMANTIC;`: each name is a texture parameter of its own.
void EffectSyntaxParser::parseTexture(const Token& first, bool isShared) {
    const std::string typeName = tokens_[pos_ - 1].text;
    for (;;) {
        const Token& name = next();
        if (name.kind != Tok::Ident) {
            fail(name, "expected a texture name, found '" + name.text + "'");
            return;
        }
        Parameter p;
        p.name = name.text;
        p.kind = ValueKind::Texture;
        p.line = name.line;
        p.typeName = typeName;
        p.shared = isShared;
        while (ok_ && !isPunct(peek(), ';') && !isPunct(peek(), ',')) {
            if (peek().kind == Tok::End) {
                fail(name, "expected ';' after the texture '" + p.name + "'");
                return;
            }
            if (isPunct(peek(), '<')) {
                parseAnnotations(p.annotations);
            } else if (isPunct(peek(), ':')) {
                ++pos_;
                if (peek().kind == Tok::Ident) p.semantic = next().text;
            } else if (isPunct(peek(), '{') || isPunct(peek(), '(')) {
                skipGroup(peek().text[0], peek().text[0] == '{' ? '}' : ')');
            } else {
                ++pos_;
            }
        }
        if (!ok_) return;
        addParameter(p, name);
        const Token& end = next();
        if (isPunct(end, ';')) {
            blank(first.begin, end.end);
            return;
        }
    }
}

}  // namespace fx

namespace fx {

bool parseEffect(const std::string& text, EffectDescription& out, ParseError& error) {
    out = EffectDescription{};
    EffectSyntaxParser parser(text, out, error);
    return parser.run();
}

}  // namespace fx
