// Initializers and assignments fxc takes and glslang's HLSL front end refuses: a flat
// list of scalars for an array of vectors, a cast of a vector to an array, and a
// constructor on the left of `=` (fxc splits the value over the named variables).
#include <cctype>

#include <string>
#include <vector>

#include "platform/d3dx9/effect/HlslRewrite.h"

namespace fx {
namespace {

bool identChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool space(char c) { return std::isspace(static_cast<unsigned char>(c)); }

// Components of a numeric type name ("float" 1, "half3" 3, "float4x4" 16), 0 if not one.
int typeComponents(const std::string& w) {
    static const char* const kBases[] = {"float", "half", "double", "int", "uint", "bool", "min16float"};
    for (const char* base : kBases) {
        std::string b = base;
        if (w.compare(0, b.size(), b) != 0) continue;
        std::string rest = w.substr(b.size());
        if (rest.empty()) return 1;
        if (rest.size() == 1 && rest[0] >= '1' && rest[0] <= '4') return rest[0] - '0';
        if (rest.size() == 3 && rest[0] >= '1' && rest[0] <= '4' && rest[1] == 'x' && rest[2] >= '1' && rest[2] <= '4')
            return (rest[0] - '0') * (rest[2] - '0');
    }
    return 0;
}

struct Edit {
    std::size_t begin, end;
    std::string text;
};

class InitRewriter {
public:
    explicit InitRewriter(const std::string& in) : in_(in) {}

    std::string run() {
        for (std::size_t i = 0; i < in_.size(); ++i) {
            if (in_[i] == '"') {  // strings stay as they are
                std::size_t end = in_.find_first_of("\"\n", i + 1);
                if (end == std::string::npos) break;
                i = end;
                continue;
            }
            if (in_[i] != '=' || !plainAssign(i)) continue;
            if (!flatList(i) && !arrayCast(i)) splitAssign(i);
        }
        std::string out;
        std::size_t at = 0;
        for (const Edit& e : edits_) {
            out.append(in_, at, e.begin - at);
            out += e.text;
            at = e.end;
        }
        out.append(in_, at, std::string::npos);
        return out;
    }

private:
    const std::string& in_;
    std::vector<Edit> edits_;

    bool plainAssign(std::size_t i) const {
        if (i + 1 < in_.size() && in_[i + 1] == '=') return false;
        return i == 0 || std::string("=!<>+-*/%&|^").find(in_[i - 1]) == std::string::npos;
    }
    std::size_t skipBack(std::size_t i) const {  // index one past the previous non-space
        while (i > 0 && space(in_[i - 1])) --i;
        return i;
    }
    std::size_t skipFwd(std::size_t i) const {
        while (i < in_.size() && space(in_[i])) ++i;
        return i;
    }
    std::string wordBack(std::size_t& i) const {  // the identifier ending at i
        std::size_t end = i;
        while (i > 0 && identChar(in_[i - 1])) --i;
        return in_.substr(i, end - i);
    }
    std::string wordFwd(std::size_t& i) const {
        std::size_t start = i;
        while (i < in_.size() && identChar(in_[i])) ++i;
        return in_.substr(start, i - start);
    }
    // Where the expression starting at i ends: the first `;`, `,` (when commas end it),
    // `}` or `)` outside brackets. npos when brackets do not balance.
    std::size_t expressionEnd(std::size_t i, bool commaEnds) const {
        int depth = 0;
        for (; i < in_.size(); ++i) {
            char c = in_[i];
            if (c == '(' || c == '[' || c == '{') ++depth;
            else if (c == ')' || c == ']' || c == '}') {
                if (depth == 0) return c == '}' ? std::string::npos : i;
                --depth;
            } else if (depth == 0 && (c == ';' || (commaEnds && c == ','))) return i;
        }
        return std::string::npos;
    }
    static std::string trimmed(const std::string& s) {
        std::size_t b = s.find_first_not_of(" \t\r\n");
        return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(" \t\r\n") + 1 - b);
    }
    static std::string newlinesIn(const std::string& s) {
        std::string n;
        for (char c : s)
            if (c == '\n') n += '\n';
        return n;
    }
    void add(std::size_t begin, std::size_t end, std::string text) {
        if (!edits_.empty() && begin < edits_.back().end) return;
        text += newlinesIn(in_.substr(begin, end - begin));
        edits_.push_back({begin, end, std::move(text)});
    }

    // The declaration before `=` at i, `TYPE name[N]` or `TYPE name[N][M]`: its type and
    // sizes, outermost first (none when not one).
    std::vector<int> arrayDeclaration(std::size_t i, std::string& type) const {
        std::vector<int> sizes;
        std::size_t p = skipBack(i);
        while (p > 0 && in_[p - 1] == ']' && sizes.size() < 2) {
            p = skipBack(p - 1);
            std::size_t digitsEnd = p;
            while (p > 0 && std::isdigit(static_cast<unsigned char>(in_[p - 1]))) --p;
            if (p == digitsEnd || digitsEnd - p > 4) return {};
            sizes.insert(sizes.begin(), std::stoi(in_.substr(p, digitsEnd - p)));
            p = skipBack(p);
            if (p == 0 || in_[p - 1] != '[') return {};
            p = skipBack(p - 1);
        }
        if (sizes.empty() || wordBack(p).empty()) return {};
        p = skipBack(p);
        type = wordBack(p);
        return typeComponents(type) > 0 ? sizes : std::vector<int>{};
    }

    // `float4 a[2] = { 1, 2, 3, 4, 5, 6, 7, 8 }`: each element's scalars into its
    // constructor; `float m[2][2] = { 1, 2, 3, 4 }`: each row's into braces of its own.
    bool flatList(std::size_t eq) {
        std::string type;
        std::vector<int> sizes = arrayDeclaration(eq, type);
        int comps = typeComponents(type);
        std::size_t open = skipFwd(eq + 1);
        if (sizes.empty() || (comps < 2 && sizes.size() < 2) || open >= in_.size() || in_[open] != '{') return false;
        std::vector<std::string> items;
        std::size_t p = open + 1;
        for (;;) {
            std::size_t end = expressionEnd(p, true);
            if (end == std::string::npos || in_[end] == ';' || in_[end] == ')') {
                // the list ends at `}`, which expressionEnd leaves to its caller
                std::size_t close = in_.find('}', p);
                if (close == std::string::npos || in_.find_first_of("{;", p) < close) return false;
                std::string last = in_.substr(p, close - p);
                if (last.find_first_not_of(" \t\r\n") != std::string::npos) items.push_back(last);
                p = close;
                break;
            }
            items.push_back(in_.substr(p, end - p));
            p = end + 1;
        }
        const int rows = sizes.size() == 2 ? sizes[0] : 1, count = sizes.back();
        if (items.size() != static_cast<std::size_t>(rows) * count * comps) return false;
        std::string text = "{ ";
        for (int r = 0; r < rows; ++r) {
            if (sizes.size() == 2) text += r ? ", { " : "{ ";
            for (int e = 0; e < count; ++e) {
                const std::size_t first = static_cast<std::size_t>((r * count + e) * comps);
                if (comps == 1) {
                    text += (e ? ", " : "") + trimmed(items[first]);
                    continue;
                }
                text += (e ? ", " : "") + type + "(";
                for (int c = 0; c < comps; ++c) text += (c ? ", " : "") + trimmed(items[first + static_cast<std::size_t>(c)]);
                text += ")";
            }
            if (sizes.size() == 2) text += " }";
        }
        text += " }";
        for (char& c : text)
            if (c == '\n') c = ' ';  // add() puts the list's newlines back after it
        add(open, p + 1, text);
        return true;
    }

    // `float a[3] = (float[3]) v;`: the vector's components, one by one.
    bool arrayCast(std::size_t eq) {
        std::size_t p = skipFwd(eq + 1);
        if (p >= in_.size() || in_[p] != '(') return false;
        std::size_t castBegin = p;
        p = skipFwd(p + 1);
        std::string type = wordFwd(p);
        if (typeComponents(type) == 0) return false;
        p = skipFwd(p);
        if (p >= in_.size() || in_[p] != '[') return false;
        p = skipFwd(p + 1);
        std::size_t digits = p;
        while (p < in_.size() && std::isdigit(static_cast<unsigned char>(in_[p]))) ++p;
        if (p == digits || p - digits > 2) return false;
        int count = std::stoi(in_.substr(digits, p - digits));
        p = skipFwd(p);
        if (p >= in_.size() || in_[p] != ']') return false;
        p = skipFwd(p + 1);
        if (p >= in_.size() || in_[p] != ')') return false;
        std::size_t operand = p + 1;
        std::size_t end = expressionEnd(operand, true);
        if (end == std::string::npos || count < 1 || count > 16) return false;
        std::string value = in_.substr(operand, end - operand);
        std::string flat;
        for (char c : value) flat += c == '\n' ? ' ' : c;
        std::string text = "{ ";
        for (int k = 0; k < count; ++k)
            text += (k ? ", " : "") + ("(" + type + ")(" + flat + ")[" + std::to_string(k) + "]");
        add(castBegin, end, text + " }");
        return true;
    }

    // The component count of `name` from its nearest declaration before `before`:
    // `TYPE a, name` or `TYPE name`. 0 when none is found.
    int declaredComponents(const std::string& name, std::size_t before) const {
        std::size_t at = before;
        while (at > 0) {
            std::size_t hit = in_.rfind(name, at - 1);
            if (hit == std::string::npos) return 0;
            at = hit;
            std::size_t after = hit + name.size();
            if ((hit > 0 && identChar(in_[hit - 1])) || (after < in_.size() && identChar(in_[after]))) continue;
            std::size_t p = skipBack(hit);
            while (p > 0 && in_[p - 1] == ',') {
                p = skipBack(p - 1);
                if (wordBack(p).empty()) break;
                p = skipBack(p);
            }
            int comps = typeComponents(wordBack(p));
            if (comps > 0) return comps;
        }
        return 0;
    }

    // `float4(a, b) = e;` at the start of a statement: `e` once, its components shared out.
    bool splitAssign(std::size_t eq) {
        std::size_t close = skipBack(eq);
        if (close == 0 || in_[close - 1] != ')') return false;
        std::size_t open = in_.rfind('(', close - 1);
        if (open == std::string::npos) return false;
        std::size_t p = skipBack(open);
        std::string type = wordBack(p);
        int comps = typeComponents(type);
        std::size_t statement = p;
        p = skipBack(p);
        if (comps < 2 || comps > 4 || (p > 0 && std::string(";{}").find(in_[p - 1]) == std::string::npos)) return false;
        std::vector<std::pair<std::string, int>> targets;
        int total = 0;
        for (std::size_t q = open + 1; q < close - 1;) {
            q = skipFwd(q);
            std::string name = wordFwd(q);
            int n = name.empty() ? 0 : declaredComponents(name, statement);
            if (n == 0 || n > 4) return false;
            targets.push_back({name, n});
            total += n;
            q = skipFwd(q);
            if (q < close - 1 && in_[q] != ',') return false;
            ++q;
        }
        std::size_t end = expressionEnd(eq + 1, false);
        if (total != comps || end == std::string::npos || in_[end] != ';') return false;
        std::string tmp = "gh_split" + std::to_string(edits_.size());
        std::string value = in_.substr(eq + 1, end - eq - 1);
        std::string flat;
        for (char c : value) flat += c == '\n' ? ' ' : c;
        std::string text = "{ " + type + " " + tmp + " =" + flat + ";";
        int from = 0;
        for (const auto& [name, n] : targets) {
            text += " " + name + " = " + tmp + "." + std::string("xyzw").substr(from, n) + ";";
            from += n;
        }
        add(statement, end + 1, text + " }");
        return true;
    }
};

}  // namespace

std::string rewriteInitializers(const std::string& hlsl) { return InitRewriter(hlsl).run(); }

}  // namespace fx
