// Struct parameters as D3DX reflects them: handles for the struct, its elements and its
// members of struct type, descriptions, and SetValue filling the members in order; and
// the handle of a technique without a name.
#include <gtest/gtest.h>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"
#include "platform/d3dx9/effect/CompiledEffect.h"
#include "platform/d3dx9/effect/ShaderCompiler.h"

namespace {

TEST(StructParameters, HandlesDescriptionsAndWholeValues) {
    fxtest::TraceLines trace;
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Trace, &trace);
    ASSERT_TRUE(device);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(device, fxtest::dataPath("Semantics.fx").c_str(), nullptr, nullptr, 0, nullptr,
                                        &effect, &errors),
              D3D_OK)
        << fxtest::bufferText(errors);

    D3DXHANDLE lights = effect->GetParameterByName(nullptr, "lights");
    D3DXPARAMETER_DESC desc{};
    ASSERT_EQ(effect->GetParameterDesc(lights, &desc), D3D_OK);
    EXPECT_EQ(desc.Class, D3DXPC_STRUCT);
    EXPECT_EQ(desc.Elements, 2u);
    EXPECT_EQ(desc.StructMembers, 2u);
    EXPECT_EQ(desc.Bytes, 2u * (3 + 4) * 4);
    D3DXHANDLE second = effect->GetParameterElement(lights, 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(effect->GetParameterByName(second, "color"), effect->GetParameterByName(nullptr, "lights[1].color"));
    EXPECT_EQ(effect->GetParameterElement(lights, 2), nullptr);
    ASSERT_EQ(effect->GetParameterDesc(effect->GetParameter(second, 1), &desc), D3D_OK);
    EXPECT_STREQ(desc.Name, "color");
    EXPECT_EQ(desc.Class, D3DXPC_VECTOR);
    EXPECT_EQ(desc.Columns, 4u);

    // material: diffuse, then rim (direction, color).
    D3DXHANDLE material = effect->GetParameterByName(nullptr, "material");
    D3DXHANDLE rim = effect->GetParameter(material, 1);
    ASSERT_EQ(effect->GetParameterDesc(rim, &desc), D3D_OK);
    EXPECT_STREQ(desc.Name, "rim");
    EXPECT_EQ(desc.StructMembers, 2u);
    const float whole[11] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    ASSERT_EQ(effect->SetValue(material, whole, sizeof whole), D3D_OK);
    float color[4] = {};
    ASSERT_EQ(effect->GetFloatArray("material.rim.color", color, 4), D3D_OK);
    EXPECT_EQ(color[0], 8.0f);
    EXPECT_EQ(color[3], 11.0f);
    EXPECT_EQ(effect->SetValue("nothing", whole, sizeof whole), D3DERR_INVALIDCALL);

    // A technique without a name begins through its handle.
    D3DXHANDLE unnamed = effect->GetTechnique(2);
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(effect->GetTechnique(3), nullptr);
    ASSERT_EQ(effect->SetTechnique(unnamed), D3D_OK);
    UINT passes = 0;
    EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 1u);
    effect->End();
    EXPECT_NE(effect->GetPass(unnamed, 0), nullptr);
    effect->Release();
    device->Release();
}

std::vector<float> floats(const fx::Parameter& p) {
    std::vector<float> out;
    for (std::uint32_t w : p.initial) out.push_back(fxtest::wordFloat(w));
    return out;
}

TEST(StructParameters, InitialValueFillsTheMembersInOrder) {
    std::string errors;
    auto effect =
        fx::compileEffect(fxtest::readData("StructValues.fx"), "StructValues.fx", {}, fxtest::attributeLocation, errors);
    ASSERT_TRUE(effect) << errors;
    const fx::EffectDescription& d = effect->description;
    EXPECT_EQ(floats(fxtest::param(d, "tint.strength")), std::vector<float>{0.5f});
    EXPECT_EQ(floats(fxtest::param(d, "tint.inner.scale")), (std::vector<float>{2, 3}));
    EXPECT_EQ(floats(fxtest::param(d, "tint.color")), (std::vector<float>{0.25f, 0.5f, 0.75f, 1}));
    EXPECT_EQ(fxtest::param(d, "tint.steps").initial, (std::vector<std::uint32_t>{4, 5}));
    EXPECT_EQ(floats(fxtest::param(d, "after")), std::vector<float>{7});

    const char* const uneven = "struct S { float a; float2 b; };\nS s = { 1, 2 };\n";
    EXPECT_FALSE(fx::compileEffect(uneven, "bad.fx", {}, fxtest::attributeLocation, errors));
    EXPECT_NE(errors.find("bad.fx(2): error: the initial value of 's' has 2 components; its members hold 3"),
              std::string::npos)
        << errors;
}

}  // namespace
