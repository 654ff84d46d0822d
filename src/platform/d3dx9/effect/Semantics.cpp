// DX9 semantics: vertex usages and the varying locations the two stages are linked by.
#include <cctype>
#include <cstdlib>

#include "platform/d3dx9/effect/ShaderCompiler.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace fx {
namespace {

struct UsageName {
    const char* name;
    BYTE usage;
};

const UsageName kUsages[] = {
    {"POSITION", D3DDECLUSAGE_POSITION},     {"SV_POSITION", D3DDECLUSAGE_POSITION},
    {"BLENDWEIGHT", D3DDECLUSAGE_BLENDWEIGHT}, {"BLENDINDICES", D3DDECLUSAGE_BLENDINDICES},
    {"NORMAL", D3DDECLUSAGE_NORMAL},         {"PSIZE", D3DDECLUSAGE_PSIZE},
    {"TEXCOORD", D3DDECLUSAGE_TEXCOORD},     {"TANGENT", D3DDECLUSAGE_TANGENT},
    {"BINORMAL", D3DDECLUSAGE_BINORMAL},     {"TESSFACTOR", D3DDECLUSAGE_TESSFACTOR},
    {"POSITIONT", D3DDECLUSAGE_POSITIONT},   {"COLOR", D3DDECLUSAGE_COLOR},
    {"FOG", D3DDECLUSAGE_FOG},               {"DEPTH", D3DDECLUSAGE_DEPTH},
    {"SAMPLE", D3DDECLUSAGE_SAMPLE},
};

}  // namespace

bool semanticUsage(const std::string& semantic, BYTE& usage, BYTE& index) {
    std::size_t digits = semantic.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(semantic[digits - 1]))) --digits;
    std::string base = semantic.substr(0, digits);
    long n = digits < semantic.size() ? std::strtol(semantic.c_str() + digits, nullptr, 10) : 0;
    if (n > 15) return false;
    for (const UsageName& u : kUsages)
        if (equalsIgnoreCase(base, u.name)) {
            usage = u.usage;
            index = static_cast<BYTE>(n);
            return true;
        }
    return false;
}

int samplerRegister(const std::string& hlsl, const std::string& name) {
    if (name.empty()) return -1;
    auto identifier = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    auto skip = [&](std::size_t at) {
        while (at < hlsl.size() && std::isspace(static_cast<unsigned char>(hlsl[at]))) ++at;
        return at;
    };
    for (std::size_t at = hlsl.find(name); at != std::string::npos; at = hlsl.find(name, at + 1)) {
        if ((at > 0 && identifier(hlsl[at - 1])) || (at + name.size() < hlsl.size() && identifier(hlsl[at + name.size()])))
            continue;
        std::size_t p = skip(at + name.size());
        if (p >= hlsl.size() || hlsl[p] != ':') continue;
        p = skip(p + 1);
        if (hlsl.compare(p, 8, "register") != 0) continue;
        p = skip(p + 8);
        if (p >= hlsl.size() || hlsl[p] != '(') continue;
        p = skip(p + 1);
        if (p + 1 >= hlsl.size() || (hlsl[p] != 's' && hlsl[p] != 'S') || !std::isdigit(static_cast<unsigned char>(hlsl[p + 1])))
            continue;
        const long n = std::strtol(hlsl.c_str() + p + 1, nullptr, 10);
        return n >= 0 && n < 16 ? static_cast<int>(n) : -1;
    }
    return -1;
}

int varyingLocation(const std::string& semantic) {
    // TEXCOORD0..15 -> 0..15, COLOR0..3 -> 16..19, NORMAL0..1 -> 20..21, TANGENT 22,
    // BINORMAL 23, POSITION1..3 (POSITION0 is the clip position) -> 24..26, FOG 27, PSIZE 28.
    BYTE usage = 0, index = 0;
    if (!semanticUsage(semantic, usage, index)) return -1;
    switch (usage) {
        case D3DDECLUSAGE_TEXCOORD: return index;
        case D3DDECLUSAGE_COLOR: return index < 4 ? 16 + index : -1;
        case D3DDECLUSAGE_NORMAL: return index < 2 ? 20 + index : -1;
        case D3DDECLUSAGE_TANGENT: return index == 0 ? 22 : -1;
        case D3DDECLUSAGE_BINORMAL: return index == 0 ? 23 : -1;
        case D3DDECLUSAGE_POSITION: return index >= 1 && index <= 3 ? 23 + index : -1;
        case D3DDECLUSAGE_FOG: return index == 0 ? 27 : -1;
        case D3DDECLUSAGE_PSIZE: return index == 0 ? 28 : -1;
        default: return -1;
    }
}

}  // namespace fx
