// A pass's vertex inputs, varyings and pixel outputs, bound by D3D9 semantic.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>

#include "platform/d3dx9/effect/SpirvStage.h"

namespace fx {

SpvcContext::SpvcContext() {
    spvc_context_create(&context);
    spvc_context_set_error_callback(
        context, [](void* self, const char* e) { static_cast<SpvcContext*>(self)->error = e; }, this);
}

SpvcContext::~SpvcContext() { spvc_context_destroy(context); }

Resources Stage::list(spvc_resource_type type) const {
    const spvc_reflected_resource* items = nullptr;
    size_t count = 0;
    spvc_resources_get_resource_list_for_type(resources, type, &items, &count);
    return Resources(items, items + count);
}

std::string Stage::semantic(spvc_variable_id id) const {
    const char* s = spvc_compiler_get_decoration_string(compiler, id, SpvDecorationHlslSemanticGOOGLE);
    std::string out = s ? s : "";
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // The prelude's SV_Position on a vertex input is the POSITION0 it was written as.
    if (out.rfind("SV_POSITION", 0) == 0) out.erase(0, 3);
    // TEXCOORD0_centroid is TEXCOORD0 sampled at the centroid, which GL leaves to the
    // varying's qualifier: both stages link by the plain name.
    std::size_t centroid = out.find("_CENTROID");
    if (centroid != std::string::npos && centroid + 9 == out.size()) out.erase(centroid);
    if (!out.empty() && !std::isdigit(static_cast<unsigned char>(out.back()))) out += '0';
    return out;
}

unsigned Stage::vectorSize(const spvc_reflected_resource& r) const {
    return spvc_type_get_vector_size(spvc_compiler_get_type_handle(compiler, r.type_id));
}

unsigned Stage::locationCount(const spvc_reflected_resource& r) const {
    spvc_type type = spvc_compiler_get_type_handle(compiler, r.type_id);
    unsigned count = std::max(1u, spvc_type_get_columns(type));
    for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(type); ++d)
        count *= std::max(1u, static_cast<unsigned>(spvc_type_get_array_dimension(type, d)));
    return count;
}

namespace {

constexpr unsigned kAttributeLocations = 16;  // what GL guarantees, and vs_3_0's input registers

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

std::uint32_t runBits(unsigned first, unsigned count) {
    return static_cast<std::uint32_t>((count >= 32 ? ~0ull : (1ull << count) - 1) << first);
}

// Takes `count` locations from `first` on when they are below `limit` and free.
bool takeAt(std::uint32_t& used, int first, unsigned count, unsigned limit) {
    if (first < 0 || first + count > limit || (used & runBits(static_cast<unsigned>(first), count))) return false;
    used |= runBits(static_cast<unsigned>(first), count);
    return true;
}

// The lowest run of `count` free locations below `limit`, taken; -1 if none.
int takeFree(std::uint32_t& used, unsigned count, unsigned limit) {
    for (unsigned l = 0; l + count <= limit; ++l)
        if (takeAt(used, static_cast<int>(l), count, limit)) return static_cast<int>(l);
    return -1;
}

// Inputs take the device's fixed location for their usage; one the fixed mapping has no
// place for (POSITION1, TEXCOORD8, BLENDWEIGHT1...) takes a location the shader leaves
// free, and the program tells the device which declaration element feeds it.
bool bindVertexInputs(const PassDescription& pass, AttributeLocationFn attributeLocation, Stage& vs,
                      CompiledProgram& out, const ProblemFn& problem) {
    struct Input {
        spvc_variable_id id;
        std::string semantic;
        BYTE usage = 0, index = 0;
        unsigned count = 1;  // a matrix takes one location a row: TEXCOORD1..4 for a float4x4
        int location = -1;
    };
    std::vector<Input> inputs;
    std::vector<std::string> seen;
    std::uint32_t used = 0;
    for (const spvc_reflected_resource& r : vs.list(SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
        Input in{r.id, distinct(vs.semantic(r.id), seen)};
        in.count = vs.locationCount(r);
        if (!semanticUsage(in.semantic, in.usage, in.index) || in.index + in.count > 16)
            return problem(pass.vertexLine, "vertex input semantic '" + in.semantic + "' of " + pass.vertexEntry +
                                                " is not a D3D9 vertex usage");
        const int fixed = in.count == 1 ? attributeLocation(in.usage, in.index) : -1;
        if (takeAt(used, fixed, 1, kAttributeLocations)) in.location = fixed;
        inputs.push_back(in);
    }
    for (Input& in : inputs) {
        if (in.location < 0) {
            in.location = takeFree(used, in.count, kAttributeLocations);
            if (in.location < 0)
                return problem(pass.vertexLine, pass.vertexEntry + " reads more than 16 vertex inputs");
            for (unsigned k = 0; k < in.count; ++k)
                out.attributeSlots.push_back({static_cast<std::uint8_t>(in.location + static_cast<int>(k)), in.usage,
                                              static_cast<BYTE>(in.index + k)});
        }
        spvc_compiler_set_decoration(vs.compiler, in.id, SpvDecorationLocation, static_cast<unsigned>(in.location));
        spvc_compiler_set_name(vs.compiler, in.id, ("gh_in_" + in.semantic).c_str());
    }
    return true;
}

struct Output {
    std::string semantic;
    int location = -1;
    unsigned size = 0;
};

// Vertex outputs take the fixed location of their semantic (the one the device's
// fixed-function half reads and writes); the rest, any locations the pass leaves free.
// An array takes one location an element. The clip position glslang leaves an ordinary
// output (an inout parameter's) becomes gl_Position.
bool bindVertexOutputs(const PassDescription& pass, Stage& vs, bool pixelShader, CompiledProgram& out,
                       std::vector<Output>& outputs, VaryingFixups& links, const ProblemFn& problem) {
    std::vector<std::string> seen;
    std::vector<spvc_variable_id> ids;
    std::vector<unsigned> counts;
    std::uint32_t used = 0;
    for (const spvc_reflected_resource& r : vs.list(SPVC_RESOURCE_TYPE_STAGE_OUTPUT)) {
        Output o{distinct(vs.semantic(r.id), seen), -1, vs.vectorSize(r)};
        BYTE usage = 0, index = 0;
        if (!semanticUsage(o.semantic, usage, index))
            return problem(pass.vertexLine, "vertex output semantic '" + o.semantic + "' of " + pass.vertexEntry +
                                                " is not a D3D9 usage");
        if (o.semantic == "POSITION0" && links.positionOutput.empty()) {
            links.positionOutput = "gh_outPosition";
            spvc_compiler_set_name(vs.compiler, r.id, links.positionOutput.c_str());
            continue;
        }
        const unsigned count = vs.locationCount(r);
        const int fixed = varyingLocation(o.semantic);
        if (takeAt(used, fixed, count, kLinkLocations)) {
            o.location = fixed;
            if (!pixelShader && count == 1) out.linkSizes[fixed] = static_cast<std::uint8_t>(o.size);
        }
        outputs.push_back(o);
        ids.push_back(r.id);
        counts.push_back(count);
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        Output& o = outputs[i];
        if (o.location < 0 && (o.location = takeFree(used, counts[i], kLinkLocations)) < 0)
            return problem(pass.vertexLine, pass.vertexEntry + " writes more outputs than GL can link");
        spvc_compiler_set_decoration(vs.compiler, ids[i], SpvDecorationLocation, static_cast<unsigned>(o.location));
        spvc_compiler_set_name(vs.compiler, ids[i], ("gh_v_" + o.semantic).c_str());
    }
    return true;
}

// Pixel inputs read the vertex output of their semantic, or what the fixed-function
// vertex half writes: texture coordinates 0-7 and two colours. D3D9 reads 0 from an
// input nothing writes.
void bindPixelInputs(Stage& ps, bool vertexShader, const std::vector<Output>& outputs, CompiledProgram& out,
                     VaryingFixups& links) {
    std::vector<std::string> seen;
    for (const spvc_reflected_resource& r : ps.list(SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
        const std::string sem = distinct(ps.semantic(r.id), seen);
        const std::string name = "gh_v_" + sem;
        const unsigned size = ps.vectorSize(r);
        spvc_compiler_set_name(ps.compiler, r.id, name.c_str());
        int location = -1;
        if (vertexShader) {
            for (const Output& o : outputs) {
                if (o.semantic != sem) continue;
                location = o.location;
                // DX9 lets the pixel shader read fewer or more components than the vertex
                // shader writes; GL wants the same type on both sides.
                if (size < o.size) links.widened.push_back({name + ":" + std::to_string(size), o.size});
                if (size > o.size) links.narrowed.push_back({name + ":" + std::to_string(size), o.size});
            }
        } else {
            const int fixed = varyingLocation(sem);
            if ((fixed >= 0 && fixed < 8) || fixed == 16 || fixed == 17) {
                location = fixed;
                out.linkSizes[fixed] = static_cast<std::uint8_t>(size);
            }
        }
        if (location < 0)
            links.unwritten.push_back(name);
        else
            spvc_compiler_set_decoration(ps.compiler, r.id, SpvDecorationLocation, static_cast<unsigned>(location));
    }
}

// COLOR0-3 (or SV_Target0-3) are the render targets; DEPTH the pixel's depth.
bool bindPixelOutputs(const PassDescription& pass, Stage& ps, VaryingFixups& links, const ProblemFn& problem) {
    for (const spvc_reflected_resource& r : ps.list(SPVC_RESOURCE_TYPE_STAGE_OUTPUT)) {
        const std::string sem = ps.semantic(r.id);
        std::string base = sem;
        while (!base.empty() && std::isdigit(static_cast<unsigned char>(base.back()))) base.pop_back();
        const long n = std::strtol(sem.c_str() + base.size(), nullptr, 10);
        if (base == "DEPTH" && n == 0 && links.depthOutput.empty()) {
            links.depthOutput = "gh_outDepth";
            spvc_compiler_set_name(ps.compiler, r.id, links.depthOutput.c_str());
            continue;
        }
        if ((base != "COLOR" && base != "SV_TARGET") || n > 3)
            return problem(pass.pixelLine, "pixel shader output semantic '" + sem + "' is not supported");
        spvc_compiler_set_decoration(ps.compiler, r.id, SpvDecorationLocation, static_cast<unsigned>(n));
        const std::string name = "gh_out" + std::to_string(n);
        spvc_compiler_set_name(ps.compiler, r.id, name.c_str());
        if (n == 0) links.colorOutput = name;
    }
    return true;
}

}  // namespace

bool bindInterface(const PassDescription& pass, AttributeLocationFn attributeLocation, Stage* vs, Stage* ps,
                   CompiledProgram& out, VaryingFixups& links, const ProblemFn& problem) {
    std::vector<Output> outputs;
    if (vs && (!bindVertexInputs(pass, attributeLocation, *vs, out, problem) ||
               !bindVertexOutputs(pass, *vs, ps != nullptr, out, outputs, links, problem)))
        return false;
    if (ps) bindPixelInputs(*ps, vs != nullptr, outputs, out, links);
    return !ps || bindPixelOutputs(pass, *ps, links, problem);
}

}  // namespace fx
