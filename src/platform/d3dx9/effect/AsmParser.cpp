// Reads one line of shader assembly: an opcode with its modifiers and its operands.
#include <cctype>
#include <cstdlib>

#include "platform/d3dx9/effect/AsmShader.h"

namespace fx {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

// rgba as xyzw; false for anything else or more than four.
bool normaliseSwizzle(const std::string& text, std::string& out) {
    if (text.empty() || text.size() > 4) return false;
    out.clear();
    for (char c : text) {
        switch (std::tolower(static_cast<unsigned char>(c))) {
            case 'x': case 'r': out += 'x'; break;
            case 'y': case 'g': out += 'y'; break;
            case 'z': case 'b': out += 'z'; break;
            case 'w': case 'a': out += 'w'; break;
            default: return false;
        }
    }
    return true;
}

bool isSourceModifier(const std::string& m) {
    return m == "bias" || m == "bx2" || m == "x2" || m == "abs" || m == "dz" || m == "db" || m == "dw" ||
           m == "da" || m == "bx4" || m == "comp";
}

// "r0", "oPos", "oT3", "c[a0.x + 2]", "-t0_bx2.xyz", "1-r0.a", "!b3"
bool parseOperand(std::string text, AsmOperand& op, std::string& why) {
    text = trim(text);
    if (!text.empty() && text[0] == '-') {
        op.negate = true;
        text = trim(text.substr(1));
    }
    if (!text.empty() && text[0] == '!') {
        op.modifier = "not";
        text = trim(text.substr(1));
    }
    if (text.size() > 2 && text[0] == '1' && text[1] == '-') {
        op.modifier = "comp";
        text = trim(text.substr(2));
    }
    std::size_t i = 0;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) ++i;
    if (i == 0) {
        why = "expected a register, found '" + text + "'";
        return false;
    }
    std::string name = text.substr(0, i);
    std::size_t digits = i;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    bool hasIndex = digits > i;
    if (hasIndex) {
        if (digits - i > 4) {
            why = "register number out of range in '" + text + "'";
            return false;
        }
        op.index = std::atoi(text.substr(i, digits - i).c_str());
    }
    i = digits;
    std::string n = lower(name);
    if (n == "opos") op.file = "oPos";
    else if (n == "ofog") op.file = "oFog";
    else if (n == "opts") op.file = "oPts";
    else if (n == "odepth") op.file = "oDepth";
    else if (n == "al") op.file = "aL";
    else if (n == "vpos" || n == "vface") op.file = n;
    else if (n == "oc" || n == "od" || n == "ot") op.file = std::string("o") + static_cast<char>(std::toupper(n[1]));
    else if (n == "r" || n == "c" || n == "v" || n == "t" || n == "s" || n == "i" || n == "b" || n == "p" ||
             n == "a" || n == "o")
        op.file = n;
    else {
        why = "unknown register '" + text + "'";
        return false;
    }
    bool needsIndex = op.file != "oPos" && op.file != "oFog" && op.file != "oPts" && op.file != "oDepth" &&
                      op.file != "aL" && op.file != "vpos" && op.file != "vface";
    if (i < text.size() && text[i] == '[') {
        std::size_t close = text.find(']', i);
        if (close == std::string::npos) {
            why = "missing ']' in '" + text + "'";
            return false;
        }
        std::string inside = text.substr(i + 1, close - i - 1);
        std::size_t at = 0;
        while (at <= inside.size()) {
            std::size_t plus = inside.find('+', at);
            std::string term = trim(inside.substr(at, plus == std::string::npos ? std::string::npos : plus - at));
            if (term.empty()) {
                why = "empty term in '" + text + "'";
                return false;
            }
            if (std::isdigit(static_cast<unsigned char>(term[0]))) {
                if (term.size() > 4) {
                    why = "register offset out of range in '" + text + "'";
                    return false;
                }
                op.index += std::atoi(term.c_str());
            } else {
                std::string t = lower(term);
                if (t != "al" && t.rfind("a0", 0) != 0) {
                    why = "relative address must use a0 or aL, found '" + term + "'";
                    return false;
                }
                std::string comp = "x";
                if (t.size() > 3 && t[2] == '.' && !normaliseSwizzle(t.substr(3, 1), comp)) {
                    why = "bad address component in '" + term + "'";
                    return false;
                }
                op.relative = true;
                op.relativeRegister = t == "al" ? "aL" : "a0." + comp;
            }
            if (plus == std::string::npos) break;
            at = plus + 1;
        }
        hasIndex = true;
        i = close + 1;
    }
    if (needsIndex && !hasIndex) {
        why = "register '" + name + "' needs a number";
        return false;
    }
    // Modifiers and the swizzle, in either order: r0_bx2.xyz, r0.a_bias
    while (i < text.size()) {
        if (text[i] == '_') {
            std::size_t e = i + 1;
            while (e < text.size() && std::isalnum(static_cast<unsigned char>(text[e]))) ++e;
            std::string m = lower(text.substr(i + 1, e - i - 1));
            if (!isSourceModifier(m)) {
                why = "unknown source modifier '_" + m + "'";
                return false;
            }
            op.modifier = m;
            i = e;
        } else if (text[i] == '.') {
            std::size_t e = i + 1;
            while (e < text.size() && std::isalpha(static_cast<unsigned char>(text[e]))) ++e;
            if (!normaliseSwizzle(text.substr(i + 1, e - i - 1), op.swizzle)) {
                why = "bad swizzle or mask in '" + text + "'";
                return false;
            }
            i = e;
        } else {
            why = "unexpected '" + text.substr(i) + "' in an operand";
            return false;
        }
    }
    return true;
}

bool parseLiteral(const std::string& text, double& value) {
    std::string t = lower(trim(text));
    if (t == "true") return value = 1, true;
    if (t == "false") return value = 0, true;
    if (t.empty()) return false;
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    while (end && (*end == 'f' || *end == 'h')) ++end;
    return end && *end == '\0';
}

std::vector<std::string> splitOperands(const std::string& text) {
    std::vector<std::string> out;
    int depth = 0;
    std::string cur;
    for (char c : text) {
        if (c == '[') ++depth;
        if (c == ']') --depth;
        if (c == ',' && depth == 0) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!trim(cur).empty() || !out.empty()) out.push_back(cur);
    return out;
}

}  // namespace

bool parseAsmLine(const std::string& raw, int lineNumber, AsmInstruction& out, AsmError& error) {
    out = AsmInstruction{};
    out.line = lineNumber;
    auto fail = [&](const std::string& m) {
        error.line = lineNumber;
        error.message = m;
        return false;
    };
    std::string line = trim(raw);
    if (!line.empty() && line[0] == '+') line = trim(line.substr(1));  // co-issued: same meaning run in order
    if (!line.empty() && line[0] == '(') {  // predicate: (p0.x) or (!p0)
        std::size_t close = line.find(')');
        if (close == std::string::npos) return fail("missing ')' after the predicate");
        std::string why;
        if (!parseOperand(line.substr(1, close - 1), out.predicate, why)) return fail(why);
        if (out.predicate.file != "p") return fail("a predicate must be p0");
        out.predicated = true;
        line = trim(line.substr(close + 1));
    }
    std::size_t i = 0;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    std::string word = lower(line.substr(0, i));
    std::string rest = line.substr(i);
    // The version: vs.1.1, vs_2_0, ps.1.4, ps_3_0
    if ((word.rfind("vs", 0) == 0 || word.rfind("ps", 0) == 0) && word.size() >= 6 &&
        (word[2] == '.' || word[2] == '_')) {
        out.opcode = "version";
        out.modifiers.push_back(word.substr(0, 2) + "_" + word.substr(3, 1) + "_" + word.substr(5));
        if (!trim(rest).empty()) return fail("unexpected '" + trim(rest) + "' after the version");
        return true;
    }
    std::size_t underscore = word.find('_');
    out.opcode = word.substr(0, underscore);
    while (underscore != std::string::npos) {
        std::size_t nextUnderscore = word.find('_', underscore + 1);
        out.modifiers.push_back(word.substr(underscore + 1, nextUnderscore == std::string::npos
                                                                ? std::string::npos
                                                                : nextUnderscore - underscore - 1));
        underscore = nextUnderscore;
    }
    if (out.opcode.empty()) return fail("expected an instruction, found '" + line + "'");
    bool literals = out.opcode == "def" || out.opcode == "defi" || out.opcode == "defb";
    std::vector<std::string> parts = splitOperands(rest);
    for (std::size_t p = 0; p < parts.size(); ++p) {
        if (trim(parts[p]).empty()) return fail("empty operand of '" + word + "'");
        if (literals && p > 0) {
            if (out.operands.back().literalCount >= 4) return fail("too many values for '" + word + "'");
            AsmOperand& target = out.operands.back();
            if (!parseLiteral(parts[p], target.literal[target.literalCount]))
                return fail("'" + trim(parts[p]) + "' is not a number");
            ++target.literalCount;
            continue;
        }
        AsmOperand op;
        std::string why;
        if (!parseOperand(parts[p], op, why)) return fail(why + " (in '" + word + "')");
        out.operands.push_back(op);
    }
    return true;
}

}  // namespace fx
