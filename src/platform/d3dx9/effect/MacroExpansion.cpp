#include "platform/d3dx9/effect/MacroExpansion.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "platform/d3dx9/effect/Nesting.h"

namespace fx::pp {

bool identStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool identChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

namespace {

class Expander {
public:
    explicit Expander(const MacroTable& macros, std::size_t limit = 1u << 20) : macros_(macros), limit_(limit) {}

    // Expands `text` (no directives). Newlines inside function-like macro arguments are
    // moved after the expansion so the line count stays the same.
    std::string expand(const std::string& text) { return expandWith(text, 0); }

    // Macros that multiply their arguments can grow without bound: stop past the limit.
    bool overflowed() const { return produced_ > limit_; }
    bool tooDeep() const { return tooDeep_; }

private:
    std::string expandWith(const std::string& text, int depth) {
        std::string out;
        std::size_t i = 0;
        while (i < text.size()) {
            if (overflowed() || tooDeep_) return out;
            ++produced_;
            char c = text[i];
            if (c == '"') {
                std::size_t j = i + 1;
                while (j < text.size() && text[j] != '"' && text[j] != '\n') {
                    if (text[j] == '\\') ++j;
                    ++j;
                }
                if (j < text.size() && text[j] == '"') ++j;
                out.append(text, i, j - i);
                i = j;
                continue;
            }
            if (std::isdigit(static_cast<unsigned char>(c))) {
                // Numbers such as 1e5 or 0x1F must not expand a macro named e5 or x1F.
                std::size_t j = i;
                while (j < text.size() && (identChar(text[j]) || text[j] == '.')) ++j;
                out.append(text, i, j - i);
                i = j;
                continue;
            }
            if (!identStart(c)) {
                out += c;
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < text.size() && identChar(text[j])) ++j;
            std::string name = text.substr(i, j - i);
            auto it = macros_.find(name);
            if (it == macros_.end() || active_.count(name)) {
                out += name;
                i = j;
                continue;
            }
            if (depth >= kMaxNesting) {
                tooDeep_ = true;
                return out;
            }
            const Macro& m = it->second;
            if (!m.function) {
                active_.insert(name);
                out += expandWith(m.body, depth + 1);
                active_.erase(name);
                i = j;
                continue;
            }
            std::size_t k = j;
            while (k < text.size() && std::isspace(static_cast<unsigned char>(text[k]))) ++k;
            if (k >= text.size() || text[k] != '(') {
                out += name;
                i = j;
                continue;
            }
            std::vector<std::string> args;
            std::string arg;
            int paren = 0;
            int newlines = 0;
            std::size_t p = k + 1;
            for (; p < text.size(); ++p) {
                char a = text[p];
                if (a == '\n') {
                    ++newlines;
                    arg += ' ';
                    continue;
                }
                if (a == '(') ++paren;
                if (a == ')') {
                    if (paren == 0) break;
                    --paren;
                }
                if (a == ',' && paren == 0) {
                    args.push_back(arg);
                    arg.clear();
                    continue;
                }
                arg += a;
            }
            if (p >= text.size()) {  // no closing parenthesis: leave it to the compiler
                out += name;
                i = j;
                continue;
            }
            args.push_back(arg);
            if (m.params.empty() && args.size() == 1 && trim(args[0]).empty()) args.clear();
            std::string body = substitute(m, args, depth);
            active_.insert(name);
            out += expandWith(body, depth + 1);
            active_.erase(name);
            out.append(static_cast<std::size_t>(newlines), '\n');
            i = p + 1;
        }
        return out;
    }

    static std::string trim(const std::string& s) {
        std::size_t a = s.find_first_not_of(" \t");
        if (a == std::string::npos) return {};
        std::size_t b = s.find_last_not_of(" \t");
        return s.substr(a, b - a + 1);
    }

    // Replaces the parameters in the body: `#p` becomes the argument as a string, an
    // operand of `##` the argument as written, any other use the expanded argument.
    std::string substitute(const Macro& m, const std::vector<std::string>& args, int depth) {
        enum Kind { Word, Space, Hash, Paste, Other };
        std::vector<std::pair<Kind, std::string>> pieces;
        const std::string& b = m.body;
        for (std::size_t i = 0; i < b.size();) {
            std::size_t j = i + 1;
            Kind kind = Other;
            if (identStart(b[i])) {
                while (j < b.size() && identChar(b[j])) ++j;
                kind = Word;
            } else if (b[i] == ' ' || b[i] == '\t') {
                while (j < b.size() && (b[j] == ' ' || b[j] == '\t')) ++j;
                kind = Space;
            } else if (b[i] == '#') {
                kind = j < b.size() && b[j] == '#' ? Paste : Hash;
                if (kind == Paste) ++j;
            } else if (b[i] == '"' || b[i] == '\'') {
                while (j < b.size() && b[j] != b[i]) j += b[j] == '\\' ? 2 : 1;
                j = std::min(j + 1, b.size());
            }
            pieces.push_back({kind, b.substr(i, j - i)});
            i = j;
        }
        auto param = [&](const std::string& word) -> const std::string* {
            for (std::size_t k = 0; k < m.params.size() && k < args.size(); ++k)
                if (m.params[k] == word) return &args[k];
            return nullptr;
        };
        auto neighbour = [&](std::size_t k, int step) {
            for (long n = static_cast<long>(k) + step; n >= 0 && n < static_cast<long>(pieces.size()); n += step)
                if (pieces[static_cast<std::size_t>(n)].first != Space) return pieces[static_cast<std::size_t>(n)].first;
            return Space;
        };
        std::string out;
        bool afterPaste = false;
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            const auto& [kind, text] = pieces[k];
            if (kind == Space && (afterPaste || neighbour(k, 1) == Paste)) continue;
            if (kind == Paste) {
                afterPaste = true;
                continue;
            }
            if (kind == Hash && k + 1 < pieces.size()) {
                std::size_t n = k + 1;
                while (n < pieces.size() && pieces[n].first == Space) ++n;
                const std::string* arg = n < pieces.size() && pieces[n].first == Word ? param(pieces[n].second) : nullptr;
                if (arg) {
                    out += '"';
                    for (char c : trim(*arg)) {
                        if (c == '"' || c == '\\') out += '\\';
                        out += c;
                    }
                    out += '"';
                    k = n;
                    afterPaste = false;
                    continue;
                }
            }
            const std::string* arg = kind == Word ? param(text) : nullptr;
            if (!arg)
                out += text;
            else if (afterPaste || neighbour(k, 1) == Paste)
                out += trim(*arg);
            else
                out += expandWith(trim(*arg), depth + 1);
            afterPaste = false;
        }
        return out;
    }

    const MacroTable& macros_;
    std::set<std::string> active_;
    std::size_t limit_;
    std::size_t produced_ = 0;
    bool tooDeep_ = false;
};

// #if expressions: integers, defined(X), ! ~ - + * / % << >> < > <= >= == != & ^ | && ||.
class ConditionParser {
public:
    ConditionParser(const std::string& text, const MacroTable& macros) : macros_(macros) {
        // `defined X` must be resolved before macro expansion.
        std::string resolved;
        std::size_t i = 0;
        while (i < text.size()) {
            if (text.compare(i, 7, "defined") == 0 && (i == 0 || !identChar(text[i - 1])) &&
                (i + 7 >= text.size() || !identChar(text[i + 7]))) {
                std::size_t j = i + 7;
                while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j]))) ++j;
                bool paren = j < text.size() && text[j] == '(';
                if (paren) ++j;
                while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j]))) ++j;
                std::size_t s = j;
                while (j < text.size() && identChar(text[j])) ++j;
                std::string name = text.substr(s, j - s);
                if (paren) {
                    while (j < text.size() && text[j] != ')') ++j;
                    if (j < text.size()) ++j;
                }
                resolved += macros_.count(name) ? " 1 " : " 0 ";
                i = j;
                continue;
            }
            resolved += text[i++];
        }
        text_ = Expander(macros_).expand(resolved);
    }

    bool evaluate(long& value) {
        value = parseBinary(0);
        skipSpace();
        return ok_ && pos_ == text_.size();
    }
    bool tooDeep() const { return tooDeep_; }

private:
    void skipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }
    bool take(const char* op) {
        skipSpace();
        std::size_t n = std::char_traits<char>::length(op);
        if (text_.compare(pos_, n, op) != 0) return false;
        // Do not take "<" out of "<<" or "&" out of "&&".
        if (n == 1 && pos_ + 1 < text_.size() &&
            ((op[0] == '<' && (text_[pos_ + 1] == '<' || text_[pos_ + 1] == '=')) ||
             (op[0] == '>' && (text_[pos_ + 1] == '>' || text_[pos_ + 1] == '=')) ||
             (op[0] == '&' && text_[pos_ + 1] == '&') || (op[0] == '|' && text_[pos_ + 1] == '|') ||
             (op[0] == '!' && text_[pos_ + 1] == '=')))
            return false;
        pos_ += n;
        return true;
    }
    long parsePrimary() {
        NestingLevel level(depth_);
        if (level.tooDeep()) {
            tooDeep_ = true;
            ok_ = false;
        }
        skipSpace();
        if (!ok_) return 0;
        if (take("(")) {
            long v = parseBinary(0);
            if (!take(")")) ok_ = false;
            return v;
        }
        if (take("!")) return !parsePrimary();
        if (take("-")) return static_cast<long>(0ul - static_cast<unsigned long>(parsePrimary()));
        if (take("+")) return parsePrimary();
        if (take("~")) return ~parsePrimary();
        if (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            char* end = nullptr;
            long v = std::strtol(text_.c_str() + pos_, &end, 0);
            pos_ = static_cast<std::size_t>(end - text_.c_str());
            while (pos_ < text_.size() && (text_[pos_] == 'u' || text_[pos_] == 'U' ||
                                           text_[pos_] == 'l' || text_[pos_] == 'L'))
                ++pos_;
            return v;
        }
        if (pos_ < text_.size() && identStart(text_[pos_])) {  // undefined names are 0
            while (pos_ < text_.size() && identChar(text_[pos_])) ++pos_;
            return 0;
        }
        ok_ = false;
        return 0;
    }
    long parseBinary(int level) {
        static const char* const ops[][6] = {
            {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<=", ">=", "<", ">"},
            {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};
        if (level == 10) return parsePrimary();
        long left = parseBinary(level + 1);
        for (;;) {
            const char* matched = nullptr;
            for (const char* op : ops[level])
                if (op && take(op)) {
                    matched = op;
                    break;
                }
            if (!matched || !ok_) return left;
            long right = parseBinary(level + 1);
            // Overflow wraps instead of being undefined: the text is untrusted.
            const unsigned long l = static_cast<unsigned long>(left), r = static_cast<unsigned long>(right);
            std::string o = matched;
            if (o == "||") left = left || right;
            else if (o == "&&") left = left && right;
            else if (o == "|") left |= right;
            else if (o == "^") left ^= right;
            else if (o == "&") left &= right;
            else if (o == "==") left = left == right;
            else if (o == "!=") left = left != right;
            else if (o == "<=") left = left <= right;
            else if (o == ">=") left = left >= right;
            else if (o == "<") left = left < right;
            else if (o == ">") left = left > right;
            else if (o == "<<") left = right >= 0 && right < 63 ? static_cast<long>(l << right) : 0;
            else if (o == ">>") left = right >= 0 && right < 63 ? left >> right : 0;
            else if (o == "+") left = static_cast<long>(l + r);
            else if (o == "-") left = static_cast<long>(l - r);
            else if (o == "*") left = static_cast<long>(l * r);
            else if (right == 0) ok_ = false;
            else if (right == -1) left = o == "/" ? static_cast<long>(0ul - l) : 0;
            else if (o == "/") left /= right;
            else left %= right;
        }
    }

    const MacroTable& macros_;
    std::string text_;
    std::size_t pos_ = 0;
    bool ok_ = true;
    int depth_ = 0;
    bool tooDeep_ = false;
};

}  // namespace

std::string expandMacros(const std::string& text, const MacroTable& macros, std::size_t limit, ExpansionStop& stop) {
    Expander expander(macros, limit);
    std::string out = expander.expand(text);
    stop = expander.tooDeep() ? ExpansionStop::TooDeep
           : expander.overflowed() ? ExpansionStop::TooLarge
                                   : ExpansionStop::None;
    return out;
}

bool evaluateCondition(const std::string& text, const MacroTable& macros, long& value, bool& tooDeep) {
    ConditionParser parser(text, macros);
    const bool ok = parser.evaluate(value);
    tooDeep = parser.tooDeep();
    return ok;
}

}  // namespace fx::pp
