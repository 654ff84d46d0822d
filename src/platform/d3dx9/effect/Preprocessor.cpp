#include "platform/d3dx9/effect/Preprocessor.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <set>

namespace fx {
namespace {

struct Macro {
    bool function = false;
    std::vector<std::string> params;
    std::string body;
};

using MacroTable = std::map<std::string, Macro>;

bool identStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool identChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Replaces comments by spaces (newlines inside block comments are kept) and joins
// backslash-continued lines, moving the swallowed newlines to the end of the joined line.
std::string stripComments(const std::string& in, std::string& error, int& errorLine) {
    std::string out;
    out.reserve(in.size());
    int line = 1;
    int pendingNewlines = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c == '\\' && i + 1 < in.size() && (in[i + 1] == '\n' || in[i + 1] == '\r')) {
            ++i;
            if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
            ++pendingNewlines;
            ++line;
            continue;
        }
        if (c == '/' && i + 1 < in.size() && in[i + 1] == '/') {
            while (i < in.size() && in[i] != '\n') ++i;
            --i;
            continue;
        }
        if (c == '/' && i + 1 < in.size() && in[i + 1] == '*') {
            int startLine = line;
            i += 2;
            out += "  ";
            while (i < in.size() && !(in[i] == '*' && i + 1 < in.size() && in[i + 1] == '/')) {
                if (in[i] == '\n') {
                    out += '\n';
                    ++line;
                }
                ++i;
            }
            if (i >= in.size()) {
                error = "unterminated comment";
                errorLine = startLine;
                return out;
            }
            ++i;
            out += ' ';
            continue;
        }
        if (c == '"') {
            out += c;
            for (++i; i < in.size() && in[i] != '"' && in[i] != '\n'; ++i) {
                out += in[i];
                if (in[i] == '\\' && i + 1 < in.size() && in[i + 1] != '\n') out += in[++i];
            }
            if (i < in.size()) out += in[i];
            if (i < in.size() && in[i] == '\n') {
                ++line;
                out.append(static_cast<std::size_t>(pendingNewlines), '\n');
                pendingNewlines = 0;
            }
            continue;
        }
        if (c == '\r') continue;
        out += c;
        if (c == '\n') {
            ++line;
            out.append(static_cast<std::size_t>(pendingNewlines), '\n');
            pendingNewlines = 0;
        }
    }
    out.append(static_cast<std::size_t>(pendingNewlines), '\n');
    return out;
}

class Expander {
public:
    explicit Expander(const MacroTable& macros, std::size_t limit = 1u << 20) : macros_(macros), limit_(limit) {}

    // Expands `text` (no directives). Newlines inside function-like macro arguments are
    // moved after the expansion so the line count stays the same.
    std::string expand(const std::string& text) { return expandWith(text, 0); }

    // Macros that multiply their arguments can grow without bound: stop past the limit.
    bool overflowed() const { return produced_ > limit_; }

private:
    std::string expandWith(const std::string& text, int depth) {
        std::string out;
        std::size_t i = 0;
        while (i < text.size()) {
            if (overflowed()) return out;
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
            if (it == macros_.end() || active_.count(name) || depth > 64) {
                out += name;
                i = j;
                continue;
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

    std::string substitute(const Macro& m, const std::vector<std::string>& args, int depth) {
        std::string out;
        const std::string& b = m.body;
        std::size_t i = 0;
        while (i < b.size()) {
            if (!identStart(b[i])) {
                out += b[i++];
                continue;
            }
            std::size_t j = i;
            while (j < b.size() && identChar(b[j])) ++j;
            std::string word = b.substr(i, j - i);
            std::size_t index = 0;
            while (index < m.params.size() && m.params[index] != word) ++index;
            if (index < m.params.size() && index < args.size())
                out += expandWith(trim(args[index]), depth + 1);
            else
                out += word;
            i = j;
        }
        return out;
    }

    const MacroTable& macros_;
    std::set<std::string> active_;
    std::size_t limit_;
    std::size_t produced_ = 0;
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
        skipSpace();
        if (take("(")) {
            long v = parseBinary(0);
            if (!take(")")) ok_ = false;
            return v;
        }
        if (take("!")) return !parsePrimary();
        if (take("-")) return -parsePrimary();
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
            else if (o == "<<") left = right >= 0 && right < 63 ? left << right : 0;
            else if (o == ">>") left = right >= 0 && right < 63 ? left >> right : 0;
            else if (o == "+") left += right;
            else if (o == "-") left -= right;
            else if (o == "*") left *= right;
            else if (right == 0) ok_ = false;
            else if (o == "/") left /= right;
            else left %= right;
        }
    }

    const MacroTable& macros_;
    std::string text_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

struct Conditional {
    bool parentActive;
    bool taken;   // some branch was already taken
    bool active;  // the current branch is on
    bool sawElse;
};

}  // namespace

PreprocessResult preprocess(const std::string& source,
                            const std::vector<std::pair<std::string, std::string>>& defines) {
    PreprocessResult result;
    std::string text = stripComments(source, result.error, result.errorLine);
    if (!result.error.empty()) return result;

    MacroTable macros;
    for (const auto& [name, value] : defines) macros[name].body = value;

    std::vector<Conditional> stack;
    auto active = [&] { return stack.empty() || stack.back().active; };
    auto fail = [&](int line, std::string message) {
        if (result.error.empty()) {
            result.error = std::move(message);
            result.errorLine = line;
        }
    };

    std::string pending;  // ordinary lines waiting for expansion
    int pendingLines = 0;
    int pendingStart = 0;
    int line = 0;
    auto flush = [&] {
        if (pendingLines == 0) return;
        // Effect files never need their text to grow more than a few times over.
        Expander expander(macros, 4 * pending.size() + (1u << 20));
        std::string expanded = expander.expand(pending);
        if (expander.overflowed()) fail(pendingStart, "macro expansion too large");
        result.text += expanded;
        pending.clear();
        pendingLines = 0;
    };

    std::size_t pos = 0;
    while (pos < text.size() && result.error.empty()) {
        std::size_t end = text.find('\n', pos);
        bool hasNewline = end != std::string::npos;
        if (!hasNewline) end = text.size();
        std::string l = text.substr(pos, end - pos);
        pos = hasNewline ? end + 1 : end;
        ++line;

        std::size_t first = l.find_first_not_of(" \t");
        if (first == std::string::npos || l[first] != '#') {
            if (active())
                pending += l;
            else
                pending.append(l.size(), ' ');
            if (hasNewline) pending += '\n';
            if (pendingLines++ == 0) pendingStart = line;
            continue;
        }
        // A directive: flush the text before it so that macros defined here apply
        // only to what follows.
        flush();
        std::size_t p = first + 1;
        while (p < l.size() && (l[p] == ' ' || l[p] == '\t')) ++p;
        std::size_t q = p;
        while (q < l.size() && identChar(l[q])) ++q;
        std::string directive = l.substr(p, q - p);
        std::string rest = q < l.size() ? l.substr(q) : std::string();
        auto word = [&](std::string& name) {
            std::size_t a = rest.find_first_not_of(" \t");
            if (a == std::string::npos || !identStart(rest[a])) return false;
            std::size_t b = a;
            while (b < rest.size() && identChar(rest[b])) ++b;
            name = rest.substr(a, b - a);
            rest = rest.substr(b);
            return true;
        };

        if (directive == "ifdef" || directive == "ifndef") {
            std::string name;
            if (!word(name)) fail(line, "#" + directive + " needs a macro name");
            bool on = (macros.count(name) != 0) == (directive == "ifdef");
            bool parent = active();
            stack.push_back({parent, on, parent && on, false});
        } else if (directive == "if") {
            long v = 0;
            ConditionParser cp(rest, macros);
            bool parent = active();
            if (parent && !cp.evaluate(v)) fail(line, "invalid #if expression");
            stack.push_back({parent, v != 0, parent && v != 0, false});
        } else if (directive == "elif") {
            if (stack.empty() || stack.back().sawElse) {
                fail(line, "#elif without #if");
            } else {
                Conditional& c = stack.back();
                long v = 0;
                if (c.parentActive && !c.taken) {
                    ConditionParser cp(rest, macros);
                    if (!cp.evaluate(v)) fail(line, "invalid #elif expression");
                }
                c.active = c.parentActive && !c.taken && v != 0;
                c.taken = c.taken || c.active;
            }
        } else if (directive == "else") {
            if (stack.empty() || stack.back().sawElse) {
                fail(line, "#else without #if");
            } else {
                Conditional& c = stack.back();
                c.active = c.parentActive && !c.taken;
                c.taken = true;
                c.sawElse = true;
            }
        } else if (directive == "endif") {
            if (stack.empty())
                fail(line, "#endif without #if");
            else
                stack.pop_back();
        } else if (!active()) {
            // Other directives in a skipped branch are ignored.
        } else if (directive == "define") {
            std::string name;
            if (!word(name)) {
                fail(line, "#define needs a macro name");
            } else {
                Macro m;
                if (!rest.empty() && rest[0] == '(') {
                    m.function = true;
                    std::size_t close = rest.find(')');
                    if (close == std::string::npos) {
                        fail(line, "missing ')' in macro parameter list");
                    } else {
                        std::string list = rest.substr(1, close - 1);
                        std::size_t s = 0;
                        while (s <= list.size()) {
                            std::size_t comma = list.find(',', s);
                            if (comma == std::string::npos) comma = list.size();
                            std::string param = list.substr(s, comma - s);
                            std::size_t a = param.find_first_not_of(" \t");
                            std::size_t b = param.find_last_not_of(" \t");
                            if (a != std::string::npos) m.params.push_back(param.substr(a, b - a + 1));
                            s = comma + 1;
                        }
                        rest = rest.substr(close + 1);
                    }
                }
                std::size_t a = rest.find_first_not_of(" \t");
                std::size_t b = rest.find_last_not_of(" \t");
                m.body = a == std::string::npos ? std::string() : rest.substr(a, b - a + 1);
                macros[name] = std::move(m);
            }
        } else if (directive == "undef") {
            std::string name;
            if (word(name)) macros.erase(name);
        } else if (directive == "error") {
            fail(line, "#error" + rest);
        } else if (directive == "pragma" || directive == "line" || directive.empty()) {
            // Nothing to do: pragmas are compiler hints, #line is not needed.
        } else if (directive == "include") {
            fail(line, "#include is not supported in effect files");
        } else {
            fail(line, "unknown preprocessor directive #" + directive);
        }
        result.text.append(l.size(), ' ');
        if (hasNewline) result.text += '\n';
    }
    flush();
    if (result.error.empty() && !stack.empty()) fail(line, "missing #endif");
    return result;
}

}  // namespace fx
