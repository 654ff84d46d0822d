#include "platform/d3dx9/effect/GlslPatch.h"

#include <cctype>
#include <cstring>
#include <regex>

#include "platform/d3dx9/effect/ShaderCompiler.h"

namespace fx {

bool inject(std::string& glsl, const std::string& declarations, const std::string& endOfMain) {
    std::size_t at = 0;
    while (at < glsl.size() && glsl[at] == '#') {
        std::size_t nl = glsl.find('\n', at);
        if (nl == std::string::npos) return false;
        at = nl + 1;
    }
    glsl.insert(at, declarations);
    std::size_t close = glsl.rfind('}');
    if (close == std::string::npos) return false;
    glsl.insert(close, endOfMain);
    return true;
}

namespace {

bool isIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

bool widenInput(std::string& glsl, const std::string& name, unsigned used, unsigned wide) {
    static const char* const floatTypes[] = {"", "float", "vec2", "vec3", "vec4"};
    static const char* const swizzles[] = {"", ".x", ".xy", ".xyz", ".xyzw"};
    if (used < 1 || used > 4 || wide < 2 || wide > 4) return false;
    std::string declaration = std::string(" in ") + floatTypes[used] + " " + name + ";";
    std::size_t at = glsl.find(declaration);
    if (at == std::string::npos) return false;
    glsl.replace(at, declaration.size(), std::string(" in ") + floatTypes[wide] + " " + name + ";");
    std::size_t declarationEnd = glsl.find('\n', at);
    std::size_t pos = declarationEnd;
    while ((pos = glsl.find(name, pos)) != std::string::npos) {
        std::size_t end = pos + name.size();
        bool whole = (pos == 0 || !isIdentifierChar(glsl[pos - 1])) && (end >= glsl.size() || !isIdentifierChar(glsl[end]));
        if (whole) {
            glsl.insert(end, swizzles[used]);
            end += std::strlen(swizzles[used]);
        }
        pos = end;
    }
    return true;
}

bool zeroInput(std::string& glsl, const std::string& name) {
    std::size_t at = 0;
    while ((at = glsl.find(" " + name + ";", at)) != std::string::npos) {
        std::size_t begin = glsl.rfind('\n', at);
        begin = begin == std::string::npos ? 0 : begin + 1;
        std::size_t end = glsl.find('\n', at);
        if (end == std::string::npos) end = glsl.size();
        std::string declaration = glsl.substr(begin, end - begin);
        std::size_t in = declaration.find(" in ");
        if (declaration.rfind("in ", 0) == 0) in = 0;
        else if (in != std::string::npos) in += 1;
        if (in == std::string::npos) {
            at = end;
            continue;
        }
        std::size_t typeStart = in + 3;
        std::size_t typeEnd = declaration.find(' ', typeStart);
        std::string type = declaration.substr(typeStart, typeEnd - typeStart);
        glsl.replace(begin, end - begin, type + " " + name + " = " + type + "(0);");
        return true;
    }
    return false;
}

bool builtinOutput(std::string& glsl, const std::string& name, const char* builtin) {
    std::size_t at = glsl.find(" " + name + ";");
    while (at != std::string::npos) {
        std::size_t begin = glsl.rfind('\n', at);
        begin = begin == std::string::npos ? 0 : begin + 1;
        const std::size_t end = glsl.find('\n', at);
        const std::string line = glsl.substr(begin, (end == std::string::npos ? glsl.size() : end) - begin);
        if (line.rfind("out ", 0) == 0 || line.find(" out ") != std::string::npos) {
            glsl.replace(begin, line.size(), "#define " + name + " " + builtin);
            return true;
        }
        at = glsl.find(" " + name + ";", at + 1);
    }
    return false;
}

bool narrowInput(std::string& glsl, const std::string& name, unsigned used, unsigned written) {
    static const char* const floatTypes[] = {"", "float", "vec2", "vec3", "vec4"};
    if (written < 1 || written > 3 || used <= written || used > 4) return false;
    const std::string declaration = std::string(" in ") + floatTypes[used] + " " + name + ";";
    const std::size_t at = glsl.find(declaration);
    if (at == std::string::npos) return false;
    glsl.replace(at, declaration.size(), std::string(" in ") + floatTypes[written] + " " + name + "_written;\n" +
                                             floatTypes[used] + " " + name + ";");
    const std::string start = "void main()\n{\n";
    const std::size_t main = glsl.find(start);
    if (main == std::string::npos) return false;
    // The components the vertex shader leaves out read 0, and w reads 1.
    std::string value = std::string(floatTypes[used]) + "(" + name + "_written";
    for (unsigned c = written; c < used; ++c) value += c == 3 ? ", 1.0" : ", 0.0";
    value += ")";
    glsl.insert(main + start.size(), "    " + name + " = " + value + ";\n");
    return true;
}

namespace {

// The type of what a load of a built-in writes: the declared variable's ("vec2 p = ...")
// or, for "s.m = ...", the member's in the struct of the variable s.
std::string destinationType(const std::string& glsl, std::size_t begin, std::size_t at) {
    const std::string first = glsl.substr(begin, glsl.find(' ', begin) - begin);
    const std::size_t dot = first.find('.');
    if (dot == std::string::npos || begin + first.size() != at) return first;
    const std::string var = first.substr(0, dot), member = first.substr(dot + 1);
    std::smatch m;
    if (!std::regex_search(glsl, m, std::regex("\\n\\s*(?!return\\b)(\\w+) " + var + "[;= ]"))) return {};
    std::size_t body = glsl.find("struct " + m[1].str() + "\n{\n");
    std::size_t end = body == std::string::npos ? body : glsl.find("};", body);
    if (end == std::string::npos) return {};
    const std::string fields = glsl.substr(body, end - body);
    if (!std::regex_search(fields, m, std::regex("\\n\\s*(\\w+) " + member + ";"))) return {};
    return m[1].str();
}

}  // namespace

void patchSystemValues(std::string& glsl) {
    static const char* const types[] = {"float", "vec2", "vec3", "vec4"};
    static const char* const swizzles[] = {".x", ".xy", ".xyz", ""};
    bool position = false;
    // SPIRV-Cross loads each built-in once, into a variable or a struct member of the HLSL
    // parameter's type: "    vec2 p = gl_FragCoord;", "    _input.pos = gl_FragCoord;".
    for (const char* builtin : {"gl_FragCoord", "gl_FrontFacing"}) {
        const std::string tail = std::string(" = ") + builtin + ";";
        for (std::size_t at = 0; (at = glsl.find(tail, at)) != std::string::npos; at += tail.size()) {
            std::size_t begin = glsl.rfind('\n', at);
            begin = glsl.find_first_not_of(' ', begin == std::string::npos ? 0 : begin + 1);
            const std::string type = destinationType(glsl, begin, at);
            int t = 0;
            while (t < 4 && type != types[t]) ++t;
            if (t == 4) continue;
            const bool isPosition = std::strcmp(builtin, "gl_FragCoord") == 0;
            position |= isPosition;
            glsl.replace(at + 3, std::strlen(builtin),
                         isPosition ? std::string("gh_vposition()") + swizzles[t]
                                    : std::string(types[t]) + "(gl_FrontFacing ? 1.0 : -1.0)");
        }
    }
    if (position)
        inject(glsl,
               std::string("uniform vec2 ") + kVposUniform + ";\nvec4 gh_vposition() {\n    return vec4(gl_FragCoord.x - 0.5, " +
                   "gl_FragCoord.y * " + kVposUniform + ".x + " + kVposUniform + ".y, gl_FragCoord.zw);\n}\n",
               "");
}

bool injectAlphaTest(std::string& glsl, const std::string& colorOutput) {
    const std::string decl = std::string("uniform int ") + kAlphaFuncUniform + ";\nuniform float " +
                             kAlphaRefUniform + ";\n"
                             "bool gh_alphaPasses(float alpha)\n{\n"
                             "    float a = floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);\n"
                             "    float r = " + kAlphaRefUniform + ";\n"
                             "    switch (" + kAlphaFuncUniform + ")\n    {\n"
                             "        case 1: return false;\n        case 2: return a < r;\n"
                             "        case 3: return a == r;\n        case 4: return a <= r;\n"
                             "        case 5: return a > r;\n        case 6: return a != r;\n"
                             "        case 7: return a >= r;\n        default: return true;\n    }\n}\n";
    return inject(glsl, decl, "    if (!gh_alphaPasses(" + colorOutput + ".a)) discard;\n");
}

}  // namespace fx
