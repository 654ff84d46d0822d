// A static global whose initial value calls a function (`static float3 dir = -lampDir();`)
// is computed before the entry point runs, as fxc's preshader does. glslang's HLSL front
// end places such an initializer inside the function declared before it, which then
// calls itself; so the value is assigned at the start of the entry point instead.
#include <cctype>
#include <string>
#include <vector>

#include "platform/d3dx9/effect/HlslRewrite.h"
#include "platform/d3dx9/effect/MacroExpansion.h"

namespace fx {
namespace {


bool isNumericType(const std::string& w) {
    for (const char* base : {"float", "half", "double", "int", "uint", "bool", "min16float"})
        if (w.rfind(base, 0) == 0) return true;
    return w == "matrix" || w == "vector";
}

// True when `text` calls something other than a constructor: `f(`, `cos(`.
bool callsFunction(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!pp::identChar(text[i]) || (i > 0 && pp::identChar(text[i - 1]))) continue;
        std::size_t end = i;
        while (end < text.size() && pp::identChar(text[end])) ++end;
        std::size_t k = end;
        while (k < text.size() && std::isspace(static_cast<unsigned char>(text[k]))) ++k;
        if (k < text.size() && text[k] == '(' && !std::isdigit(static_cast<unsigned char>(text[i])) &&
            !isNumericType(text.substr(i, end - i)))
            return true;
        i = end;
    }
    return false;
}

// Where the definition of function `name` starts (its return type) and where its body
// opens, both at the top level; false when it is not there.
bool findDefinition(const std::string& hlsl, const std::string& name, std::size_t& start, std::size_t& body) {
    int depth = 0;
    for (std::size_t i = 0; i < hlsl.size(); ++i) {
        const char c = hlsl[i];
        if (c == '{') ++depth;
        if (c == '}') --depth;
        if (depth != 0 || hlsl.compare(i, name.size(), name) != 0 || (i > 0 && pp::identChar(hlsl[i - 1])) ||
            (i + name.size() < hlsl.size() && pp::identChar(hlsl[i + name.size()])))
            continue;
        std::size_t open = hlsl.find_first_not_of(" \t\r\n", i + name.size());
        if (open == std::string::npos || hlsl[open] != '(') continue;
        std::size_t brace = hlsl.find_first_of("{;", open);
        if (brace == std::string::npos || hlsl[brace] != '{') continue;
        std::size_t type = i;
        while (type > 0 && std::isspace(static_cast<unsigned char>(hlsl[type - 1]))) --type;
        while (type > 0 && pp::identChar(hlsl[type - 1])) --type;
        start = type;
        body = brace + 1;
        return true;
    }
    return false;
}

}  // namespace

std::string initializeStaticsInEntry(const std::string& hlsl, const std::string& entry) {
    std::size_t start = 0, body = 0;
    if (entry.empty() || !findDefinition(hlsl, entry, start, body)) return hlsl;
    std::string out = hlsl;
    std::string assignments;
    bool any = false;
    int depth = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (c == '{') ++depth;
        if (c == '}') --depth;
        if (depth != 0 || out.compare(i, 6, "static") != 0 || (i > 0 && pp::identChar(out[i - 1])) ||
            (i + 6 < out.size() && pp::identChar(out[i + 6])))
            continue;
        const std::size_t semi = out.find(';', i);
        if (semi == std::string::npos) break;
        const std::string decl = out.substr(i, semi - i);
        const std::size_t eq = decl.find('=');
        if (eq == std::string::npos || decl.find_first_of("{,") != std::string::npos ||
            decl.find("const") != std::string::npos || !callsFunction(decl.substr(eq + 1))) {
            i = semi;
            continue;
        }
        std::size_t nameEnd = eq;
        while (nameEnd > 0 && std::isspace(static_cast<unsigned char>(decl[nameEnd - 1]))) --nameEnd;
        std::size_t nameStart = nameEnd;
        while (nameStart > 0 && pp::identChar(decl[nameStart - 1])) --nameStart;
        if (nameStart == nameEnd || decl.find('[') != std::string::npos) {
            i = semi;
            continue;
        }
        std::string value = decl.substr(eq + 1);
        for (char& ch : value)
            if (ch == '\n' || ch == '\r') ch = ' ';
        // The entry cannot read a static declared after it: that one just loses its value.
        if (i < start) assignments += decl.substr(nameStart, nameEnd - nameStart) + " =" + value + "; ";
        for (std::size_t k = i + eq; k < semi; ++k)  // the declaration stays, its lines too
            if (out[k] != '\n') out[k] = ' ';
        any = true;
        i = semi;
    }
    if (!any) return hlsl;
    if (assignments.empty()) return out;
    out.insert(body, " gh_initStatics();");
    out.insert(start, "void gh_initStatics() { " + assignments + "} ");
    return out;
}

}  // namespace fx
