// Tokens of preprocessed effect text, each with its line and byte range so that the
// parser can blank effect syntax in place and keep the HLSL lines where they were.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace fx {

enum class Tok { Ident, Number, String, Punct, End };

struct Token {
    Tok kind;
    std::string text;
    int line;
    std::size_t begin, end;  // byte range in the text
};

// Always ends with one Tok::End token.
std::vector<Token> tokenize(const std::string& text);

// A numeric literal: decimal or float with an optional suffix (1.5f, 2h, 3u), or hex.
bool parseNumber(const std::string& text, double& value);

bool isWord(const Token& t, const char* word);  // an identifier, any case
inline bool isPunct(const Token& t, char c) { return t.kind == Tok::Punct && t.text[0] == c; }

}  // namespace fx
