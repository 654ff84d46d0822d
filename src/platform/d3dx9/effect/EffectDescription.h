// What the effect parser reads out of an effect file: parameters, samplers and
// techniques with their passes, plus the HLSL left for the shader compiler.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/effect/StateExpression.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace fx {

// Parameter values are kept as 32-bit words; a float's word is its bits.
inline std::uint32_t floatBits(float f) {
    std::uint32_t w;
    std::memcpy(&w, &f, 4);
    return w;
}
inline float bitsFloat(std::uint32_t w) {
    float f;
    std::memcpy(&f, &w, 4);
    return f;
}

enum class ValueKind { Float, Int, Bool, Texture, String };

// An annotation: `< string UIName = "Size"; float UIMin = 0; >` on a parameter,
// technique or pass.
struct Annotation {
    std::string name;
    std::string typeName;  // as written: "string", "float2", "int"...
    ValueKind kind = ValueKind::Float;
    int rows = 1, cols = 1;
    std::vector<std::uint32_t> value;  // as Parameter::initial; empty for strings
    std::string text;  // a string's value
};

struct Parameter {
    std::string name;
    ValueKind kind = ValueKind::Float;
    int rows = 1;  // 1 for scalars and vectors
    int cols = 1;
    int arraySize = 0;  // 0: not an array
    std::string typeName;  // as written: "float4x4", "texture"...
    std::string semantic;
    // Initial value, one 32-bit word per component (float bits, int, or 0/1 for bool).
    std::vector<std::uint32_t> initial;
    std::vector<Annotation> annotations;
    bool shared = false;
    std::string text;  // a string parameter's value
    int line = 0;

    int elementCount() const { return arraySize > 0 ? arraySize : 1; }
    bool isValue() const { return kind != ValueKind::Texture && kind != ValueKind::String; }
    int wordCount() const { return isValue() ? rows * cols * elementCount() : 0; }
};

// A struct parameter, an element of an array of them, or a member of struct type: what
// D3DX gives a handle of its own. Its value parameters are the ones in its range.
struct StructGroup {
    std::string name;      // "lights", "lights[1]", "material.rim"
    std::string typeName;  // the struct's
    int elements = 0;      // an array: its element count, and its members are the elements
    std::vector<std::string> members;  // the direct members' full names
    int firstParameter = 0, endParameter = 0;
};

struct SamplerDescription {
    std::string name;
    std::string texture;  // texture parameter named in sampler_state, may be empty
    DWORD minFilter = D3DTEXF_POINT;
    DWORD magFilter = D3DTEXF_POINT;
    DWORD mipFilter = D3DTEXF_NONE;
    DWORD addressU = D3DTADDRESS_WRAP;
    DWORD addressV = D3DTADDRESS_WRAP;
    DWORD addressW = D3DTADDRESS_WRAP;
    DWORD borderColor = 0;
    DWORD mipLodBias = 0;  // float bits
    DWORD maxMipLevel = 0;
    DWORD maxAnisotropy = 1;
    DWORD srgbTexture = FALSE;
    int line = 0;
};

// One render-state assignment of a pass. A value may come from a parameter
// (`AlphaBlendEnable = <usealpha>;`), read when the pass begins.
struct StateAssignment {
    D3DRENDERSTATETYPE state{};
    StateValueKind kind{};  // Float and Color states take a parameter's value as such
    DWORD value = 0;
    int parameter = -1;  // index into the parameters, or -1 for the constant `value`
    std::string written;  // the value as written, for the listing of expressions
    StateExpression expression;  // a value over parameters, evaluated when the pass begins
};

// Where a state of a pass goes on the device, besides the render states above.
enum class DeviceStateKind : std::uint8_t {
    Render,        // a fixed-function render state: SetRenderState
    Sampler,       // SetSamplerState(index, id)
    Texture,       // SetTexture(index) from a texture parameter
    SamplerBlock,  // Sampler[index] = <s>: the sampler_state block's texture and states
    Stage,         // SetTextureStageState(index, id)
    Transform,     // SetTransform(id)
    Light,         // one member of light `index`: GetLight, change, SetLight
    LightEnable,   // LightEnable(index)
    Material,      // one member of the material: GetMaterial, change, SetMaterial
    Fvf,           // SetFVF
    ClipPlane,     // SetClipPlane(index), a float4
};

// How a value becomes what the device call takes.
enum class DeviceValue : std::uint8_t {
    Dword, Float, Color, Matrix, ColorValue, Vector, Plane,
};

struct DeviceState {
    DeviceStateKind kind = DeviceStateKind::Render;
    DeviceValue value = DeviceValue::Dword;
    DWORD id = 0;     // the render, sampler or stage state; the transform; the light or material member
    DWORD index = 0;  // the stage, sampler or light
    DWORD word = 0;   // a constant Dword value, exact
    ExprValue constant;  // a constant value; used when `expression` is empty
    StateExpression expression;
    int parameter = -1;  // Texture: the texture parameter; SamplerBlock: the sampler; -1 none
    int texture = -1;    // SamplerBlock: its block's texture parameter; -1 none
    std::string name;     // as listed: "ColorOp[1]"
    std::string written;  // the value as written
    int line = 0;
};

// Members of a light and of a material that a pass may set.
enum class LightMember : DWORD { Type, Diffuse, Specular, Ambient, Position, Direction, Range, Falloff,
                               Attenuation0, Attenuation1, Attenuation2, Theta, Phi };
enum class MaterialMember : DWORD { Diffuse, Ambient, Specular, Emissive, Power };

// A state of a pass that the device does not take from an effect (fixed-function
// lighting, texture stages, transforms, shader constants...): kept for the listing so
// that it is never dropped unseen.
struct IgnoredState {
    std::string name;  // with its index: "ColorOp[1]"
    std::string value;  // as written
    int line = 0;
};

// `compile PROFILE f(args)`: the function, and the arguments bound to its uniform
// parameters as written. `entry` is what the compiler gets: `function` itself, or a
// generated entry with the arguments bound.
struct ShaderBinding {
    std::string profile, function, entry;
    std::vector<std::string> arguments;
    int line = 0;
};

// `VertexShaderConstant[4] = <m>;`, `PixelShaderConstantI[0] = {3, 0, 1, 0};`,
// `BumpEnvMat01[1] = 0.5;`: registers of an asm shader that the pass fills when it
// begins. A matrix goes in by columns (register n+i holds column i), as D3DX does.
struct ShaderConstantState {
    int target = -1;     // the register file: a hidden parameter (float4 array)
    int first = 0;       // its first register
    int component = -1;  // one component only (bump matrix entries), else -1
    int maxRegisters = 0;  // VertexShaderConstant4 fills 4 at most; 0: as many as the value has
    int parameter = -1;  // the value's parameter, or -1 for `values`
    std::vector<float> values;
};

// `VertexShader = (shaders[i]);` with `i` a parameter: every element is compiled and
// the index picks one each time the pass begins (out of range clamps).
struct ShaderChoice {
    std::vector<ShaderBinding> shaders;  // an empty entry for NULL
    StateExpression index;
};

struct PassDescription {
    std::string name;
    std::string vertexEntry, vertexProfile;  // an empty entry: no shader on that stage
    std::string pixelEntry, pixelProfile;
    int vertexLine = 0, pixelLine = 0;
    std::string vertexShown, pixelShown;  // as the listing shows them: "vs_2_0 VS(1, true)"
    std::vector<StateAssignment> states;
    std::vector<DeviceState> deviceStates;  // in the order written
    std::vector<IgnoredState> ignored;
    std::vector<Annotation> annotations;
    int line = 0;
    std::vector<ShaderConstantState> shaderConstants;
    ShaderChoice vertexChoice, pixelChoice;  // no shaders: the entries above are fixed
};

struct TechniqueDescription {
    std::string name;
    std::vector<PassDescription> passes;
    std::vector<Annotation> annotations;
    int line = 0;
};

// A function of the HLSL, as far as binding `compile` arguments needs it.
struct FunctionSignature {
    std::string name;
    std::string returnType;
    std::string returnSemantic;  // ": COLOR0" or empty
    struct Param {
        std::string text;  // as written, without `uniform`
        std::string name;
        bool uniform = false;
    };
    std::vector<Param> params;
};

struct EffectDescription {
    std::vector<Parameter> parameters;  // in declaration order, textures included
    std::vector<SamplerDescription> samplers;
    std::vector<TechniqueDescription> techniques;
    std::vector<FunctionSignature> functions;
    // Entry points generated for `compile` arguments: "f(1, true)" and the entry's name.
    std::vector<std::pair<std::string, std::string>> boundEntries;
    std::string generatedHlsl;  // their code, which follows the file's own text
    std::string hlsl;  // the shader code, effect syntax blanked, lines as in the file
    // Parameters from here on are the register files of asm shaders, not the file's own.
    int hiddenParameters = -1;
    std::vector<StructGroup> structs;  // in declaration order, each before its members

    int findParameter(const std::string& name) const;
    int findStruct(const std::string& name) const;
};

struct ParseError {
    int line = 0;
    std::string message;
};

// Parses preprocessed effect text. False with `error` set on a syntax error.
bool parseEffect(const std::string& text, EffectDescription& out, ParseError& error);

}  // namespace fx
