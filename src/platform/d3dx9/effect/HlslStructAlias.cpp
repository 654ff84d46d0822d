// fxc converts between structs declared with the same members (names, types and
// semantics in the same order): a VS_OUTPUT returned where a PS_INPUT is declared.
// glslang holds every struct a type of its own, so a later struct equal to an earlier
// one becomes a typedef of it.
#include <cctype>
#include <map>

#include "platform/d3dx9/effect/HlslRewrite.h"
#include "platform/d3dx9/effect/MacroExpansion.h"

namespace fx {
namespace {


// The members with each run of white space made one space.
std::string normalised(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

std::string aliasEqualStructs(const std::string& hlsl) {
    std::map<std::string, std::string> firstWith;  // members -> the struct that declared them first
    std::string out;
    std::size_t copied = 0;
    int depth = 0;
    for (std::size_t i = 0; i < hlsl.size(); ++i) {
        const char c = hlsl[i];
        if (c == '{') ++depth;
        if (c == '}') --depth;
        if (depth != 0 || hlsl.compare(i, 6, "struct") != 0 || (i > 0 && pp::identChar(hlsl[i - 1])) ||
            i + 6 >= hlsl.size() || pp::identChar(hlsl[i + 6]))
            continue;
        std::size_t k = i + 6;
        while (k < hlsl.size() && std::isspace(static_cast<unsigned char>(hlsl[k]))) ++k;
        const std::size_t nameAt = k;
        while (k < hlsl.size() && pp::identChar(hlsl[k])) ++k;
        const std::string name = hlsl.substr(nameAt, k - nameAt);
        while (k < hlsl.size() && std::isspace(static_cast<unsigned char>(hlsl[k]))) ++k;
        if (name.empty() || k >= hlsl.size() || hlsl[k] != '{') continue;
        const std::size_t close = hlsl.find('}', k);  // members hold no braces
        if (close == std::string::npos || hlsl.find('{', k + 1) < close) continue;
        std::size_t end = close + 1;
        while (end < hlsl.size() && std::isspace(static_cast<unsigned char>(hlsl[end]))) ++end;
        if (end >= hlsl.size() || hlsl[end] != ';') continue;
        const std::string members = normalised(hlsl.substr(k + 1, close - k - 1));
        auto [found, inserted] = firstWith.emplace(members, name);
        if (inserted || members.empty()) continue;
        out.append(hlsl, copied, i - copied);
        out += "typedef " + found->second + " " + name + ";";
        for (std::size_t n = i; n <= end; ++n)
            if (hlsl[n] == '\n') out += '\n';  // the lines stay where they were
        copied = end + 1;
        i = end;
    }
    if (copied == 0) return hlsl;
    out.append(hlsl, copied, std::string::npos);
    return out;
}

}  // namespace fx
