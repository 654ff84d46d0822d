#include "platform/d3dx9/effect/StateTables.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace fx {
namespace {

using d3d9::detail::StateGroup;
using d3d9::detail::StateRow;

struct Tables {
    std::vector<StateInfo> render, sampler;
};

const Tables& tables() {
    static const Tables t = [] {
        Tables out;
        for (const StateRow& row : d3d9::detail::stateRows()) {
            if (!row.fxName) continue;
            if (row.group == StateGroup::Render && !row.fixedFunction) out.render.push_back({row.fxName, row.value, row.kind});
            if (row.group == StateGroup::Sampler) out.sampler.push_back({row.fxName, row.value, row.kind});
        }
        return out;
    }();
    return t;
}

// A value's name without its D3D prefix: "SRCALPHA" for D3DBLEND_SRCALPHA.
const char* shortName(StateValueKind kind, const char* name) { return name + std::strlen(d3d9::detail::valuePrefix(kind)); }

std::string numberText(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string stateValueName(StateValueKind kind, DWORD value) {
    using K = StateValueKind;
    switch (kind) {
        case K::ColorMask: {
            // a mask of channels: their names joined; any bit without one keeps the number
            std::string out;
            DWORD rest = value;
            for (const d3d9::detail::NamedValue& v : d3d9::detail::valueNames(kind))
                if (value & v.value) {
                    out += (out.empty() ? "" : " | ") + std::string(shortName(kind, v.name));
                    rest &= ~v.value;
                }
            if (rest == 0) return out.empty() ? "0" : out;
            break;
        }
        case K::Float: {
            float f;
            std::memcpy(&f, &value, sizeof f);
            return numberText("%g", static_cast<double>(f));
        }
        case K::Color: {
            char text[16];
            std::snprintf(text, sizeof text, "0x%08x", value);
            return text;
        }
        default:
            if (const char* name = d3d9::detail::valueName(kind, value)) return shortName(kind, name);
            break;
    }
    return std::to_string(value);
}

bool equalsIgnoreCase(const std::string& a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const StateInfo* findRenderState(const std::string& name) {
    std::string n = name;
    if (n.size() > 6 && equalsIgnoreCase(n.substr(0, 6), "D3DRS_")) n = n.substr(6);
    for (const StateInfo& s : tables().render)
        if (equalsIgnoreCase(n, s.name)) return &s;
    return nullptr;
}

const StateInfo* renderStateById(DWORD id) {
    for (const StateInfo& s : tables().render)
        if (s.id == id) return &s;
    return nullptr;
}

const StateInfo* findSamplerState(const std::string& name) {
    for (const StateInfo& s : tables().sampler)
        if (equalsIgnoreCase(name, s.name)) return &s;
    return nullptr;
}

bool stateValue(StateValueKind kind, const std::string& word, DWORD& value) {
    using K = StateValueKind;
    switch (kind) {
        case K::Number:
        case K::Mask:
        case K::Color:
        case K::Matrix: return stateValue(K::Bool, word, value);
        case K::Float:
            if (!stateValue(K::Bool, word, value)) return false;
            value = value ? 0x3f800000u : 0u;  // true is 1.0
            return true;
        default: break;
    }
    // the D3D names, with or without their prefix ("D3DBLEND_SRCALPHA", "SrcAlpha")
    const char* prefix = d3d9::detail::valuePrefix(kind);
    const std::size_t n = std::strlen(prefix);
    std::string w = word;
    if (n && w.size() > n && equalsIgnoreCase(w.substr(0, n), prefix)) w = w.substr(n);
    for (const d3d9::detail::NamedValue& v : d3d9::detail::valueNames(kind))
        if (equalsIgnoreCase(w, v.name + n)) {
            value = v.value;
            return true;
        }
    return false;
}

bool lookUpName(const NamedValue* table, std::size_t count, const std::string& word, const char* prefix, DWORD& value) {
    std::string w = word;
    std::size_t n = std::strlen(prefix);
    if (n && w.size() > n && equalsIgnoreCase(w.substr(0, n), prefix)) w = w.substr(n);
    for (std::size_t i = 0; i < count; ++i)
        if (equalsIgnoreCase(w, table[i].name)) {
            value = table[i].value;
            return true;
        }
    return false;
}

}  // namespace fx
