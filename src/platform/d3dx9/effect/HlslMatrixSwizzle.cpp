// `m._m30_m31_m32` picks three entries of a matrix. glslang compiles it, but for a local
// matrix the value it gives is wrong (a constant), and it refuses `+=` on one; so each
// entry is read and written on its own.
#include <cctype>
#include <cstring>
#include <regex>

#include "platform/d3dx9/effect/HlslRewrite.h"
#include "platform/d3dx9/effect/MacroExpansion.h"

namespace fx {
namespace {


// Where the operand before the '.' at `dot` begins: names, members and indexes
// (`a.b[i].c`); `dot` itself when it is anything else (a call, a bracketed expression).
std::size_t operandStart(const std::string& text, std::size_t dot) {
    std::size_t i = dot;
    while (i > 0) {
        const char c = text[i - 1];
        if (pp::identChar(c) || c == '.') {
            --i;
        } else if (c == ']') {
            int depth = 0;
            while (i > 0) {
                const char d = text[--i];
                if (d == ']') ++depth;
                if (d == '[' && --depth == 0) break;
                if (d == '\n' || d == ';' || d == '(' || d == ')') return dot;
            }
        } else {
            break;
        }
    }
    return i < dot && !std::isdigit(static_cast<unsigned char>(text[i])) && text[i] != '.' ? i : dot;
}

// `depth`: how many assigned values this one lies in.
std::string splitSwizzles(const std::string& hlsl, int depth) {
    static const std::regex swizzle("\\.((?:_m[0-3][0-3]){2,4}|(?:_[1-4][1-4]){2,4})(?![A-Za-z0-9_])");
    std::string out;
    std::size_t copied = 0;
    for (auto it = std::sregex_iterator(hlsl.begin(), hlsl.end(), swizzle); it != std::sregex_iterator(); ++it) {
        const std::size_t dot = static_cast<std::size_t>(it->position(0));
        const std::size_t start = operandStart(hlsl, dot);
        if (start == dot || start < copied) continue;
        const std::string base = hlsl.substr(start, dot - start);
        const std::string entries = (*it)[1].str();
        const std::size_t step = entries[1] == 'm' ? 4 : 3, count = entries.size() / step;
        const std::size_t after = dot + static_cast<std::size_t>(it->length(0));
        const std::size_t op = hlsl.find_first_not_of(" \t", after);
        const char next = op != std::string::npos && op + 1 < hlsl.size() ? hlsl[op + 1] : '\0';
        const bool assigned = op != std::string::npos && hlsl[op] == '=' && next != '=';
        const bool compound = op != std::string::npos && std::strchr("+-*/", hlsl[op]) && next == '=';
        std::string read = "float" + std::to_string(count) + "(";
        for (std::size_t k = 0; k < count; ++k) read += (k ? ", " : "") + base + "." + entries.substr(k * step, step);
        read += ")";
        std::string value = read;
        std::size_t end = after;
        if (assigned || compound) {
            // Assigned to: the value once, then each entry from its component.
            const std::size_t rhs = op + (compound ? 2 : 1);
            end = hlsl.find(';', rhs);
            // A value that assigns again inside goes as written past a few levels.
            if (end == std::string::npos || hlsl.find('\n', op) < end || depth >= 4) continue;
            const std::string e = splitSwizzles(hlsl.substr(rhs, end - rhs), depth + 1);
            value = "{ float" + std::to_string(count) + " gh_entries = " +
                    (compound ? read + " " + hlsl[op] + " (" + e + ")" : e) + ";";
            for (std::size_t k = 0; k < count; ++k)
                value += " " + base + "." + entries.substr(k * step, step) + " = gh_entries." + "xyzw"[k] + ";";
            value += " }";
            ++end;
        }
        out.append(hlsl, copied, start - copied);
        out += value;
        copied = end;
    }
    if (copied == 0) return hlsl;
    out.append(hlsl, copied, std::string::npos);
    return out;
}

}  // namespace

std::string splitMatrixSwizzles(const std::string& hlsl) { return splitSwizzles(hlsl, 0); }

}  // namespace fx
