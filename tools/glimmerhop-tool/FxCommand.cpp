// glimmerhop-tool fx: compiles effect files as the show would and lists what they offer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandLine.h"
#include "PassText.h"
#include "PreviewRender.h"
#include "Workbench.h"
#include "platform/d3d9/backend.h"
#include "platform/d3dx9/EffectObject.h"
#include "platform/d3dx9/FolderInclude.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace {

const char kDescription[] =
    "glimmerhop-tool fx [--gl] [--glsl] [-D NAME[=VALUE]]... FILE...\n"
    "glimmerhop-tool fx FILE --render OUT.png [--technique NAME] [--size WxH]\n"
    "                    [--mesh sphere|cube|quad|torus] [-D NAME[=VALUE]]...\n"
    "glimmerhop-tool fx FILE --live [--technique NAME] [--size WxH]\n"
    "                    [--mesh sphere|cube|quad|torus|FILE.obj|FILE.mesh]\n"
    "                    [-D NAME[=VALUE]]... [-I DIR]...\n"
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
    "With GLIMMERHOP_WORKBENCH_LAYOUT set, where each control lies goes to standard error.";

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

struct FxArgs {
    bool gl = false, glsl = false, render = false, live = false, sized = false;
    std::vector<std::string> defines, files, includeFolders;
    std::string mesh;
    tool::PreviewOptions preview;
};

void addMeshAndSize(tool::CommandLine& cl, FxArgs& a, tool::Size& tile) {
    cl.size(tile, 16, 4096, "with --render: the size of a tile (default 256x256); with --live: the window's")
        ->each([&a](const std::string&) { a.sized = true; });
    // A shape for --render; --live also takes a mesh file, checked when it is loaded.
    cl.app.add_option("--mesh", a.mesh, "the mesh drawn (default sphere); with --live also a .obj or .mesh file")
        ->type_name("SHAPE|FILE");
}

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
    // One NAME[=VALUE] to each -D or -I: the words after it are the files.
    cl.app.add_option("-D", a.defines, "defines a macro for the effect's preprocessor")
        ->type_name("NAME[=VALUE]")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->check(CLI::Validator([](std::string& d) { return d.empty() || d[0] == '=' ? "needs NAME[=VALUE]" : ""; }, ""));
    cl.app.add_option("-I", a.includeFolders, "an include folder: \"name\" is looked for beside the including file,\n"
                      "then in each folder, then beside the effect file; <name> in each folder")
        ->type_name("DIR")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);
    cl.app.add_option("--render", a.preview.out, "draws each technique into this PNG contact sheet")
        ->type_name("OUT.png")
        ->each([&a](const std::string&) { a.render = true; });
    cl.app.add_flag("--live", a.live, "the effect workbench: the effect in a window, its parameters on controls");
    cl.app.add_option("--technique", a.preview.technique, "with --render: only this technique; with --live: the first shown")
        ->type_name("NAME");
    tool::Size tile{a.preview.width, a.preview.height};
    addMeshAndSize(cl, a, tile);
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
        FolderInclude folders(path, a.includeFolders);
        ID3DXInclude* include = a.includeFolders.empty() ? nullptr : &folders;
        HRESULT hr = D3DXCreateEffectFromFileA(device, path, macros.data(), include, D3DXSHADER_DEBUG, nullptr,
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

int runLive(const FxArgs& a) {
    if (a.files.size() != 1 || a.render) {
        std::fprintf(stderr, "glimmerhop-tool fx: --live takes one effect file, without --render\n");
        return 2;
    }
    tool::WorkbenchOptions live;
    live.effectPath = a.files[0];
    live.technique = a.preview.technique;
    if (!a.mesh.empty()) live.mesh = a.mesh;
    if (a.sized) live.width = a.preview.width, live.height = a.preview.height;
    for (const std::string& d : a.defines) {
        std::size_t eq = d.find('=');
        live.defines.emplace_back(d.substr(0, eq), eq == std::string::npos ? "1" : d.substr(eq + 1));
    }
    live.includeFolders = a.includeFolders;
    return tool::runWorkbench(live);
}

int run(int argc, char** argv) {
    FxArgs a;
    if (const int status = parseArgs(argc, argv, a); status >= 0) return status;
    if (a.live) return runLive(a);
    if (!a.mesh.empty() && !tool::parseMeshShape(a.mesh, a.preview.mesh)) {
        std::fprintf(stderr, "glimmerhop-tool fx: --mesh is sphere, cube, quad or torus, not '%s'\n", a.mesh.c_str());
        return 2;
    }
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
    a.preview.includeFolders = a.includeFolders;
    return tool::renderPreview(a.preview);
}

const tool::ToolCommand command{"fx", "compile an effect file and list its techniques and parameters", run};

}  // namespace
