#define ENABLE_HLSL 1  // the installed glslang is built with its HLSL front end

#include "platform/d3dx9/effect/ShaderCompiler.h"

#include "platform/d3dx9/effect/CompilerChild.h"
#include "platform/d3dx9/effect/GlslPatch.h"
#include "platform/d3dx9/effect/HlslRewrite.h"
#include "platform/d3dx9/effect/MacroExpansion.h"
#include "platform/d3dx9/effect/SpirvStage.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross/spirv_cross_c.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
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

// The line where `name` is first written as a call or definition, 0 if nowhere.
int lineOfFunction(const std::string& hlsl, const std::string& name) {
    for (std::size_t at = hlsl.find(name); !name.empty() && at != std::string::npos; at = hlsl.find(name, at + 1)) {
        const std::size_t after = hlsl.find_first_not_of(" \t", at + name.size());
        const bool word = at == 0 || !pp::identChar(hlsl[at - 1]);
        if (word && after != std::string::npos && hlsl[after] == '(')
            return 1 + static_cast<int>(std::count(hlsl.begin(), hlsl.begin() + static_cast<long>(at), '\n'));
    }
    return 0;
}

// One glslang message, continuation lines joined, as the effect reports it. glslang
// writes "ERROR: name:12: 'x' : undeclared identifier" for what has a place, and
// "ERROR: Linking fragment stage: ..." with indented lines after it for what has none.
std::string effectMessage(const std::string& kind, const std::string& rest, const std::string& fileName,
                          const char* stage, const std::string& entry, const std::string& hlsl) {
    if (rest.find("compilation errors") != std::string::npos) return {};
    if (std::size_t r = rest.find("Recursion detected:"); r != std::string::npos) {
        // "f(f1; calling g(f1;": mangled names, each up to its '('.
        std::string calls = rest.substr(r + 19);
        std::size_t first = calls.find_first_not_of(" \t");
        std::string name = first == std::string::npos ? "" : calls.substr(first, calls.find('(', first) - first);
        return fileName + "(" + std::to_string(lineOfFunction(hlsl, name)) + "): " + kind + ": '" + name +
               "' calls itself, directly or through other functions; shaders cannot recurse\n";
    }
    const std::size_t c1 = rest.find(':');
    const std::size_t c2 = c1 == std::string::npos ? c1 : rest.find(':', c1 + 1);
    const bool located = c1 != std::string::npos && c1 > 0 && c2 != std::string::npos && c2 > c1 + 1 &&
                         rest.find_first_not_of("0123456789", c1 + 1) == c2;
    if (!located) return fileName + ": " + kind + ": " + rest + " (" + stage + " " + entry + ")\n";
    const long lineNumber = std::strtol(rest.c_str() + c1 + 1, nullptr, 10);
    std::string message = rest.substr(c2 + 1);
    message.erase(0, message.find_first_not_of(' '));
    if (message.empty()) message = "the shader compiler gave no reason";
    return fileName + "(" + std::to_string(lineNumber) + "): " + kind + ": " + message + "\n";
}

void appendMessages(const char* log, const std::string& fileName, const char* stage, const std::string& entry,
                    const std::string& hlsl, std::string& errors) {
    std::istringstream in(log ? log : "");
    std::string line, kind, rest;
    auto flush = [&] {
        if (!kind.empty()) errors += effectMessage(kind, rest, fileName, stage, entry, hlsl);
        kind.clear();
    };
    while (std::getline(in, line)) {
        if (line.rfind("ERROR: ", 0) == 0 || line.rfind("WARNING: ", 0) == 0) {
            flush();
            kind = line[0] == 'E' ? "error" : "warning";
            rest = line.substr(line.find(' ') + 1);
        } else if (!kind.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            rest += " " + line.substr(line.find_first_not_of(" \t"));
        } else {
            flush();
        }
    }
    flush();
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
    const std::size_t before = errors.size();
    // A failure always says what failed, whether or not glslang did.
    auto failed = [&](const char* what) {
        if (errors.find(": error: ", before) == std::string::npos)
            errors += fileName + ": error: the shader compiler could not " + what + " " + entry + " (" + stageName +
                      ")\n";
        return false;
    };
    if (!shader.parse(GetDefaultResources(), 100, false, messages)) {
        appendMessages(shader.getInfoLog(), fileName, stageName, entry, hlsl, errors);
        return failed("compile");
    }
    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(messages) || !program.mapIO()) {
        appendMessages(program.getInfoLog(), fileName, stageName, entry, hlsl, errors);
        return failed("link");
    }
    glslang::SpvOptions options;
    options.disableOptimizer = true;
    glslang::GlslangToSpv(*program.getIntermediate(stage), spirv, &options);
    return true;
}

// Text glslang takes as it is compiles as it is; only what it rejects is rewritten into
// the forms it takes, and then the rewritten text's messages are the ones reported.
bool compileStageHere(const std::string& source, EShLanguage stage, const std::string& entry,
                      const std::string& fileName, std::vector<unsigned>& spirv, std::string& errors) {
    // Forms glslang compiles to the wrong value, or dies on: always rewritten.
    const std::string hlsl = initializeStaticsInEntry(splitMatrixSwizzles(source), entry);
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

// What a compiling child hands back: a flag, the SPIR-V words, the messages.
std::string packResult(bool ok, const std::vector<unsigned>& spirv, const std::string& errors) {
    const std::uint64_t head[3] = {ok ? 1u : 0u, spirv.size(), errors.size()};
    std::string bytes(reinterpret_cast<const char*>(head), sizeof head);
    bytes.append(reinterpret_cast<const char*>(spirv.data()), spirv.size() * sizeof(unsigned));
    return bytes + errors;
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
// stage compiles in a child process under limits (CompilerChild.h); a child that does
// not come back whole is a compile error. The parent compiles one small shader per stage
// first, so that the children inherit glslang's built-in symbol tables instead of
// building them again each time.
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
    std::string bytes;
    const ChildEnd end = runInCompilerChild(
        [&] {
            std::vector<unsigned> words;
            std::string text;
            const bool ok = compileStageHere(hlsl, stage, entry, fileName, words, text);
            return packResult(ok, words, text);
        },
        bytes);
    if (end == ChildEnd::NotStarted) return compileStageHere(hlsl, stage, entry, fileName, spirv, errors);
    bool ok = false;
    if (end != ChildEnd::Finished || !receiveResult(bytes, ok, spirv, errors)) {
        spirv.clear();
        errors += fileName + ": error: the shader compiler " +
                  (end == ChildEnd::Finished ? std::string("failed") : describeChildEnd(end)) + " on " + entry + " (" +
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
