#define ENABLE_HLSL 1  // the installed glslang is built with its HLSL front end

#include "platform/d3dx9/effect/ShaderCompiler.h"

#include "platform/d3dx9/effect/GlslPatch.h"
#include "platform/d3dx9/effect/HlslRewrite.h"

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

// DX9 POSITION as a vertex shader output must be the clip position; as an input it stays
// an ordinary attribute (its semantic then reads SV_POSITION).
const char* const kPrelude = "#define POSITION SV_Position\n";

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
    bool kept = false;  // the last line was a message of ours
    while (std::getline(in, line)) {
        const char* kind = nullptr;
        std::string rest;
        // A message may go on over indented lines ("Recursion detected:" names the calls).
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            const std::size_t text = line.find_first_not_of(" \t");
            if (kept && text != std::string::npos) errors.insert(errors.size() - 1, " " + line.substr(text));
            continue;
        }
        kept = false;
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
        const bool located = c2 != std::string::npos && c1 > 0 && c2 > c1 + 1 &&
                             rest.find_first_not_of("0123456789", c1 + 1) == c2;
        if (!located) {
            if (rest.find("compilation errors") != std::string::npos) continue;
            errors += fileName + ": " + kind + ": " + rest + " (" + stage + " " + entry + ")\n";
            kept = true;
            continue;
        }
        long lineNumber = std::strtol(rest.c_str() + c1 + 1, nullptr, 10);
        std::string message = rest.substr(c2 + 1);
        while (!message.empty() && message[0] == ' ') message.erase(0, 1);
        errors += fileName + "(" + std::to_string(lineNumber) + "): " + kind + ": " + message + "\n";
        kept = true;
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

struct SpvcContext {
    spvc_context context = nullptr;
    std::string error;
    SpvcContext() {
        spvc_context_create(&context);
        spvc_context_set_error_callback(
            context, [](void* self, const char* e) { static_cast<SpvcContext*>(self)->error = e; }, this);
    }
    ~SpvcContext() { spvc_context_destroy(context); }
};

using Resources = std::vector<spvc_reflected_resource>;

struct Stage {
    spvc_compiler compiler = nullptr;
    spvc_resources resources = nullptr;

    std::vector<spvc_reflected_resource> list(spvc_resource_type type) const {
        const spvc_reflected_resource* items = nullptr;
        size_t count = 0;
        spvc_resources_get_resource_list_for_type(resources, type, &items, &count);
        return std::vector<spvc_reflected_resource>(items, items + count);
    }
    std::string semantic(spvc_variable_id id) const {
        const char* s = spvc_compiler_get_decoration_string(compiler, id, SpvDecorationHlslSemanticGOOGLE);
        // One spelling per semantic: COLOR is COLOR0, and the prelude's SV_Position on a
        // vertex input is the POSITION0 it was written as.
        std::string out = s ? s : "";
        for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (out.rfind("SV_POSITION", 0) == 0) out.erase(0, 3);
        // TEXCOORD0_centroid is TEXCOORD0 sampled at the centroid, which GL leaves to
        // the varying's qualifier: both stages link by the plain name.
        std::size_t centroid = out.find("_CENTROID");
        if (centroid != std::string::npos && centroid + 9 == out.size()) out.erase(centroid);
        if (!out.empty() && !std::isdigit(static_cast<unsigned char>(out.back()))) out += '0';
        return out;
    }
};

// An array varying (`float2 uv[4] : TEXCOORD0`) reaches here as one variable per
// element, each with the array's semantic: element k is TEXCOORD0+k, the next free one.
std::string distinct(std::string semantic, std::vector<std::string>& seen) {
    while (std::find(seen.begin(), seen.end(), semantic) != seen.end()) {
        std::size_t digits = semantic.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(semantic[digits - 1]))) --digits;
        if (digits == semantic.size()) break;
        semantic = semantic.substr(0, digits) + std::to_string(std::strtol(semantic.c_str() + digits, nullptr, 10) + 1);
    }
    seen.push_back(semantic);
    return semantic;
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

    // Vertex inputs: the device binds declaration elements by usage and usage index.
    for (const spvc_reflected_resource& r : hasVs ? vs.list(SPVC_RESOURCE_TYPE_STAGE_INPUT) : Resources{}) {
        std::string sem = vs.semantic(r.id);
        BYTE usage = 0, index = 0;
        int location = semanticUsage(sem, usage, index) ? attributeLocation(usage, index) : -1;
        if (location < 0)
            return problem(pass.vertexLine, "vertex input semantic '" + sem + "' of " + pass.vertexEntry +
                                                " has no vertex attribute");
        spvc_compiler_set_decoration(vs.compiler, r.id, SpvDecorationLocation, static_cast<unsigned>(location));
        spvc_compiler_set_name(vs.compiler, r.id, ("gh_in_" + sem).c_str());
    }
    // Varyings: linked by semantic.
    std::vector<std::string> written, outputsSeen, inputsSeen;
    std::vector<unsigned> writtenSize;
    std::vector<std::pair<std::string, unsigned>> widened;  // pixel inputs read from wider outputs
    std::vector<std::string> unwritten;                      // pixel inputs no vertex output feeds
    std::vector<std::pair<std::string, unsigned>> narrowed;  // pixel inputs read from narrower outputs
    for (const spvc_reflected_resource& r : hasVs ? vs.list(SPVC_RESOURCE_TYPE_STAGE_OUTPUT) : Resources{}) {
        std::string sem = distinct(vs.semantic(r.id), outputsSeen);
        int location = varyingLocation(sem);
        if (location < 0)
            return problem(pass.vertexLine, "vertex output semantic '" + sem + "' of " + pass.vertexEntry +
                                                " is not supported");
        spvc_compiler_set_decoration(vs.compiler, r.id, SpvDecorationLocation, static_cast<unsigned>(location));
        spvc_compiler_set_name(vs.compiler, r.id, ("gh_v_" + sem).c_str());
        written.push_back(sem);
        writtenSize.push_back(spvc_type_get_vector_size(spvc_compiler_get_type_handle(vs.compiler, r.type_id)));
        if (!hasPs && location < static_cast<int>(kLinkLocations))
            out.linkSizes[location] = static_cast<std::uint8_t>(writtenSize.back());
    }
    for (const spvc_reflected_resource& r : hasPs ? ps.list(SPVC_RESOURCE_TYPE_STAGE_INPUT) : Resources{}) {
        std::string sem = distinct(ps.semantic(r.id), inputsSeen);
        int location = varyingLocation(sem);
        bool found = false;
        // Fixed-function vertex processing writes texture coordinates 0-7 and two colours.
        if (!hasVs && ((location >= 0 && location < 8) || location == 16 || location == 17)) {
            found = true;
            out.linkSizes[location] = static_cast<std::uint8_t>(
                spvc_type_get_vector_size(spvc_compiler_get_type_handle(ps.compiler, r.type_id)));
        }
        for (std::size_t w = 0; w < written.size(); ++w) {
            if (written[w] != sem) continue;
            found = true;
            unsigned size = spvc_type_get_vector_size(spvc_compiler_get_type_handle(ps.compiler, r.type_id));
            // DX9 lets the pixel shader read fewer components than the vertex shader
            // writes (float4 out, float2 in); GL wants the same type on both sides.
            if (size < writtenSize[w]) widened.push_back({"gh_v_" + sem + ":" + std::to_string(size), writtenSize[w]});
            // And more (float2 out, float4 in): the rest reads as D3D9 fills it.
            if (size > writtenSize[w]) narrowed.push_back({"gh_v_" + sem + ":" + std::to_string(size), writtenSize[w]});
        }
        if (!found) {
            // D3D9 reads 0 from an input the vertex shader does not write.
            spvc_compiler_set_name(ps.compiler, r.id, ("gh_v_" + sem).c_str());
            unwritten.push_back("gh_v_" + sem);
            continue;
        }
        if (location < 0)
            return problem(pass.pixelLine, "pixel shader input semantic '" + sem + "' of " + pass.pixelEntry +
                                               " is not supported");
        spvc_compiler_set_decoration(ps.compiler, r.id, SpvDecorationLocation, static_cast<unsigned>(location));
        spvc_compiler_set_name(ps.compiler, r.id, ("gh_v_" + sem).c_str());
    }
    std::string colorOutput;
    for (const spvc_reflected_resource& r : hasPs ? ps.list(SPVC_RESOURCE_TYPE_STAGE_OUTPUT) : Resources{}) {
        std::string sem = ps.semantic(r.id);
        std::string base = sem;
        long n = 0;
        while (!base.empty() && std::isdigit(static_cast<unsigned char>(base.back()))) base.pop_back();
        if (base.size() < sem.size()) n = std::strtol(sem.c_str() + base.size(), nullptr, 10);
        if ((base != "COLOR" && base != "SV_TARGET") || n > 3)
            return problem(pass.pixelLine, "pixel shader output semantic '" + sem + "' is not supported");
        spvc_compiler_set_decoration(ps.compiler, r.id, SpvDecorationLocation, static_cast<unsigned>(n));
        std::string name = "gh_out" + std::to_string(n);
        spvc_compiler_set_name(ps.compiler, r.id, name.c_str());
        if (n == 0) colorOutput = name;
    }

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
            spvc_type type = spvc_compiler_get_type_handle(stage->compiler, r.base_type_id);
            size_t size = 0;
            spvc_compiler_get_declared_struct_size(stage->compiler, type, &size);
            out.blockSize = static_cast<std::uint32_t>(size);
            unsigned count = spvc_type_get_num_member_types(type);
            for (unsigned m = 0; m < count; ++m) {
                const char* memberName = spvc_compiler_get_member_name(stage->compiler, r.base_type_id, m);
                std::string name = memberName ? memberName : "";
                UniformMember member;
                member.parameter = effect.findParameter(name);
                if (member.parameter < 0 ||
                    effect.parameters[static_cast<std::size_t>(member.parameter)].kind == ValueKind::Texture) {
                    int line = 1;
                    return problem(line, "global '" + name + "' cannot be set as an effect parameter "
                                         "(declare it static or give it a value type)");
                }
                const Parameter& p = effect.parameters[static_cast<std::size_t>(member.parameter)];
                unsigned value = 0;
                spvc_compiler_type_struct_member_offset(stage->compiler, type, m, &value);
                member.offset = value;
                if (p.arraySize > 0 &&
                    spvc_compiler_type_struct_member_array_stride(stage->compiler, type, m, &value) == SPVC_SUCCESS)
                    member.arrayStride = value;
                if (p.rows > 1) {
                    if (spvc_compiler_type_struct_member_matrix_stride(stage->compiler, type, m, &value) == SPVC_SUCCESS)
                        member.matrixStride = value;
                    member.columnsInMemory =
                        spvc_compiler_has_member_decoration(stage->compiler, r.base_type_id, m, SpvDecorationRowMajor);
                }
                out.members.push_back(member);
            }
        }
    }

    if ((hasVs && !emitGlsl(vs, out.vertexGlsl)) || (hasPs && !emitGlsl(ps, out.fragmentGlsl))) {
        errors += fileName + ": error: cannot translate the shaders: " + ctx.error + "\n";
        return false;
    }
    if (hasPs) patchSystemValues(out.fragmentGlsl);
    for (const std::string& name : unwritten)
        if (!zeroInput(out.fragmentGlsl, name))
            return problem(pass.pixelLine, "cannot give the pixel shader input " + name + " its zero value");
    for (const auto& [key, size] : widened) {
        std::size_t colon = key.find(':');
        if (!widenInput(out.fragmentGlsl, key.substr(0, colon), static_cast<unsigned>(std::stoul(key.substr(colon + 1))),
                        size))
            return problem(pass.pixelLine, "cannot match the pixel shader input " + key.substr(0, colon));
    }
    for (const auto& [key, size] : narrowed) {
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
    if (!colorOutput.empty()) injectAlphaTest(out.fragmentGlsl, colorOutput);
    return true;
}

}  // namespace fx
