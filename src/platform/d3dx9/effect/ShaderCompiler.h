// Compiles one pass's HLSL entry points to a GLSL program: glslang (HLSL, DX9 rules) to
// SPIR-V, then SPIRV-Cross to GLSL 4.50. Vertex inputs get the device's attribute
// locations, varyings locations derived from their semantics, samplers texture units,
// and the globals stay in the one uniform block "_Global" whose layout is reflected here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx9/effect/EffectDescription.h"

namespace fx {

// Location of the vertex attribute with this usage and usage index, -1 if none.
using AttributeLocationFn = int (*)(BYTE usage, BYTE usageIndex);

struct UniformMember {
    int parameter = -1;  // index into EffectDescription::parameters
    std::uint32_t offset = 0;
    std::uint32_t arrayStride = 0;   // bytes between array elements (0: not an array)
    std::uint32_t matrixStride = 0;  // bytes between the vectors of a matrix
    // True when consecutive memory runs along an HLSL column: the block then holds the
    // transpose of the D3DX matrix, which is what keeps mul(v, M) equal to v * M.
    bool columnsInMemory = false;
};

struct SamplerBinding {
    std::string name;   // sampler name in the shaders; its texture unit is its index
    int sampler = -1;   // index into EffectDescription::samplers, -1 without sampler_state
    int texture = -1;   // texture parameter index, -1 for none
    int stage = -1;     // its `register(sN)`, -1 when the file gives none
    bool cube = false;  // samples a cube map (samplerCUBE)
};

// Varying locations (as varyingLocation numbers them) a one-shader pass reports.
constexpr unsigned kLinkLocations = 32;

// A vertex input whose usage has no fixed attribute location: the device feeds
// `location` from the declaration element with this usage and usage index.
struct AttributeSlot {
    std::uint8_t location = 0;
    BYTE usage = 0, usageIndex = 0;
};

struct CompiledProgram {
    std::string vertexEntry, pixelEntry;  // one may be empty: that stage is fixed function
    std::string vertexGlsl, fragmentGlsl;
    // With one stage only: the components it writes (vertex) or reads (pixel) at each
    // varying location, 0 for none, for the device's fixed-function half.
    std::uint8_t linkSizes[kLinkLocations] = {};
    std::vector<AttributeSlot> attributeSlots;
    std::uint32_t blockSize = 0;  // size of "_Global"; 0 when the shaders read no globals
    std::vector<UniformMember> members;
    std::vector<SamplerBinding> samplers;
};

// Names the injected GLSL uses; the effect sets them per pass.
constexpr const char* kVposUniform = "gh_vposRows";  // vec2: VPOS.y = gl_FragCoord.y * x + y
constexpr const char* kPixelOffsetUniform = "gh_pixelOffset";  // vec2: (+1/w, -1/h)
constexpr const char* kAlphaFuncUniform = "gh_alphaFunc";      // int: D3DCMP, 0 = off
constexpr const char* kAlphaRefUniform = "gh_alphaRef";        // float 0..255, as D3DRS_ALPHAREF
constexpr const char* kGlobalBlock = "_Global";
// The device's clip planes in clip space and its point size, minimum and maximum
// (d3d9::internal::kClipPlaneBinding); a distance counts only while its GL_CLIP_DISTANCEi
// is on. A shader's PSIZE output, when it has one, replaces the size.
constexpr const char* kClipPlaneBlock =
    "layout(std140, binding = 1) uniform gh_ClipPlanes { vec4 gh_clipPlane[6]; vec4 gh_pointSize; };\n";
constexpr const char* kClipDistances =
    "    gl_ClipDistance[0] = dot(gl_Position, gh_clipPlane[0]);\n"
    "    gl_ClipDistance[1] = dot(gl_Position, gh_clipPlane[1]);\n"
    "    gl_ClipDistance[2] = dot(gl_Position, gh_clipPlane[2]);\n"
    "    gl_ClipDistance[3] = dot(gl_Position, gh_clipPlane[3]);\n"
    "    gl_ClipDistance[4] = dot(gl_Position, gh_clipPlane[4]);\n"
    "    gl_ClipDistance[5] = dot(gl_Position, gh_clipPlane[5]);\n";
inline std::string pointSizeCode(const std::string& vertexGlsl) {
    const bool own = vertexGlsl.find(" out float gh_v_PSIZE0;") != std::string::npos;
    return std::string("    gl_PointSize = clamp(") + (own ? "gh_v_PSIZE0" : "gh_pointSize.x") +
           ", gh_pointSize.y, gh_pointSize.z);\n";
}

// Compiles the pass's entry points (both, or the one it has). On failure returns false and appends the
// compiler's messages to `errors`, each as "<fileName>(<line>): error: <text>".
bool compileProgram(const EffectDescription& effect, const PassDescription& pass,
                    const std::string& fileName, AttributeLocationFn attributeLocation,
                    CompiledProgram& out, std::string& errors);

// Compiles the program's GLSL (and links its two stages) as the GL device will; false with
// the messages appended to `errors` when it would refuse them.
bool validateGlsl(const CompiledProgram& program, const std::string& fileName, std::string& errors);

// N of `name : register(sN)` in the shader code, -1 when the sampler has none.
int samplerRegister(const std::string& hlsl, const std::string& name);
// Location of a varying with this semantic ("TEXCOORD3", "COLOR0"), -1 for unknown ones.
int varyingLocation(const std::string& semantic);
// Splits "TEXCOORD3" into usage (D3DDECLUSAGE) and index; false when not a D3D usage.
bool semanticUsage(const std::string& semantic, BYTE& usage, BYTE& index);

}  // namespace fx
