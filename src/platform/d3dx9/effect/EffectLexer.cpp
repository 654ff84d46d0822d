#include "platform/d3dx9/effect/EffectLexer.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/d3dx9/effect/StateTables.h"

namespace fx {

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

bool parseNumber(const std::string& text, double& value) {
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

}  // namespace fx
