// glimmerhop-tool fx: compiles effect files as the show would and lists what they offer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"
#include "PreviewRender.h"
#include "platform/d3d9/backend.h"
#include "platform/d3dx9/EffectObject.h"
#include "platform/d3dx9/FolderInclude.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace {

const char kUsage[] =
    "usage: glimmerhop-tool fx [--gl] [--glsl] [-D NAME[=VALUE]]... [-I DIR]... FILE...\n"
    "       glimmerhop-tool fx FILE --render OUT.png [--technique NAME] [--size WxH]\n"
    "                          [--mesh sphere|cube|quad|torus] [-D NAME[=VALUE]]... [-I DIR]...\n"
    "\n"
    "Compiles each effect file (HLSL to SPIR-V to GLSL) and lists its techniques with\n"
    "their passes (shaders or \"fixed function\", states with their values; states the\n"
    "device does not take from an effect are marked \"ignored\"), its parameters with\n"
    "their types, the annotations and the samplers. On a compile error prints the\n"
    "compiler's messages and exits 1.\n"
    "\n"
    "  --gl       also link the GL programs on a headless OpenGL device (default: the\n"
    "             trace backend, which needs no graphics)\n"
    "  --glsl     also print the GLSL generated for each pass program\n"
    "  -D NAME=V  defines a macro for the effect's preprocessor\n"
    "  -I DIR     an include folder: \"name\" is looked for beside the including file,\n"
    "             then in each folder, then beside the effect file; <name> in each folder\n"
    "\n"
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
    "line per parameter, bound or not, and whether each technique drew.\n";

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

int run(int argc, char** argv) {
    bool gl = false;
    bool glsl = false;
    std::vector<std::string> defineText;
    std::vector<const char*> files;
    tool::PreviewOptions preview;
    bool render = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--render") == 0 && hasValue) {
            render = true;
            preview.out = argv[++i];
        } else if (std::strcmp(argv[i], "--technique") == 0 && hasValue) {
            preview.technique = argv[++i];
        } else if (std::strcmp(argv[i], "--size") == 0 && hasValue) {
            if (!tool::parseTileSize(argv[++i], preview.width, preview.height)) {
                std::fprintf(stderr, "glimmerhop-tool fx: --size wants WxH from 16x16 to 4096x4096, not '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--mesh") == 0 && hasValue) {
            if (!tool::parseMeshShape(argv[++i], preview.mesh)) {
                std::fprintf(stderr, "glimmerhop-tool fx: --mesh is sphere, cube, quad or torus, not '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--gl") == 0) {
            gl = true;
        } else if (std::strcmp(argv[i], "--glsl") == 0) {
            glsl = true;
        } else if (std::strncmp(argv[i], "-D", 2) == 0) {
            const char* def = argv[i][2] ? argv[i] + 2 : (i + 1 < argc ? argv[++i] : nullptr);
            if (!def || !*def) {
                std::fprintf(stderr, "glimmerhop-tool fx: -D needs NAME[=VALUE]\n");
                return 2;
            }
            defineText.emplace_back(def);
        } else if (std::strncmp(argv[i], "-I", 2) == 0) {
            const char* dir = argv[i][2] ? argv[i] + 2 : (i + 1 < argc ? argv[++i] : nullptr);
            if (!dir || !*dir) {
                std::fprintf(stderr, "glimmerhop-tool fx: -I needs a folder\n");
                return 2;
            }
            preview.includeFolders.emplace_back(dir);
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "glimmerhop-tool fx: unknown option '%s'\n\n%s", argv[i], kUsage);
            return 2;
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<std::string> names, values;
    for (const std::string& d : defineText) {
        std::size_t eq = d.find('=');
        names.push_back(d.substr(0, eq));
        values.push_back(eq == std::string::npos ? "1" : d.substr(eq + 1));
    }
    std::vector<D3DXMACRO> macros;
    for (std::size_t i = 0; i < names.size(); ++i) macros.push_back({names[i].c_str(), values[i].c_str()});
    macros.push_back({nullptr, nullptr});
    if (render) {
        if (files.size() != 1) {
            std::fprintf(stderr, "glimmerhop-tool fx: --render takes one effect file\n\n%s", kUsage);
            return 2;
        }
        preview.effectPath = files[0];
        preview.macros = macros;
        return tool::renderPreview(preview);
    }

    d3d9::BackendConfig config;
    config.backend = gl ? d3d9::Backend::Gl : d3d9::Backend::Trace;
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
        std::fprintf(stderr, "glimmerhop-tool fx: cannot create a %s device\n", gl ? "headless OpenGL" : "trace");
        if (d3d) d3d->Release();
        return 1;
    }
    int status = 0;
    for (const char* path : files) {
        ID3DXEffect* effect = nullptr;
        ID3DXBuffer* errors = nullptr;
        FolderInclude folders(path, preview.includeFolders);
        ID3DXInclude* include = preview.includeFolders.empty() ? nullptr : &folders;
        HRESULT hr = D3DXCreateEffectFromFileA(device, path, macros.data(), include, D3DXSHADER_DEBUG, nullptr,
                                               &effect, &errors);
        if (FAILED(hr)) {
            std::fprintf(stderr, "%s: compilation failed (0x%08X)\n", path, static_cast<unsigned>(hr));
            if (errors) std::fputs(static_cast<const char*>(errors->GetBufferPointer()), stderr);
            status = 1;
        } else {
            list(path, static_cast<fx::Effect*>(effect)->compiled());
            if (glsl) printGlsl(static_cast<fx::Effect*>(effect)->compiled());
        }
        if (errors) errors->Release();
        if (effect) effect->Release();
    }
    device->Release();
    d3d->Release();
    return status;
}

const tool::ToolCommand command{"fx", "compile an effect file and list its techniques and parameters", kUsage, run};

}  // namespace
