// What the effect parser reads out of an effect file: parameters, samplers and
// techniques with their passes, plus the HLSL left for the shader compiler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace fx {

enum class ValueKind { Float, Int, Bool, Texture };

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
    int line = 0;

    int elementCount() const { return arraySize > 0 ? arraySize : 1; }
    int wordCount() const { return kind == ValueKind::Texture ? 0 : rows * cols * elementCount(); }
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
    int line = 0;
};

// One render-state assignment of a pass. A value may come from a parameter
// (`AlphaBlendEnable = <usealpha>;`), read when the pass begins.
struct StateAssignment {
    D3DRENDERSTATETYPE state{};
    DWORD value = 0;
    int parameter = -1;  // index into the parameters, or -1 for the constant `value`
};

struct PassDescription {
    std::string name;
    std::string vertexEntry, vertexProfile;
    std::string pixelEntry, pixelProfile;
    int vertexLine = 0, pixelLine = 0;
    std::vector<StateAssignment> states;
    int line = 0;
};

struct TechniqueDescription {
    std::string name;
    std::vector<PassDescription> passes;
    int line = 0;
};

struct EffectDescription {
    std::vector<Parameter> parameters;  // in declaration order, textures included
    std::vector<SamplerDescription> samplers;
    std::vector<TechniqueDescription> techniques;
    std::string hlsl;  // the shader code, effect syntax blanked, lines as in the file

    int findParameter(const std::string& name) const;
};

struct ParseError {
    int line = 0;
    std::string message;
};

// Parses preprocessed effect text. False with `error` set on a syntax error.
bool parseEffect(const std::string& text, EffectDescription& out, ParseError& error);

}  // namespace fx
