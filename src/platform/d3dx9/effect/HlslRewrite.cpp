#include "platform/d3dx9/effect/HlslRewrite.h"

#include <cctype>
#include <cstring>
#include <strings.h>

#include <vector>

namespace fx {
namespace {

bool wordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Overloads placed ahead of the first line (on it, so no line moves). Calls of normalize
// go to them: the vector forms are the intrinsic, the scalar one the sign of its value.
const char* const kNormalizeHelpers =
    "float gh_normalize(float v) { return v < 0 ? -1.0 : 1.0; } "
    "float2 gh_normalize(float2 v) { return normalize(v); } "
    "float3 gh_normalize(float3 v) { return normalize(v); } "
    "float4 gh_normalize(float4 v) { return normalize(v); } ";

struct Scanner {
    const std::string& in;
    std::string out;
    std::size_t i = 0;

    void skipSpaceInto(std::string& s) {
        while (i < in.size() && std::isspace(static_cast<unsigned char>(in[i]))) s += in[i++];
    }
    std::string word() {
        std::size_t start = i;
        while (i < in.size() && wordChar(in[i])) ++i;
        return in.substr(start, i - start);
    }
};

// `matrix<T, R, C>` or `vector<T, N>` at `s.i` (just past the keyword): the plain name,
// or empty when the text is not that form (then nothing is consumed).
std::string templateType(Scanner& s, bool matrix) {
    std::size_t save = s.i;
    std::string space;
    s.skipSpaceInto(space);
    std::string newlines;
    auto fail = [&] {
        s.i = save;
        return std::string();
    };
    if (s.i >= s.in.size() || s.in[s.i] != '<') return fail();
    ++s.i;
    std::vector<std::string> parts;
    for (int n = 0; n < (matrix ? 3 : 2); ++n) {
        std::string ws;
        s.skipSpaceInto(ws);
        for (char c : ws)
            if (c == '\n') newlines += '\n';
        std::string w = s.word();
        if (w.empty()) return fail();
        parts.push_back(w);
        ws.clear();
        s.skipSpaceInto(ws);
        for (char c : ws)
            if (c == '\n') newlines += '\n';
        char expected = n + 1 == (matrix ? 3 : 2) ? '>' : ',';
        if (s.i >= s.in.size() || s.in[s.i] != expected) return fail();
        ++s.i;
    }
    for (std::size_t n = 1; n < parts.size(); ++n)
        if (parts[n].size() != 1 || parts[n][0] < '1' || parts[n][0] > '4') return fail();
    std::string type = parts[0] + parts[1] + (matrix ? "x" + parts[2] : "");
    return type + newlines;
}

}  // namespace

std::string rewriteHlsl(const std::string& hlsl) {
    Scanner s{hlsl, {}};
    s.out.reserve(hlsl.size() + 256);
    bool normalizeUsed = false;
    bool afterColon = false;  // the next word is a semantic
    while (s.i < hlsl.size()) {
        char c = hlsl[s.i];
        if (c == '"') {  // strings (annotations left behind) stay as they are
            std::size_t end = hlsl.find_first_of("\"\n", s.i + 1);
            end = end == std::string::npos ? hlsl.size() : end + 1;
            s.out.append(hlsl, s.i, end - s.i);
            s.i = end;
            continue;
        }
        if (!wordChar(c) || (s.i > 0 && wordChar(hlsl[s.i - 1]))) {
            if (c == ':') afterColon = !(s.i + 1 < hlsl.size() && hlsl[s.i + 1] == ':');
            else if (!std::isspace(static_cast<unsigned char>(c))) afterColon = false;
            s.out += c;
            ++s.i;
            continue;
        }
        std::string w = s.word();
        bool semantic = afterColon;
        afterColon = false;
        if (semantic) {
            std::size_t cut = w.size() > 9 ? w.size() - 9 : std::string::npos;
            if (cut != std::string::npos && strcasecmp(w.c_str() + cut, "_centroid") == 0) w.erase(cut);
            if (strcasecmp(w.c_str(), "VPOS") == 0) w = "SV_Position";
            else if (strcasecmp(w.c_str(), "VFACE") == 0) w = "SV_IsFrontFace";
            s.out += w;
            continue;
        }
        if (w == "matrix" || w == "vector") {
            std::string type = templateType(s, w == "matrix");
            s.out += type.empty() ? w : type;
            continue;
        }
        if (w == "normalize") {
            std::size_t k = s.i;
            while (k < hlsl.size() && std::isspace(static_cast<unsigned char>(hlsl[k]))) ++k;
            if (k < hlsl.size() && hlsl[k] == '(') {
                normalizeUsed = true;
                w = "gh_normalize";
            }
        }
        s.out += w;
    }
    if (normalizeUsed) s.out.insert(0, kNormalizeHelpers);
    return rewriteInitializers(aliasEqualStructs(s.out));
}

bool namesSystemValue(const std::string& hlsl) {
    for (const char* word : {"VPOS", "VFACE"}) {
        const std::size_t n = std::strlen(word);
        for (std::size_t at = 0; at + n <= hlsl.size(); ++at) {
            if (strncasecmp(hlsl.c_str() + at, word, n) != 0) continue;
            if ((at == 0 || !wordChar(hlsl[at - 1])) && (at + n == hlsl.size() || !wordChar(hlsl[at + n]))) return true;
        }
    }
    return false;
}

}  // namespace fx
