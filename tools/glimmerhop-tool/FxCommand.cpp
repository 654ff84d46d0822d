// glimmerhop-tool fx: compiles effect files as the show would and lists what they offer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"
#include "PassText.h"
#include "PreviewRender.h"
#include "Workbench.h"
#include "platform/d3d9/backend.h"
#include "platform/d3dx9/EffectObject.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace {

const char kUsage[] =
    "usage: glimmerhop-tool fx [--gl] [--glsl] [-D NAME[=VALUE]]... FILE...\n"
    "       glimmerhop-tool fx FILE --render OUT.png [--technique NAME] [--size WxH]\n"
    "                          [--mesh sphere|cube|quad|torus] [-D NAME[=VALUE]]...\n"
    "       glimmerhop-tool fx FILE --live [--technique NAME] [--size WxH]\n"
    "                          [--mesh sphere|cube|quad|torus|FILE.obj|FILE.mesh]\n"
    "                          [-D NAME[=VALUE]]... [-I DIR]...\n"
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
    "line per parameter, bound or not, and whether each technique drew.\n"
    "\n"
    "With --live, the effect workbench: the effect in a window (default 1024x640) on the\n"
    "mesh (a built-in one, a Wavefront OBJ or a .mesh file of the show's data), bound as\n"
    "--render binds it, with a panel of its techniques (passes and states) and its\n"
    "parameters as controls from their annotations (UIName, UIHelp, UIWidget, UIMin,\n"
    "UIMax, UIStep; colours by semantic), values the preview sets marked so. Saving the\n"
    "file or an include compiles it again and swaps it in, keeping the values set in the\n"
    "panel; a compile error shows in a panel while the last good version keeps drawing.\n"
    "Drag to turn, right-drag to pan, wheel to zoom; F frames the mesh, Space pauses\n"
    "time, T picks the next technique, P writes the picture beside the file\n"
    "(FILE-TECHNIQUE.png), Escape quits.\n"
    "  -I DIR     with --live, a folder for #include files (after the including file's own)\n"
    "With GLIMMERHOP_WORKBENCH_LAYOUT set, where each control lies goes to standard error.\n";

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
    std::printf("    pass %zu%s%s: %s\n", index, p.name.empty() ? "" : " ", p.name.c_str(), tool::passShaders(p).c_str());
    printAnnotations(p.annotations, "      ");
    for (const std::string& line : tool::passStates(d, p)) std::printf("      %s\n", line.c_str());
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

// The command line as it is given; the options of --render and --live go straight into
// their own structs.
struct FxOptions {
    bool gl = false, glsl = false;
    std::vector<std::string> defineText;
    std::vector<const char*> files;
    tool::PreviewOptions preview;
    tool::WorkbenchOptions live;
    std::string mesh;
    bool render = false, workbench = false, sized = false;
};

// 0, or the exit code after a message.
int parseOptions(int argc, char** argv, FxOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--render") == 0 && hasValue) {
            o.render = true;
            o.preview.out = argv[++i];
        } else if (std::strcmp(argv[i], "--live") == 0) {
            o.workbench = true;
        } else if (std::strcmp(argv[i], "--technique") == 0 && hasValue) {
            o.preview.technique = o.live.technique = argv[++i];
        } else if (std::strcmp(argv[i], "--size") == 0 && hasValue) {
            if (!tool::parseTileSize(argv[++i], o.preview.width, o.preview.height)) {
                std::fprintf(stderr, "glimmerhop-tool fx: --size wants WxH from 16x16 to 4096x4096, not '%s'\n", argv[i]);
                return 2;
            }
            o.sized = true;
        } else if (std::strcmp(argv[i], "--mesh") == 0 && hasValue) {
            o.mesh = argv[++i];
        } else if (std::strncmp(argv[i], "-I", 2) == 0) {
            const char* dir = argv[i][2] ? argv[i] + 2 : (hasValue ? argv[++i] : nullptr);
            if (!dir || !*dir) {
                std::fprintf(stderr, "glimmerhop-tool fx: -I needs a folder\n");
                return 2;
            }
            o.live.includeFolders.emplace_back(dir);
        } else if (std::strcmp(argv[i], "--gl") == 0) {
            o.gl = true;
        } else if (std::strcmp(argv[i], "--glsl") == 0) {
            o.glsl = true;
        } else if (std::strncmp(argv[i], "-D", 2) == 0) {
            const char* def = argv[i][2] ? argv[i] + 2 : (i + 1 < argc ? argv[++i] : nullptr);
            if (!def || !*def) {
                std::fprintf(stderr, "glimmerhop-tool fx: -D needs NAME[=VALUE]\n");
                return 2;
            }
            o.defineText.emplace_back(def);
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "glimmerhop-tool fx: unknown option '%s'\n\n%s", argv[i], kUsage);
            return 2;
        } else {
            o.files.push_back(argv[i]);
        }
    }
    return 0;
}

// Compiles each file on a headless device and lists it. The exit code.
int listEffects(const FxOptions& o, const std::vector<D3DXMACRO>& macros) {
    d3d9::BackendConfig config;
    config.backend = o.gl ? d3d9::Backend::Gl : d3d9::Backend::Trace;
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
        std::fprintf(stderr, "glimmerhop-tool fx: cannot create a %s device\n", o.gl ? "headless OpenGL" : "trace");
        if (d3d) d3d->Release();
        return 1;
    }
    int status = 0;
    for (const char* path : o.files) {
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
            if (o.glsl) printGlsl(static_cast<fx::Effect*>(effect)->compiled());
        }
        if (errors) errors->Release();
        if (effect) effect->Release();
    }
    device->Release();
    d3d->Release();
    return status;
}

int run(int argc, char** argv) {
    FxOptions o;
    if (const int code = parseOptions(argc, argv, o)) return code;
    if (o.files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<std::string> names, values;
    for (const std::string& d : o.defineText) {
        std::size_t eq = d.find('=');
        names.push_back(d.substr(0, eq));
        values.push_back(eq == std::string::npos ? "1" : d.substr(eq + 1));
        o.live.defines.emplace_back(names.back(), values.back());
    }
    if (o.workbench) {
        if (o.files.size() != 1 || o.render) {
            std::fprintf(stderr, "glimmerhop-tool fx: --live takes one effect file, without --render\n\n%s", kUsage);
            return 2;
        }
        o.live.effectPath = o.files[0];
        if (!o.mesh.empty()) o.live.mesh = o.mesh;
        if (o.sized) o.live.width = o.preview.width, o.live.height = o.preview.height;
        return tool::runWorkbench(o.live);
    }
    if (!o.mesh.empty() && !tool::parseMeshShape(o.mesh, o.preview.mesh)) {
        std::fprintf(stderr, "glimmerhop-tool fx: --mesh is sphere, cube, quad or torus, not '%s'\n", o.mesh.c_str());
        return 2;
    }
    std::vector<D3DXMACRO> macros;
    for (std::size_t i = 0; i < names.size(); ++i) macros.push_back({names[i].c_str(), values[i].c_str()});
    macros.push_back({nullptr, nullptr});
    if (o.render) {
        if (o.files.size() != 1) {
            std::fprintf(stderr, "glimmerhop-tool fx: --render takes one effect file\n\n%s", kUsage);
            return 2;
        }
        o.preview.effectPath = o.files[0];
        o.preview.macros = macros;
        return tool::renderPreview(o.preview);
    }

    return listEffects(o, macros);
}

const tool::ToolCommand command{"fx", "compile an effect file and list its techniques and parameters", kUsage, run};

}  // namespace
