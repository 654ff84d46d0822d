// glimmerhop-tool fx: compiles effect files as the show would and lists what they offer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandLine.h"
#include "PreviewRender.h"
#include "platform/d3d9/backend.h"
#include "platform/d3dx9/EffectObject.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace {

const char kDescription[] =
    "glimmerhop-tool fx [--gl] [--glsl] [-D NAME[=VALUE]]... FILE...\n"
    "glimmerhop-tool fx FILE --render OUT.png [--technique NAME] [--size WxH]\n"
    "                    [--mesh sphere|cube|quad|torus] [-D NAME[=VALUE]]...\n"
    "\n"
    "Compiles each effect file (HLSL to SPIR-V to GLSL) and lists its techniques with\n"
    "their passes (shaders or \"fixed function\", states with their values; states the\n"
    "device does not take from an effect are marked \"ignored\"), its parameters with\n"
    "their types, the annotations and the samplers. On a compile error prints the\n"
    "compiler's messages and exits 1.";

const char kFooter[] =
    "With --render, draws a built-in mesh (default sphere) with each technique (or the\n"
    "one named), every pass in order, on a headless OpenGL device, into a PNG contact\n"
    "sheet of one tile a technique (default 256x256) labelled with its name. Parameters\n"
    "are bound by semantic, annotation and common names (matrices, time, viewport size,\n"
    "camera, light); textures from their ResourceName/name/file annotation when the file\n"
    "is beside the effect, else a built-in checker, flat normal map or cube. Values the\n"
    "host would set and the file leaves 0 (factors, exponents, filter weights, light\n"
    "arrays) get preview values. Post-process scripts (Script annotations) run as FX\n"
    "Composer runs them: their render targets are made, their passes drawn in the order\n"
    "they name, and a built-in scene stands where the host's would be drawn. Prints one\n"
    "line per parameter, bound or not, and whether each technique drew.";

const char* filterName(DWORD f) {
    static const char* const names[] = {"none", "point", "linear", "anisotropic"};
    return f < 4 ? names[f] : "?";
}

const char* addressName(DWORD a) {
    static const char* const names[] = {"?", "wrap", "mirror", "clamp", "border", "mirroronce"};
    return a < 6 ? names[a] : "?";
}

std::string typeOf(const fx::Parameter& p) {
    std::string t = p.typeName;
    if (p.arraySize > 0) t += "[" + std::to_string(p.arraySize) + "]";
    return t;
}

void printGlsl(const fx::CompiledEffect& effect) {
    for (const fx::CompiledProgram& p : effect.programs) {
        std::printf("---- %s (vertex)\n%s", p.vertexEntry.c_str(), p.vertexGlsl.c_str());
        std::printf("---- %s (pixel)\n%s", p.pixelEntry.c_str(), p.fragmentGlsl.c_str());
    }
}

std::string annotationValue(const fx::Annotation& a) {
    if (a.kind == fx::ValueKind::String) return "\"" + a.text + "\"";
    std::string out;
    for (std::size_t i = 0; i < a.value.size(); ++i) {
        char buf[32];
        if (a.kind == fx::ValueKind::Float) {
            float f;
            std::memcpy(&f, &a.value[i], 4);
            std::snprintf(buf, sizeof buf, "%g", static_cast<double>(f));
        } else {
            std::snprintf(buf, sizeof buf, "%d", static_cast<int>(a.value[i]));
        }
        out += (i ? ", " : "") + std::string(buf);
    }
    return a.value.size() > 1 ? "{" + out + "}" : out;
}

void printAnnotations(const std::vector<fx::Annotation>& annotations, const char* indent) {
    for (const fx::Annotation& a : annotations)
        std::printf("%s<%s %s = %s>\n", indent, a.typeName.c_str(), a.name.c_str(), annotationValue(a).c_str());
}

void printPass(const fx::EffectDescription& d, std::size_t index, const fx::PassDescription& p) {
    std::printf("    pass %zu%s%s:", index, p.name.empty() ? "" : " ", p.name.c_str());
    if (p.vertexEntry.empty() && p.pixelEntry.empty()) {
        std::printf(" fixed function\n");
    } else {
        std::printf(" vertex %s, pixel %s\n", p.vertexEntry.empty() ? "fixed function" : p.vertexShown.c_str(),
                    p.pixelEntry.empty() ? "fixed function" : p.pixelShown.c_str());
    }
    printAnnotations(p.annotations, "      ");
    for (const fx::StateAssignment& a : p.states) {
        const fx::StateInfo* info = fx::renderStateById(a.state);
        // a single word or number by its name; an expression as written
        bool expression = a.written.find_first_of(" \t()+-*/|&<>?") != std::string::npos;
        std::string value = a.parameter >= 0 ? "<" + d.parameters[static_cast<std::size_t>(a.parameter)].name + ">"
                            : expression     ? a.written
                            : info           ? fx::stateValueName(info->kind, a.value)
                                             : std::to_string(a.value);
        std::printf("      %s = %s\n", info ? info->name : "?", value.c_str());
    }
    for (const fx::DeviceState& s : p.deviceStates) std::printf("      %s = %s\n", s.name.c_str(), s.written.c_str());
    for (const fx::IgnoredState& s : p.ignored)
        std::printf("      %s = %s (ignored)\n", s.name.c_str(), s.value.c_str());
}

void list(const char* path, const fx::CompiledEffect& effect) {
    const fx::EffectDescription& d = effect.description;
    const std::size_t shownParameters =
        d.hiddenParameters >= 0 ? static_cast<std::size_t>(d.hiddenParameters) : d.parameters.size();
    std::printf("%s: %zu technique%s, %zu parameter%s, %zu program%s\n", path, d.techniques.size(),
                d.techniques.size() == 1 ? "" : "s", shownParameters, shownParameters == 1 ? "" : "s",
                effect.programs.size(), effect.programs.size() == 1 ? "" : "s");
    std::printf("techniques:\n");
    for (const fx::TechniqueDescription& t : d.techniques) {
        std::printf("  %-24s %zu pass%s\n", t.name.empty() ? "(unnamed)" : t.name.c_str(), t.passes.size(),
                    t.passes.size() == 1 ? "" : "es");
        printAnnotations(t.annotations, "    ");
        for (std::size_t i = 0; i < t.passes.size(); ++i) printPass(d, i, t.passes[i]);
    }
    std::printf("parameters:\n");
    for (const fx::Parameter& p : d.parameters) {
        if (d.hiddenParameters >= 0 && &p - d.parameters.data() >= d.hiddenParameters) break;  // asm register files
        std::printf("  %s%-12s %s%s%s\n", p.shared ? "shared " : "", typeOf(p).c_str(), p.name.c_str(),
                    p.semantic.empty() ? "" : " : ", p.semantic.c_str());
        printAnnotations(p.annotations, "    ");
    }
    if (!d.samplers.empty()) std::printf("samplers:\n");
    for (const fx::SamplerDescription& s : d.samplers) {
        std::printf("  %-24s texture %s, min %s, mag %s, mip %s, address %s %s", s.name.c_str(),
                    s.texture.empty() ? "(none)" : s.texture.c_str(), filterName(s.minFilter),
                    filterName(s.magFilter), filterName(s.mipFilter), addressName(s.addressU),
                    addressName(s.addressV));
        // the rest only where it differs from D3D9's defaults
        if (s.borderColor) std::printf(", border 0x%08x", s.borderColor);
        if (s.mipLodBias) std::printf(", lod bias %s", fx::stateValueName(fx::StateValueKind::Float, s.mipLodBias).c_str());
        if (s.maxMipLevel) std::printf(", max mip level %u", s.maxMipLevel);
        if (s.maxAnisotropy != 1) std::printf(", max anisotropy %u", s.maxAnisotropy);
        if (s.srgbTexture) std::printf(", sRGB");
        std::printf("\n");
    }
}

struct FxArgs {
    bool gl = false, glsl = false, render = false;
    std::vector<std::string> defines, files;
    tool::PreviewOptions preview;
};

int parseArgs(int argc, char** argv, FxArgs& a) {
    tool::CommandLine cl("fx", kDescription, kFooter);
    cl.app.add_option("files", a.files, "effect files")
        ->type_name("FILE")
        ->required()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cl.app.add_flag("--gl", a.gl,
                    "also link the GL programs on a headless OpenGL device (default: the\n"
                    "trace backend, which needs no graphics)");
    cl.app.add_flag("--glsl", a.glsl, "also print the GLSL generated for each pass program");
    // One NAME[=VALUE] to each -D: the words after it are the files.
    cl.app.add_option("-D", a.defines, "defines a macro for the effect's preprocessor")
        ->type_name("NAME[=VALUE]")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->check(CLI::Validator([](std::string& d) { return d.empty() || d[0] == '=' ? "needs NAME[=VALUE]" : ""; }, ""));
    cl.app.add_option("--render", a.preview.out, "draws each technique into this PNG contact sheet")
        ->type_name("OUT.png")
        ->each([&a](const std::string&) { a.render = true; });
    cl.app.add_option("--technique", a.preview.technique, "with --render: only this technique")->type_name("NAME");
    tool::Size tile{a.preview.width, a.preview.height};
    cl.size(tile, 16, 4096, "with --render: the size of a tile (default 256x256)");
    cl.app.add_option_function<std::string>(
              "--mesh", [&a](const std::string& text) { tool::parseMeshShape(text, a.preview.mesh); },
              "with --render: the mesh drawn (default sphere)")
        ->type_name("SHAPE")
        ->check(CLI::IsMember({"sphere", "cube", "quad", "torus"}));
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    a.preview.width = tile.width;
    a.preview.height = tile.height;
    return -1;
}

// Compiles each file and lists it. 0 when all compiled, 1 when one did not or the
// device cannot be made.
int listEffects(const FxArgs& a, const std::vector<D3DXMACRO>& macros) {
    d3d9::BackendConfig config;
    config.backend = a.gl ? d3d9::Backend::Gl : d3d9::Backend::Trace;
    config.headless = true;
    d3d9::configure(config);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    if (!d3d || FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device))) {
        std::fprintf(stderr, "glimmerhop-tool fx: cannot create a %s device\n", a.gl ? "headless OpenGL" : "trace");
        if (d3d) d3d->Release();
        return 1;
    }
    int status = 0;
    for (const std::string& file : a.files) {
        const char* path = file.c_str();
        ID3DXEffect* effect = nullptr;
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffectFromFileA(device, path, macros.data(), nullptr, D3DXSHADER_DEBUG, nullptr,
                                               &effect, &errors);
        if (FAILED(hr)) {
            std::fprintf(stderr, "%s: compilation failed (0x%08X)\n", path, static_cast<unsigned>(hr));
            if (errors) std::fputs(static_cast<const char*>(errors->GetBufferPointer()), stderr);
            status = 1;
        } else {
            list(path, static_cast<fx::Effect*>(effect)->compiled());
            if (a.glsl) printGlsl(static_cast<fx::Effect*>(effect)->compiled());
        }
        if (errors) errors->Release();
        if (effect) effect->Release();
    }
    device->Release();
    d3d->Release();
    return status;
}

int run(int argc, char** argv) {
    FxArgs a;
    if (const int status = parseArgs(argc, argv, a); status >= 0) return status;
    std::vector<std::string> names, values;
    for (const std::string& d : a.defines) {
        std::size_t eq = d.find('=');
        names.push_back(d.substr(0, eq));
        values.push_back(eq == std::string::npos ? "1" : d.substr(eq + 1));
    }
    std::vector<D3DXMACRO> macros;
    for (std::size_t i = 0; i < names.size(); ++i) macros.push_back({names[i].c_str(), values[i].c_str()});
    macros.push_back({nullptr, nullptr});
    if (!a.render) return listEffects(a, macros);
    if (a.files.size() != 1) {
        std::fprintf(stderr, "glimmerhop-tool fx: --render takes one effect file\n");
        return 2;
    }
    a.preview.effectPath = a.files[0];
    a.preview.macros = macros;
    return tool::renderPreview(a.preview);
}

const tool::ToolCommand command{"fx", "compile an effect file and list its techniques and parameters", run};

}  // namespace
