// The GLSL a pass compiles to is checked here, as the GL device will compile and link it,
// so that a file is never reported compiled when the device would refuse its programs.
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "platform/d3dx9/effect/ShaderCompiler.h"

namespace fx {
namespace {

// Line `n` (from 1) of the text, trimmed; empty when there is none.
std::string sourceLine(const std::string& text, long n) {
    std::istringstream in(text);
    std::string line;
    for (long i = 0; i < n && std::getline(in, line);) ++i;
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

// The log's error lines, each as "<fileName>: error: <what> GLSL: <message>", with the
// GLSL line it names.
void appendLog(const char* log, const std::string& text, const std::string& fileName, const std::string& what,
               std::string& errors) {
    std::istringstream in(log ? log : "");
    std::string line;
    bool any = false;
    while (std::getline(in, line)) {
        if (line.rfind("ERROR: ", 0) != 0 || line.find("compilation errors") != std::string::npos ||
            line.find("compilation terminated") != std::string::npos)
            continue;
        std::string message = line.substr(7);
        if (message.rfind("0:", 0) == 0 && !text.empty()) {
            const std::string code = sourceLine(text, std::strtol(message.c_str() + 2, nullptr, 10));
            if (!code.empty()) message += " in `" + code + "`";
        }
        errors += fileName + ": error: " + what + " GLSL: " + message + "\n";
        any = true;
    }
    if (!any) errors += fileName + ": error: " + what + " GLSL does not compile\n";
}

}  // namespace

bool validateGlsl(const CompiledProgram& program, const std::string& fileName, std::string& errors) {
    static const bool initialised = glslang::InitializeProcess();
    (void)initialised;
    const auto messages = static_cast<EShMessages>(EShMsgDefault);
    const std::string names = program.vertexEntry + "/" + program.pixelEntry;
    glslang::TProgram linked;
    std::unique_ptr<glslang::TShader> shaders[2];
    const std::pair<EShLanguage, const std::string*> stages[2] = {{EShLangVertex, &program.vertexGlsl},
                                                                  {EShLangFragment, &program.fragmentGlsl}};
    int count = 0;
    for (int i = 0; i < 2; ++i) {
        const std::string& text = *stages[i].second;
        if (text.empty()) continue;  // the device generates a fixed-function stage
        shaders[i] = std::make_unique<glslang::TShader>(stages[i].first);
        const char* source = text.c_str();
        shaders[i]->setStrings(&source, 1);
        const std::string what = std::string(i == 0 ? "the vertex shader's" : "the pixel shader's") + " (" + names + ")";
        if (!shaders[i]->parse(GetDefaultResources(), 450, false, messages)) {
            appendLog(shaders[i]->getInfoLog(), text, fileName, what, errors);
            return false;
        }
        linked.addShader(shaders[i].get());
        ++count;
    }
    if (count == 2 && !linked.link(messages)) {
        appendLog(linked.getInfoLog(), {}, fileName, "the linked (" + names + ")", errors);
        return false;
    }
    return true;
}

}  // namespace fx
