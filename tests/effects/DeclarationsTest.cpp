#include <gtest/gtest.h>

#include <cmath>

#include "effects/EffectTestSupport.h"
#include "platform/d3dx9/effect/CompiledEffect.h"
#include "platform/d3dx9/effect/ShaderCompiler.h"

namespace {

using fxtest::param;
using fxtest::wordFloat;

std::vector<float> floats(const fx::Parameter& p) {
    std::vector<float> out;
    for (std::uint32_t w : p.initial) out.push_back(wordFloat(w));
    return out;
}

TEST(EffectDeclarations, ListsFoldedValuesSizesFiltersAndStructVpos) {
    std::string errors;
    auto effect =
        fx::compileEffect(fxtest::readData("Declarations.fx"), "Declarations.fx", {}, fxtest::attributeLocation, errors);
    ASSERT_TRUE(effect) << errors;
    const fx::EffectDescription& d = effect->description;

    // One statement, three shared textures, each with its own annotation and semantic.
    for (const char* name : {"albedoTex", "bumpTex", "glowTex"}) {
        EXPECT_EQ(param(d, name).kind, fx::ValueKind::Texture) << name;
        EXPECT_TRUE(param(d, name).shared) << name;
    }
    ASSERT_EQ(param(d, "bumpTex").annotations.size(), 1u);
    EXPECT_EQ(param(d, "glowTex").semantic, "GLOW");
    EXPECT_EQ(param(d, "bias").semantic, "BIAS");
    EXPECT_EQ(floats(param(d, "bias")), std::vector<float>{0.25f});

    // Folded as fxc folds them: swizzles, intrinsics, the comma operator, casts.
    EXPECT_EQ(floats(param(d, "width")), std::vector<float>{640});
    EXPECT_FLOAT_EQ(floats(param(d, "texel")).at(0), 1.0f / 480);
    EXPECT_FLOAT_EQ(floats(param(d, "pi")).at(0), static_cast<float>(M_PI));
    EXPECT_EQ(floats(param(d, "scale")), (std::vector<float>{3, 3, 3}));
    EXPECT_EQ(floats(param(d, "corner")), (std::vector<float>{7, 6}));
    EXPECT_EQ(param(d, "truncated").initial, std::vector<std::uint32_t>{2});
    EXPECT_FLOAT_EQ(floats(param(d, "lengths")).at(0), 5);
    // Arrays sized by their values; elements picked by index.
    EXPECT_EQ(param(d, "ramp").arraySize, 3);
    EXPECT_EQ(floats(param(d, "ramp")), (std::vector<float>{0.5f, 1, 1}));
    EXPECT_EQ(param(d, "pairs").arraySize, 2);
    EXPECT_EQ(floats(param(d, "picked")), std::vector<float>{5});

    // Filter leaves the sampler's own filters; the last state's ';' may be left out.
    ASSERT_EQ(d.samplers.size(), 4u);  // and the asm shader's stages 0 and 1
    EXPECT_EQ(d.samplers[0].minFilter, static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(d.samplers[0].addressU, static_cast<DWORD>(D3DTADDRESS_CLAMP));
    EXPECT_EQ(d.samplers[1].magFilter, static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(d.samplers[1].borderColor, 0xffff8000u);  // a float4 colour in braces
    const fx::PassDescription& pass = d.techniques.at(0).passes.at(0);
    ASSERT_EQ(pass.states.size(), 1u);
    EXPECT_EQ(pass.states[0].value, static_cast<DWORD>(D3DCULL_NONE));
    // VPOS read through a struct member comes out as the member's type; the GLSL of every
    // program compiles as the GL device takes it.
    ASSERT_EQ(effect->programs.size(), 2u);  // and the asm pass's
    EXPECT_EQ(effect->programs[0].fragmentGlsl.find("= gl_FragCoord;"), std::string::npos);
    for (const fx::CompiledProgram& program : effect->programs)
        EXPECT_TRUE(fx::validateGlsl(program, "Declarations.fx", errors)) << errors;
}

TEST(EffectDeclarations, GlslTheDeviceWouldRefuseIsAnError) {
    fx::CompiledProgram program;
    program.vertexEntry = "VS";
    program.vertexGlsl = "#version 450\nvoid main()\n{\n    vec2 v = vec4(1.0);\n    gl_Position = vec4(v, 0.0, 1.0);\n}\n";
    std::string errors;
    EXPECT_FALSE(fx::validateGlsl(program, "g.fx", errors));
    EXPECT_NE(errors.find("g.fx: error: the vertex shader's (VS/) GLSL: 0:4:"), std::string::npos) << errors;
    EXPECT_NE(errors.find("in `vec2 v = vec4(1.0);`"), std::string::npos) << errors;
}

TEST(EffectDeclarations, UnfoldableOrUnevenValuesAreErrors) {
    const char* const files[][2] = {
        {"float w[] = { 1, 2 };\nfloat2 v[] = { 1, 2, 3 };\n", "(2): error: the initial value of 'v'"},
        {"float u[];\n", "(1): error: the array 'u' needs a size"},
        {"float4 c = float4(1, 2, 3, 4);\nfloat d = c.q;\n", "(2): error: cannot evaluate the initial value of 'd'"},
        {"sampler s = sampler_state { Filter = 3; };\n", "(1): error: expected Filter = NAME"},
        {"static const float k[] = { 1, 2 };\nfloat d = k[1e30] + k[2];\n", "(2): error: cannot evaluate the initial value of 'd'"},
    };
    for (const auto& [text, message] : files) {
        std::string errors;
        EXPECT_FALSE(fx::compileEffect(text, "bad.fx", {}, fxtest::attributeLocation, errors)) << text;
        EXPECT_NE(errors.find(std::string("bad.fx") + message), std::string::npos) << errors;
    }
}

}  // namespace
