// Annotations on parameters, techniques and passes: typed values for tools and
// applications, read through the effect's annotation calls.
#include "platform/d3dx9/effect/EffectSyntaxParser.h"

namespace fx {

// `< string UIName = "x"; float UIMin = 0; >`, read and blanked.
void EffectSyntaxParser::parseAnnotations(std::vector<Annotation>& out) {
    const Token& open = next();
    while (ok_ && !isPunct(peek(), '>')) {
        if (peek().kind == Tok::End) {
            fail(open, "missing '>' after annotation");
            return;
        }
        if (isPunct(peek(), ';')) {
            ++pos_;
            continue;
        }
        Annotation a;
        const Token& type = next();
        if (type.kind != Tok::Ident || peek().kind != Tok::Ident) {
            fail(type, "expected an annotation such as 'string Name = \"...\";', found '" + type.text + "'");
            return;
        }
        a.typeName = type.text;
        a.name = next().text;
        int arraySize = 1;
        if (isPunct(peek(), '[')) {
            ++pos_;
            if (!this->arraySize(a.name, arraySize)) return;
        }
        if (!expect('=', "after the annotation '" + a.name + "'")) return;
        std::size_t start = pos_;
        while (peek().kind != Tok::End && !isPunct(peek(), ';') && !isPunct(peek(), '>')) {
            if (isPunct(peek(), '{')) {
                if (!skipGroup('{', '}')) return;
            } else {
                ++pos_;
            }
        }
        std::size_t end = pos_;
        if (!expect(';', "after the annotation '" + a.name + "'")) return;
        if (type.text == "string" || isTextureType(type.text)) {
            a.kind = ValueKind::String;
            for (std::size_t i = start; i < end; ++i)  // "a" "b" joins as C does
                if (tokens_[i].kind == Tok::String && tokens_[i].text.size() >= 2)
                    a.text += tokens_[i].text.substr(1, tokens_[i].text.size() - 2);
        } else if (parseValueType(type.text, a.kind, a.rows, a.cols)) {
            ConstantValue v;
            std::size_t i = start;
            // What cannot be evaluated stays readable as text: annotations are for tools.
            if (!evaluateInitializer(tokens_, i, end, constants_, v) || i != end) a.text = textOf(start, end);
            a.value = constantWords(a.kind, static_cast<std::size_t>(a.rows * a.cols * arraySize), v);
        } else {
            a.kind = ValueKind::String;
            a.text = textOf(start, end);
        }
        out.push_back(std::move(a));
    }
    if (!ok_) return;
    const Token& close = next();
    blank(open.begin, close.end);
}

}  // namespace fx
