#define ENABLE_HLSL 1  // the installed glslang is built with its HLSL front end

#include "platform/d3dx9/effect/ShaderCompiler.h"

#include "platform/d3dx9/effect/GlslPatch.h"
#include "platform/d3dx9/effect/HlslRewrite.h"
#include "platform/d3dx9/effect/SpirvStage.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross/spirv_cross_c.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

namespace fx {
namespace {

// DX9 POSITION (index 0) as a vertex shader output must be the clip position; as an input
// it stays an ordinary attribute (its semantic then reads SV_POSITION).
// fxc's `dword` is glslang's uint.
const char* const kPrelude = "#define POSITION SV_Position\n#define POSITION0 SV_Position\n#define dword uint\n";

void initGlslang() {
    static const bool initialised = glslang::InitializeProcess();
    (void)initialised;
}

// glslang writes "ERROR: 0:12: 'x' : undeclared identifier"; the effect reports
// "file(12): error: 'x' : undeclared identifier".
void appendMessages(const char* log, const std::string& fileName, const char* stage,
                    const std::string& entry, std::string& errors) {
    std::istringstream in(log ? log : "");
    std::string line;
    while (std::getline(in, line)) {
        const char* kind = nullptr;
        std::string rest;
        if (line.rfind("ERROR: ", 0) == 0) {
            kind = "error";
            rest = line.substr(7);
        } else if (line.rfind("WARNING: ", 0) == 0) {
            kind = "warning";
            rest = line.substr(9);
        } else {
            continue;
        }
        // "<string>:<line>: <message>"; summary lines have no location.
        std::size_t c1 = rest.find(':');
        std::size_t c2 = c1 == std::string::npos ? c1 : rest.find(':', c1 + 1);
        if (c2 == std::string::npos || c1 == 0) {
            if (rest.find("compilation errors") != std::string::npos) continue;
            errors += fileName + ": " + kind + ": " + rest + " (" + stage + " " + entry + ")\n";
            continue;
        }
        long lineNumber = std::strtol(rest.c_str() + c1 + 1, nullptr, 10);
        std::string message = rest.substr(c2 + 1);
        while (!message.empty() && message[0] == ' ') message.erase(0, 1);
        errors += fileName + "(" + std::to_string(lineNumber) + "): " + kind + ": " + message + "\n";
    }
}

bool compileStageText(const std::string& hlsl, EShLanguage stage, const std::string& entry,
                      const std::string& fileName, std::vector<unsigned>& spirv, std::string& errors) {
    initGlslang();
    glslang::TShader shader(stage);
    const char* source = hlsl.c_str();
    const char* names = fileName.c_str();
    int length = static_cast<int>(hlsl.size());
    shader.setStringsWithLengthsAndNames(&source, &length, &names, 1);
    shader.setPreamble(kPrelude);
    shader.setEntryPoint(entry.c_str());
    shader.setEnvInput(glslang::EShSourceHlsl, stage, glslang::EShClientOpenGL, 100);
    shader.setEnvClient(glslang::EShClientOpenGL, glslang::EShTargetOpenGL_450);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    // Keeps each input's and output's HLSL semantic in the SPIR-V.
    shader.setEnvTargetHlslFunctionality1();
    shader.setAutoMapLocations(true);
    shader.setAutoMapBindings(true);
    auto messages = static_cast<EShMessages>(EShMsgSpvRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);
    const char* stageName = stage == EShLangVertex ? "vertex shader" : "pixel shader";
    if (!shader.parse(GetDefaultResources(), 100, false, messages)) {
        appendMessages(shader.getInfoLog(), fileName, stageName, entry, errors);
        return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(messages) || !program.mapIO()) {
        appendMessages(program.getInfoLog(), fileName, stageName, entry, errors);
        if (errors.empty()) errors = fileName + ": error: cannot link " + entry + "\n";
        return false;
    }
    glslang::SpvOptions options;
    options.disableOptimizer = true;
    glslang::GlslangToSpv(*program.getIntermediate(stage), spirv, &options);
    return true;
}

// Text glslang takes as it is compiles as it is; only what it rejects is rewritten into
// the forms it takes, and then the rewritten text's messages are the ones reported.
bool compileStageHere(const std::string& hlsl, EShLanguage stage, const std::string& entry,
                      const std::string& fileName, std::vector<unsigned>& spirv, std::string& errors) {
    const bool systemValues = namesSystemValue(hlsl);
    std::string first;
    if (!systemValues && compileStageText(hlsl, stage, entry, fileName, spirv, first)) return true;
    std::string rewritten = rewriteHlsl(hlsl);
    if (rewritten == hlsl) {
        if (systemValues) return compileStageText(hlsl, stage, entry, fileName, spirv, errors);
        errors += first;
        return false;
    }
    spirv.clear();
    return compileStageText(rewritten, stage, entry, fileName, spirv, errors);
}

// What a compiling child hands back through its pipe: a flag, the SPIR-V words, the
// messages.
bool writeAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void sendResult(int fd, bool ok, const std::vector<unsigned>& spirv, const std::string& errors) {
    const std::uint64_t head[3] = {ok ? 1u : 0u, spirv.size(), errors.size()};
    if (writeAll(fd, head, sizeof head) && (spirv.empty() || writeAll(fd, spirv.data(), spirv.size() * sizeof(unsigned))))
        writeAll(fd, errors.data(), errors.size());
}

bool receiveResult(const std::string& bytes, bool& ok, std::vector<unsigned>& spirv, std::string& errors) {
    std::uint64_t head[3];
    if (bytes.size() < sizeof head) return false;
    std::memcpy(head, bytes.data(), sizeof head);
    const std::uint64_t words = head[1], text = head[2];
    if (words > bytes.size() / sizeof(unsigned) || text > bytes.size() ||
        bytes.size() != sizeof head + words * sizeof(unsigned) + text)
        return false;
    ok = head[0] == 1;
    spirv.resize(words);
    if (words > 0) std::memcpy(spirv.data(), bytes.data() + sizeof head, words * sizeof(unsigned));
    errors.append(bytes, sizeof head + words * sizeof(unsigned), text);
    return true;
}

// glslang's HLSL front end dies on some malformed sources (a postfix ++ or -- on an
// undeclared name passed to a function, for one), and effect files are data. So each
// stage compiles in a child process; a child that does not come back whole is a compile
// error. The parent compiles one small shader per stage first, so that the children
// inherit glslang's built-in symbol tables instead of building them again each time.
bool compileStage(const std::string& hlsl, EShLanguage stage, const std::string& entry,
                  const std::string& fileName, std::vector<unsigned>& spirv, std::string& errors) {
    static const bool warm = [] {
        std::vector<unsigned> words;
        std::string ignored;
        compileStageHere("float4 v(float4 p : POSITION) : POSITION { return p; }", EShLangVertex, "v", "warm-up",
                         words, ignored);
        compileStageHere("float4 p() : COLOR { return 1; }", EShLangFragment, "p", "warm-up", words, ignored);
        return true;
    }();
    (void)warm;
    int fds[2];
    if (pipe(fds) != 0) return compileStageHere(hlsl, stage, entry, fileName, spirv, errors);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return compileStageHere(hlsl, stage, entry, fileName, spirv, errors);
    }
    if (child == 0) {
        close(fds[0]);
        std::vector<unsigned> words;
        std::string text;
        const bool ok = compileStageHere(hlsl, stage, entry, fileName, words, text);
        sendResult(fds[1], ok, words, text);
        _exit(0);
    }
    close(fds[1]);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    bool ok = false;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !receiveResult(bytes, ok, spirv, errors)) {
        spirv.clear();
        errors += fileName + ": error: the shader compiler failed on " + entry + " (" +
                  (stage == EShLangVertex ? "vertex shader" : "pixel shader") + ")\n";
        return false;
    }
    return ok;
}

bool loadStage(SpvcContext& ctx, const std::vector<unsigned>& spirv, Stage& stage) {
    spvc_parsed_ir ir = nullptr;
    if (spvc_context_parse_spirv(ctx.context, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS) return false;
    if (spvc_context_create_compiler(ctx.context, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                     &stage.compiler) != SPVC_SUCCESS)
        return false;
    return spvc_compiler_create_shader_resources(stage.compiler, &stage.resources) == SPVC_SUCCESS;
}

bool emitGlsl(Stage& stage, std::string& glsl) {
    spvc_compiler_options options = nullptr;
    spvc_compiler_create_compiler_options(stage.compiler, &options);
    spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 450);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_VULKAN_SEMANTICS, SPVC_FALSE);
    spvc_compiler_install_compiler_options(stage.compiler, options);
    const char* source = nullptr;
    if (spvc_compiler_compile(stage.compiler, &source) != SPVC_SUCCESS || !source) return false;
    glsl = source;
    return true;
}

}  // namespace

bool compileProgram(const EffectDescription& effect, const PassDescription& pass,
                    const std::string& fileName, AttributeLocationFn attributeLocation,
                    CompiledProgram& out, std::string& errors) {
    out = CompiledProgram{};
    out.vertexEntry = pass.vertexEntry;
    out.pixelEntry = pass.pixelEntry;
    // A pass may bring one shader only: the device then generates the other stage.
    const bool hasVs = !pass.vertexEntry.empty(), hasPs = !pass.pixelEntry.empty();
    if (!hasVs && !hasPs) return false;
    std::vector<unsigned> vsSpirv, psSpirv;
    bool vsOk = !hasVs || compileStage(effect.hlsl, EShLangVertex, pass.vertexEntry, fileName, vsSpirv, errors);
    bool psOk = !hasPs || compileStage(effect.hlsl, EShLangFragment, pass.pixelEntry, fileName, psSpirv, errors);
    if (!vsOk || !psOk) return false;

    SpvcContext ctx;
    Stage vs, ps;
    if ((hasVs && !loadStage(ctx, vsSpirv, vs)) || (hasPs && !loadStage(ctx, psSpirv, ps))) {
        errors += fileName + ": error: cannot translate the shaders: " + ctx.error + "\n";
        return false;
    }
    std::vector<Stage*> stages;
    if (hasVs) stages.push_back(&vs);
    if (hasPs) stages.push_back(&ps);
    auto problem = [&](int line, const std::string& message) {
        errors += fileName + "(" + std::to_string(line) + "): error: " + message + "\n";
        return false;
    };

    VaryingFixups links;
    if (!bindInterface(pass, attributeLocation, hasVs ? &vs : nullptr, hasPs ? &ps : nullptr, out, links, problem))
        return false;

    // Samplers: one texture unit each, shared by both stages.
    for (Stage* stage : stages) {
        for (const spvc_reflected_resource& r : stage->list(SPVC_RESOURCE_TYPE_SAMPLED_IMAGE)) {
            std::string name = r.name;
            std::size_t unit = 0;
            while (unit < out.samplers.size() && out.samplers[unit].name != name) ++unit;
            if (unit == out.samplers.size()) {
                SamplerBinding b;
                b.name = name;
                b.stage = samplerRegister(effect.hlsl, name);
                b.cube = spvc_type_get_image_dimension(spvc_compiler_get_type_handle(stage->compiler, r.base_type_id)) ==
                         SpvDimCube;
                for (std::size_t s = 0; s < effect.samplers.size(); ++s)
                    if (effect.samplers[s].name == name) {
                        b.sampler = static_cast<int>(s);
                        b.texture = effect.findParameter(effect.samplers[s].texture);
                    }
                out.samplers.push_back(b);
            }
            spvc_compiler_unset_decoration(stage->compiler, r.id, SpvDecorationLocation);
            spvc_compiler_set_decoration(stage->compiler, r.id, SpvDecorationBinding, static_cast<unsigned>(unit));
        }
        if (!stage->list(SPVC_RESOURCE_TYPE_SEPARATE_IMAGE).empty() ||
            !stage->list(SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS).empty())
            return problem(pass.line, "separate texture and sampler objects are not supported; use sampler2D");
    }

    // The globals: one block, the same layout in both stages (every global is a member).
    for (Stage* stage : stages) {
        for (const spvc_reflected_resource& r : stage->list(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
            spvc_compiler_set_decoration(stage->compiler, r.id, SpvDecorationBinding, 0);
            spvc_compiler_set_name(stage->compiler, r.base_type_id, kGlobalBlock);
            if (!out.members.empty() || out.blockSize) continue;
            std::string unknown;
            if (!reflectGlobals(effect, *stage, r, out, unknown))
                return problem(1, "global '" + unknown + "' cannot be set as an effect parameter "
                                  "(declare it static or give it a value type)");
        }
    }

    if ((hasVs && !emitGlsl(vs, out.vertexGlsl)) || (hasPs && !emitGlsl(ps, out.fragmentGlsl))) {
        errors += fileName + ": error: cannot translate the shaders: " + ctx.error + "\n";
        return false;
    }
    if (hasPs) patchSystemValues(out.fragmentGlsl);
    if (!links.depthOutput.empty() && !builtinOutput(out.fragmentGlsl, links.depthOutput, "gl_FragDepth"))
        return problem(pass.pixelLine, "cannot make " + pass.pixelEntry + "'s DEPTH output the pixel's depth");
    if (!links.positionOutput.empty() && !builtinOutput(out.vertexGlsl, links.positionOutput, "gl_Position"))
        return problem(pass.vertexLine, "cannot make " + pass.vertexEntry + "'s POSITION output the clip position");
    for (const std::string& name : links.unwritten)
        if (!zeroInput(out.fragmentGlsl, name))
            return problem(pass.pixelLine, "cannot give the pixel shader input " + name + " its zero value");
    for (const auto& [key, size] : links.widened) {
        std::size_t colon = key.find(':');
        if (!widenInput(out.fragmentGlsl, key.substr(0, colon), static_cast<unsigned>(std::stoul(key.substr(colon + 1))),
                        size))
            return problem(pass.pixelLine, "cannot match the pixel shader input " + key.substr(0, colon));
    }
    for (const auto& [key, size] : links.narrowed) {
        std::size_t colon = key.find(':');
        if (!narrowInput(out.fragmentGlsl, key.substr(0, colon), static_cast<unsigned>(std::stoul(key.substr(colon + 1))),
                         size))
            return problem(pass.pixelLine, "cannot match the pixel shader input " + key.substr(0, colon));
    }
    // D3D9 samples pixel centres at integer coordinates: shift clip space by half a pixel,
    // after the user clip planes have seen the shader's own position.
    if (hasVs)
        inject(out.vertexGlsl, std::string("uniform vec2 ") + kPixelOffsetUniform + ";\n" + kClipPlaneBlock,
               kClipDistances + pointSizeCode(out.vertexGlsl) + "    gl_Position.xy += " + kPixelOffsetUniform +
                   " * gl_Position.w;\n");
    if (!links.colorOutput.empty()) injectAlphaTest(out.fragmentGlsl, links.colorOutput);
    return true;
}

}  // namespace fx
