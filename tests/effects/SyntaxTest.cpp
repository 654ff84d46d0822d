#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"
#include "platform/d3dx9/effect/CompiledEffect.h"

namespace {

using fxtest::param;
using fxtest::wordFloat;

TEST(EffectSyntax, ConstantsArgumentsShaderVariablesAndPassesWithoutShaders) {
    std::string errors;
    auto effect = fx::compileEffect(fxtest::readData("Syntax.fx"), "Syntax.fx", {}, fxtest::attributeLocation, errors);
    ASSERT_TRUE(effect) << errors;
    const fx::EffectDescription& d = effect->description;

    // Sizes and values folded from static consts and intrinsics.
    EXPECT_EQ(param(d, "weights").arraySize, 5);
    EXPECT_FLOAT_EQ(wordFloat(param(d, "weights").initial.at(4)), 2.5f);
    const fx::Parameter& light = param(d, "lightDir");
    ASSERT_EQ(light.initial.size(), 3u);
    for (std::uint32_t w : light.initial) EXPECT_NEAR(wordFloat(w), 1.0 / std::sqrt(3.0), 1e-6);
    EXPECT_TRUE(param(d, "matViewProj").shared);
    EXPECT_EQ(param(d, "Caption").kind, fx::ValueKind::String);
    EXPECT_EQ(param(d, "Caption").text, "Glowworm");

    ASSERT_EQ(d.techniques.size(), 2u);
    const fx::PassDescription& plain = d.techniques[0].passes.at(0);
    EXPECT_EQ(plain.vertexShown, "vs_2_0 VS(1)");
    EXPECT_EQ(plain.pixelShown, "ps_2_0 PS(false, 1.0)");
    EXPECT_NE(plain.vertexEntry, "VS");  // a generated entry with the argument bound
    ASSERT_EQ(plain.states.size(), 2u);
    EXPECT_EQ(plain.states[1].value, 50u);  // AlphaRef = kTaps * 10

    // The index parameter's initial value picks from the array; a variable gives its shader.
    const fx::PassDescription& vars = d.techniques[0].passes.at(1);
    EXPECT_EQ(vars.vertexShown, "vs_2_0 VS(2)");
    EXPECT_EQ(vars.pixelShown, "ps_2_0 PS(true, kScale * 2)");
    EXPECT_TRUE(vars.ignored.empty());
    ASSERT_EQ(vars.deviceStates.size(), 3u);
    EXPECT_EQ(vars.deviceStates[1].name, "ColorOp[1]");
    EXPECT_EQ(vars.deviceStates[1].word, static_cast<DWORD>(D3DTOP_MODULATE));
    // Shader constants are taken: four registers from c5 on, filled from the parameter.
    ASSERT_EQ(vars.shaderConstants.size(), 1u);
    EXPECT_EQ(vars.shaderConstants[0].first, 5);
    EXPECT_EQ(vars.shaderConstants[0].maxRegisters, 4);
    EXPECT_EQ(vars.shaderConstants[0].parameter, d.findParameter("matViewProj"));

    // Equal bindings share an entry; a pass without shaders has no program, a pass with
    // one has a vertex stage alone, which reports the varyings it writes (COLOR0: 16).
    EXPECT_EQ(d.techniques[1].passes.at(1).vertexEntry, plain.vertexEntry);
    // skinned[boneCount] picks when the pass begins: both elements have a program.
    ASSERT_EQ(effect->programs.size(), 4u);
    ASSERT_EQ(effect->choicePrograms.at(0).at(1).size(), 2u);
    EXPECT_EQ(effect->choicePrograms[0][1][1], effect->passPrograms[0][1]);  // boneCount starts at 1
    ASSERT_EQ(effect->passPrograms.at(1).size(), 2u);
    EXPECT_EQ(effect->passPrograms[1][0], -1);
    ASSERT_EQ(effect->passPrograms[1][1], 3);
    const fx::CompiledProgram& alone = effect->programs[3];
    EXPECT_TRUE(alone.pixelEntry.empty() && alone.fragmentGlsl.empty());
    EXPECT_FALSE(alone.vertexGlsl.empty());
    EXPECT_EQ(alone.linkSizes[16], 4);
    EXPECT_EQ(alone.linkSizes[0], 0);
    EXPECT_TRUE(d.techniques[1].passes[0].vertexEntry.empty());
    ASSERT_EQ(d.techniques[1].passes[0].states.size(), 1u);
    EXPECT_EQ(d.techniques[1].passes[0].states[0].value, static_cast<DWORD>(D3DCULL_NONE));
}

TEST(EffectSyntax, ArgumentsMustMatchAFunction) {
    const char* src =
        "float4 PS(uniform float a) : COLOR { return a; }\n"
        "technique t { pass p {\n"
        "  PixelShader = compile ps_2_0 PS(1, 2);\n"
        "} }\n";
    std::string errors;
    EXPECT_FALSE(fx::compileEffect(src, "args.fx", {}, fxtest::attributeLocation, errors));
    EXPECT_NE(errors.find("args.fx(3): error: no function 'PS' takes the 2 arguments"), std::string::npos) << errors;
}

class EffectReflection : public ::testing::Test {
protected:
    void SetUp() override {
        device = fxtest::createDevice(d3d9::Backend::Trace, &trace);
        ASSERT_TRUE(device);
        ID3DXBuffer* errors = nullptr;
        ASSERT_EQ(D3DXCreateEffectFromFileA(device, fxtest::dataPath("Syntax.fx").c_str(), nullptr, nullptr, 0,
                                            nullptr, &effect, &errors),
                  D3D_OK)
            << fxtest::bufferText(errors);
    }
    void TearDown() override {
        if (effect) effect->Release();
        if (device) device->Release();
    }
    fxtest::TraceLines trace;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
};

TEST_F(EffectReflection, AnnotationsOfParametersTechniquesAndPasses) {
    LPCSTR text = nullptr;
    float f = 0;
    INT i = 0;
    BOOL b = FALSE;
    EXPECT_EQ(effect->GetString(effect->GetAnnotationByName("lightDir", "UIName"), &text), D3D_OK);
    EXPECT_STREQ(text, "Light");
    EXPECT_EQ(effect->GetFloat(effect->GetAnnotationByName("lightDir", "UIMin"), &f), D3D_OK);
    EXPECT_EQ(f, -1.0f);
    float steps[2] = {};
    EXPECT_EQ(effect->GetFloatArray(effect->GetAnnotationByName("lightDir", "UISteps"), steps, 2), D3D_OK);
    EXPECT_EQ(steps[1], 8.0f);
    EXPECT_EQ(effect->GetBool(effect->GetAnnotation("lightDir", 3), &b), D3D_OK);
    EXPECT_TRUE(b);
    EXPECT_EQ(effect->GetAnnotation("lightDir", 4), nullptr);

    D3DXHANDLE technique = effect->GetTechniqueByName("Bound");
    ASSERT_TRUE(technique);
    EXPECT_EQ(effect->GetInt(effect->GetAnnotationByName(technique, "Order"), &i), D3D_OK);
    EXPECT_EQ(i, 3);
    D3DXHANDLE pass = effect->GetPassByName(technique, "Plain");
    ASSERT_TRUE(pass);
    EXPECT_EQ(effect->GetPass(technique, 0), pass);
    EXPECT_EQ(effect->GetFloat(effect->GetAnnotationByName(pass, "Weight"), &f), D3D_OK);
    EXPECT_EQ(f, 0.25f);
    EXPECT_EQ(effect->GetAnnotationByName(pass, "Order"), nullptr);
    // A pass handle is no parameter name, and a string is no number.
    EXPECT_NE(effect->SetFloat(pass, 1.0f), D3D_OK);
    EXPECT_NE(effect->GetFloat(effect->GetAnnotationByName("Caption", "Usage"), &f), D3D_OK);
    EXPECT_EQ(effect->GetString("Caption", &text), D3D_OK);
    EXPECT_STREQ(text, "Glowworm");
}

TEST_F(EffectReflection, ParameterHandlesSetAndGetValues) {
    D3DXHANDLE count = effect->GetParameterByName(nullptr, "boneCount");
    ASSERT_TRUE(count);
    EXPECT_EQ(effect->SetFloat(count, 2.0f), D3D_OK);
    INT i = 0;
    EXPECT_EQ(effect->GetInt(count, &i), D3D_OK);
    EXPECT_EQ(i, 2);
    EXPECT_EQ(effect->GetParameterByName(nullptr, "kTaps"), nullptr);  // static: not a parameter
    // Passes without shaders begin and end without a program.
    ASSERT_EQ(effect->SetTechnique("Fixed"), D3D_OK);
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 2u);
    for (UINT p = 0; p < passes; ++p) {
        EXPECT_EQ(effect->BeginPass(p), D3D_OK);
        EXPECT_EQ(effect->EndPass(), D3D_OK);
    }
    EXPECT_EQ(effect->End(), D3D_OK);
}

}  // namespace
