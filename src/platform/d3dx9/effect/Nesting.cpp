#include "platform/d3dx9/effect/Nesting.h"

namespace fx {
namespace {

bool isPrefixOperator(const Token& t) {
    return isPunct(t, '-') || isPunct(t, '+') || isPunct(t, '!') || isPunct(t, '~');
}

// `(type)` followed by something it can apply to.
bool isCast(const std::vector<Token>& t, std::size_t i) {
    if (i + 3 >= t.size() || !isPunct(t[i], '(') || t[i + 1].kind != Tok::Ident || !isPunct(t[i + 2], ')'))
        return false;
    const Token& next = t[i + 3];
    return next.kind == Tok::Ident || next.kind == Tok::Number || isPunct(next, '(') || isPrefixOperator(next);
}

}  // namespace

std::size_t tooDeeplyNested(const std::vector<Token>& tokens) {
    int brackets = 0;
    int chain = 0;  // prefix operators and casts in a row
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (isPrefixOperator(t) || isCast(tokens, i)) {
            if (++chain > kMaxNesting) return i;
            if (!isPrefixOperator(t)) i += 2;
            continue;
        }
        chain = 0;
        if (isPunct(t, '(') || isPunct(t, '[') || isPunct(t, '{')) {
            if (++brackets > kMaxNesting) return i;
        } else if ((isPunct(t, ')') || isPunct(t, ']') || isPunct(t, '}')) && brackets > 0) {
            --brackets;
        }
    }
    return std::string::npos;
}

}  // namespace fx
