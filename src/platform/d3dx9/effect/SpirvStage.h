// One compiled shader stage as SPIRV-Cross holds it, and the binding of its inputs and
// outputs by D3D9 semantic: what compileProgram and the interface binding share.
#pragma once

#include <spirv_cross/spirv_cross_c.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/d3dx9/effect/ShaderCompiler.h"

namespace fx {

struct SpvcContext {
    spvc_context context = nullptr;
    std::string error;
    SpvcContext();
    ~SpvcContext();
    SpvcContext(const SpvcContext&) = delete;
    SpvcContext& operator=(const SpvcContext&) = delete;
};

using Resources = std::vector<spvc_reflected_resource>;

struct Stage {
    spvc_compiler compiler = nullptr;
    spvc_resources resources = nullptr;

    Resources list(spvc_resource_type type) const;
    // The HLSL semantic of an input or output in one spelling: upper case, with its
    // index (COLOR is COLOR0), SV_POSITION as POSITION0, without _centroid.
    std::string semantic(spvc_variable_id id) const;
    unsigned vectorSize(const spvc_reflected_resource& r) const;
    // Locations it takes: one, or one a matrix column or array element.
    unsigned locationCount(const spvc_reflected_resource& r) const;
};

// Reports an error at a line of the effect file and returns false.
using ProblemFn = std::function<bool(int line, const std::string& message)>;

// Vertex inputs, varyings and pixel outputs of a pass: locations and names by semantic.
// `vs` or `ps` is null for a stage the device's fixed function stands in for. Fills
// `out`'s attribute slots and link sizes; the varying fix-ups that need the GLSL text
// go into `links`.
struct VaryingFixups {
    std::vector<std::pair<std::string, unsigned>> widened;   // "name:used" -> written size
    std::vector<std::pair<std::string, unsigned>> narrowed;  // "name:used" -> written size
    std::vector<std::string> unwritten;                      // pixel inputs nothing writes
    std::string colorOutput;                                 // the COLOR0 output, if any
    std::string depthOutput;                                 // the DEPTH output, if any
    std::string positionOutput;  // a POSITION0 vertex output glslang left ordinary, if any
};
bool bindInterface(const PassDescription& pass, AttributeLocationFn attributeLocation, Stage* vs, Stage* ps,
                   CompiledProgram& out, VaryingFixups& links, const ProblemFn& problem);

// The members of the "_Global" block `block` of `stage`: out.blockSize and out.members.
// False with the name of a member no value parameter stands for.
bool reflectGlobals(const EffectDescription& effect, const Stage& stage, const spvc_reflected_resource& block,
                    CompiledProgram& out, std::string& unknown);

}  // namespace fx
