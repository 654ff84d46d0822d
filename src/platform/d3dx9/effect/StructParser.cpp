// Struct types and the effect parameters declared with them. D3DX reflects a struct
// parameter member by member; here each member (each element's, for an array of
// structs) is a parameter of its own, named as D3DX names it: "light.color",
// "lights[1].color". The declaration stays in the HLSL, which lays the members out.
#include "platform/d3dx9/effect/EffectSyntaxParser.h"
#include "platform/d3dx9/effect/Nesting.h"

namespace fx {
namespace {

// Members of one declaration, counted over its arrays: more than D3D9's constant
// registers could hold, and few enough that lookups by name stay cheap.
constexpr std::size_t kMaxMembers = 4096;

bool isMemberModifier(const Token& t) {
    static const char* const words[] = {"linear",  "centroid",     "nointerpolation", "noperspective",
                                        "sample",  "row_major",    "column_major",    "const", "uniform"};
    for (const char* w : words)
        if (t.kind == Tok::Ident && t.text == w) return true;
    return false;
}

}  // namespace

const EffectSyntaxParser::StructType* EffectSyntaxParser::findStruct(const std::string& name) const {
    for (const StructType& s : structs_)
        if (s.name == name) return &s;
    return nullptr;
}

// `struct Name { type member[N] : SEMANTIC; ... };`. A body this does not read (methods,
// say) leaves the type unknown, as before: it only matters to a parameter of that type.
void EffectSyntaxParser::parseStruct() {
    const std::size_t start = pos_;
    ++pos_;
    StructType type;
    if (peek().kind == Tok::Ident) type.name = next().text;
    bool ok = isPunct(peek(), '{');
    if (ok) ++pos_;
    while (ok && !isPunct(peek(), '}')) {
        while (isMemberModifier(peek())) ++pos_;
        const Token& memberType = next();
        ok = memberType.kind == Tok::Ident;
        while (ok) {
            const Token& name = next();
            ok = name.kind == Tok::Ident;
            StructMember m{name.text, memberType.text, 0};
            while (ok && isPunct(peek(), '[')) {
                std::size_t i = ++pos_;
                while (peek().kind != Tok::End && !isPunct(peek(), ']')) ++pos_;
                ConstantValue v;
                ok = evaluateInitializer(tokens_, i, pos_, constants_, v) && i == pos_ && v.size() == 1 &&
                     v[0] >= 1 && v[0] <= 4096 && isPunct(next(), ']');
                if (ok) m.arraySize = static_cast<int>(m.arraySize > 0 ? m.arraySize * v[0] : v[0]);
            }
            if (ok && isPunct(peek(), ':')) pos_ += 2;
            type.members.push_back(m);
            if (!ok || !isPunct(peek(), ',')) break;
            ++pos_;
        }
        ok = ok && isPunct(next(), ';');
    }
    if (ok && !type.name.empty() && !findStruct(type.name)) structs_.push_back(type);
    pos_ = start;
    skipStatement();
}

// The names declared with a struct type, each with its arrays, semantic and annotations.
void EffectSyntaxParser::parseStructNames(const StructType& type, bool isShared) {
    for (;;) {
        const Token& name = next();
        if (name.kind != Tok::Ident) {
            fail(name, "expected a name, found '" + name.text + "'");
            return;
        }
        int count = 0;
        while (ok_ && isPunct(peek(), '[')) {
            ++pos_;
            int size = 0;
            if (!arraySize(name.text, size)) return;
            count = count > 0 ? count * size : size;
        }
        while (ok_ && (isPunct(peek(), ':') || isPunct(peek(), '<'))) {
            if (isPunct(peek(), '<')) {
                std::vector<Annotation> annotations;  // the struct's own: no entry here to hold them
                parseAnnotations(annotations);
                continue;
            }
            const Token& colon = next();
            const Token& sem = next();
            if ((sem.text == "register" || sem.text == "packoffset") && isPunct(peek(), '(')) skipGroup('(', ')');
            blank(colon.begin, tokens_[pos_ - 1].end);
        }
        const std::size_t eq = ok_ && isPunct(peek(), '=') ? pos_ : 0;
        if (eq > 0) skipInitializer();
        const std::size_t firstMember = out_.parameters.size();
        std::size_t budget = kMaxMembers;
        if (count > 0)
            addStructArray(type, name.text, count, isShared, name, 0, budget);
        else
            addStructMembers(type, name.text, isShared, name, 0, budget);
        if (!ok_) return;
        if (eq > 0 && !structInitialValue(name.text, firstMember, eq)) return;
        if (isPunct(peek(), ',')) {
            ++pos_;
            continue;
        }
        expect(';', "after the declaration of '" + name.text + "'");
        return;
    }
}

// Past `= value` up to the `,` or `;` that ends it.
void EffectSyntaxParser::skipInitializer() {
    int depth = 0;
    while (peek().kind != Tok::End) {
        const Token& t = peek();
        if (depth == 0 && (isPunct(t, ',') || isPunct(t, ';'))) break;
        if (isPunct(t, '(') || isPunct(t, '{')) ++depth;
        if (isPunct(t, ')') || isPunct(t, '}')) --depth;
        ++pos_;
    }
}

// `Light sun = { 1, 2, 3, ... };`: the flattened components fill the members in order,
// each member taking as many as it holds; a count that does not match is an error, as
// fxc has it. The value leaves the HLSL, which gets it through the parameters.
bool EffectSyntaxParser::structInitialValue(const std::string& name, std::size_t firstMember, std::size_t eq) {
    ConstantValue values;
    std::size_t i = eq + 1;
    if (!evaluateInitializer(tokens_, i, pos_, constants_, values) || i != pos_) {
        fail(tokens_[eq], "cannot evaluate the initial value of '" + name + "'");
        return false;
    }
    std::size_t needed = 0;
    for (std::size_t k = firstMember; k < out_.parameters.size(); ++k)
        needed += static_cast<std::size_t>(out_.parameters[k].wordCount());
    if (values.size() != needed) {
        fail(tokens_[eq], "the initial value of '" + name + "' has " + std::to_string(values.size()) +
                              " components; its members hold " + std::to_string(needed));
        return false;
    }
    std::size_t at = 0;
    for (std::size_t k = firstMember; k < out_.parameters.size(); ++k) {
        Parameter& p = out_.parameters[k];
        const std::size_t n = static_cast<std::size_t>(p.wordCount());
        const ConstantValue slice(values.begin() + static_cast<std::ptrdiff_t>(at),
                                  values.begin() + static_cast<std::ptrdiff_t>(at + n));
        p.initial = constantWords(p.kind, n, slice);
        at += n;
    }
    blank(tokens_[eq].begin, tokens_[pos_ - 1].end);
    return true;
}

void EffectSyntaxParser::addStructArray(const StructType& type, const std::string& name, int count, bool isShared,
                                        const Token& at, int depth, std::size_t& budget) {
    const std::size_t group = out_.structs.size();
    out_.structs.push_back({name, type.name, count, {}, static_cast<int>(out_.parameters.size()), 0});
    for (int k = 0; ok_ && k < count; ++k) {
        const std::string element = name + "[" + std::to_string(k) + "]";
        out_.structs[group].members.push_back(element);
        addStructMembers(type, element, isShared, at, depth + 1, budget);
    }
    out_.structs[group].endParameter = static_cast<int>(out_.parameters.size());
}

void EffectSyntaxParser::addStructMembers(const StructType& type, const std::string& prefix, bool isShared,
                                          const Token& at, int depth, std::size_t& budget) {
    if (depth > kMaxStructDepth) return fail(at, "struct '" + type.name + "' nests too deep");
    // Each struct and each member counts, so that arrays of empty structs cost too.
    if (budget == 0) return fail(at, "struct '" + type.name + "' has too many members");
    --budget;
    const std::size_t group = out_.structs.size();
    out_.structs.push_back({prefix, type.name, 0, {}, static_cast<int>(out_.parameters.size()), 0});
    for (const StructMember& m : type.members) {
        if (!ok_) return;
        if (budget == 0) return fail(at, "struct '" + type.name + "' has too many members");
        --budget;
        const std::string name = prefix + "." + m.name;
        out_.structs[group].members.push_back(name);
        if (const StructType* inner = findStruct(m.typeName)) {
            if (m.arraySize > 0)
                addStructArray(*inner, name, m.arraySize, isShared, at, depth + 1, budget);
            else
                addStructMembers(*inner, name, isShared, at, depth + 1, budget);
            continue;
        }
        Parameter p;
        if (!parseValueType(m.typeName, p.kind, p.rows, p.cols))
            return fail(at, "member '" + m.name + "' of struct '" + type.name + "' is not a value type");
        p.name = name;
        p.arraySize = m.arraySize;
        p.typeName = m.typeName;
        p.shared = isShared;
        p.line = at.line;
        p.initial.assign(static_cast<std::size_t>(p.wordCount()), 0u);
        addParameter(p, at);
    }
    out_.structs[group].endParameter = static_cast<int>(out_.parameters.size());
}

}  // namespace fx
