#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "effects/EffectTestSupport.h"
#include "platform/d3dx9/effect/EffectDescription.h"
#include "platform/d3dx9/effect/Preprocessor.h"

namespace {

bool parse(const std::string& source, fx::EffectDescription& d, fx::ParseError& e) {
    fx::PreprocessResult pre = fx::preprocess(source, {});
    EXPECT_EQ(pre.error, "");
    return fx::parseEffect(pre.text, d, e);
}

using fxtest::param;
using fxtest::wordFloat;

DWORD stateOf(const fx::PassDescription& p, D3DRENDERSTATETYPE s) {
    for (const fx::StateAssignment& a : p.states)
        if (a.state == s) return a.value;
    return 0xdeadbeef;
}

TEST(EffectParser, ReadsRealWorldSyntax) {
    fx::EffectDescription d;
    fx::ParseError e;
    ASSERT_TRUE(parse(fxtest::readData("Showcase.fx"), d, e)) << e.line << ": " << e.message;

    std::vector<std::string> names;
    for (const fx::Parameter& p : d.parameters) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"matWorldViewProjection", "matWorld", "CameraPosition", "time",
                                               "const0", "const1", "tint", "usealpha", "mode", "tex0", "tex1"}));
    EXPECT_EQ(param(d, "matWorld").rows, 4);
    EXPECT_EQ(param(d, "matWorld").cols, 4);
    EXPECT_EQ(param(d, "matWorldViewProjection").semantic, "WORLDVIEWPROJECTION");
    EXPECT_EQ(param(d, "CameraPosition").cols, 3);
    EXPECT_FLOAT_EQ(wordFloat(param(d, "CameraPosition").initial[2]), -5.0f);
    EXPECT_FLOAT_EQ(wordFloat(param(d, "const0").initial[0]), 0.25f);
    EXPECT_FLOAT_EQ(wordFloat(param(d, "const1").initial[0]), -1.0f);
    EXPECT_FLOAT_EQ(wordFloat(param(d, "tint").initial[1]), 0.5f);
    EXPECT_EQ(param(d, "usealpha").kind, fx::ValueKind::Bool);
    EXPECT_EQ(param(d, "usealpha").initial[0], 1u);
    EXPECT_EQ(param(d, "mode").initial[0], 3u);
    EXPECT_EQ(param(d, "tex1").kind, fx::ValueKind::Texture);
    EXPECT_LT(d.findParameter("PI"), 0);  // static: not a parameter

    ASSERT_EQ(d.samplers.size(), 2u);
    EXPECT_EQ(d.samplers[0].name, "sampler0");
    EXPECT_EQ(d.samplers[0].texture, "tex0");
    EXPECT_EQ(d.samplers[0].minFilter, D3DTEXF_LINEAR);
    EXPECT_EQ(d.samplers[0].magFilter, D3DTEXF_LINEAR);
    EXPECT_EQ(d.samplers[0].mipFilter, D3DTEXF_LINEAR);
    EXPECT_EQ(d.samplers[0].addressU, D3DTADDRESS_CLAMP);
    EXPECT_EQ(d.samplers[0].addressV, D3DTADDRESS_WRAP);
    EXPECT_EQ(d.samplers[1].texture, "tex1");
    // D3D9's defaults where the state block says nothing.
    EXPECT_EQ(d.samplers[1].minFilter, D3DTEXF_POINT);
    EXPECT_EQ(d.samplers[1].mipFilter, D3DTEXF_NONE);
    EXPECT_EQ(d.samplers[1].addressU, D3DTADDRESS_WRAP);

    ASSERT_EQ(d.techniques.size(), 2u);
    EXPECT_EQ(d.techniques[0].name, "Plain");
    ASSERT_EQ(d.techniques[0].passes.size(), 1u);
    const fx::PassDescription& plain = d.techniques[0].passes[0];
    EXPECT_EQ(plain.vertexEntry, "VS");
    EXPECT_EQ(plain.vertexProfile, "vs_2_0");
    EXPECT_EQ(plain.pixelEntry, "PS");
    EXPECT_EQ(stateOf(plain, D3DRS_ZENABLE), 1u);
    EXPECT_EQ(stateOf(plain, D3DRS_ZWRITEENABLE), 0u);
    EXPECT_EQ(stateOf(plain, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));

    const fx::TechniqueDescription& overlay = d.techniques[1];
    EXPECT_EQ(overlay.name, "AdditiveOverlay");
    ASSERT_EQ(overlay.passes.size(), 3u);
    EXPECT_EQ(overlay.passes[0].pixelEntry, "PSFlat");
    EXPECT_EQ(stateOf(overlay.passes[0], D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(stateOf(overlay.passes[0], D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(stateOf(overlay.passes[0], D3DRS_BLENDOP), static_cast<DWORD>(D3DBLENDOP_ADD));
    const fx::PassDescription& p1 = overlay.passes[1];
    EXPECT_EQ(stateOf(p1, D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(stateOf(p1, D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
    EXPECT_EQ(stateOf(p1, D3DRS_ALPHAREF), 0x80u);
    EXPECT_EQ(stateOf(p1, D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATER));
    auto fromParam = std::find_if(p1.states.begin(), p1.states.end(),
                                  [](const fx::StateAssignment& a) { return a.state == D3DRS_ALPHABLENDENABLE; });
    ASSERT_NE(fromParam, p1.states.end());
    EXPECT_EQ(fromParam->parameter, d.findParameter("usealpha"));
    const fx::PassDescription& p2 = overlay.passes[2];
    EXPECT_EQ(p2.name, "");
    EXPECT_EQ(stateOf(p2, D3DRS_STENCILPASS), static_cast<DWORD>(D3DSTENCILOP_REPLACE));
    EXPECT_EQ(stateOf(p2, D3DRS_STENCILZFAIL), static_cast<DWORD>(D3DSTENCILOP_INCR));
    EXPECT_EQ(stateOf(p2, D3DRS_STENCILMASK), 0xffu);
    EXPECT_EQ(stateOf(p2, D3DRS_COLORWRITEENABLE), 7u);
    EXPECT_EQ(stateOf(p2, D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_WIREFRAME));
    EXPECT_EQ(stateOf(p2, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));

    // The HLSL left for the compiler: same lines, no effect syntax.
    std::string src = fxtest::readData("Showcase.fx");
    EXPECT_EQ(std::count(d.hlsl.begin(), d.hlsl.end(), '\n'), std::count(src.begin(), src.end(), '\n'));
    for (const char* gone : {"technique", "sampler_state", "UIName", "texture", "Texture", "WORLDVIEWPROJECTION",
                             "compile", "0.25f"})
        EXPECT_EQ(d.hlsl.find(gone), std::string::npos) << gone;
    EXPECT_NE(d.hlsl.find("sampler2D sampler1"), std::string::npos);
    EXPECT_NE(d.hlsl.find("float4 PS(VS_OUTPUT i) : COLOR"), std::string::npos);
}

struct BadCase {
    const char* source;
    int line;
    const char* words;
};

TEST(EffectParser, SyntaxErrorsGiveTheLine) {
    const BadCase cases[] = {
        {"float a;\ntechnique T {\n pass P {\n  VertexShader = compile vs_2_0 VS();\n  PixelShader = compile ps_2_0 PS();\n  ZEnable = maybe;\n }\n}\n",
         6, "ZEnable"},
        {"float a;\n\ntechnique T { pass P { Bogus = 1; } }\n", 3, "Bogus"},
        {"texture t;\nsampler2D s = sampler_state {\n Texture = <nothere>;\n};\n", 3, "nothere"},
        {"sampler2D s = sampler_state {\n MinFilter = Sharp;\n};\n", 2, "MinFilter"},
        {"float a = 1;\nfloat a = 2;\n", 2, "redefinition"},
        {"technique T {\n pass P {\n  ColorOp[n] = Modulate;\n }\n}\n", 3, "index"},
        {"technique T {\n pass P {\n  VertexShader = compile ps_2_0 VS();\n", 3, "profile"},
        {"technique T\n{\n pass P\n {\n  ZEnable = true;\n", 5, "missing"},
        {"float x = sin(y);\n", 1, "initial value"},
        {"static const int n = 0;\nfloat4 v[n];\n", 2, "array size"},
        {"float4 c <\n string a = \"b\";\n", 1, "'>'"},
    };
    for (const BadCase& c : cases) {
        fx::EffectDescription d;
        fx::ParseError e;
        EXPECT_FALSE(parse(c.source, d, e)) << c.source;
        EXPECT_EQ(e.line, c.line) << c.source << "\n-> " << e.message;
        EXPECT_NE(e.message.find(c.words), std::string::npos) << e.message;
    }
}

TEST(EffectParser, StateNamesAndValuesIgnoreCase) {
    const char* src =
        "technique t { pass p {\n"
        " VERTEXSHADER = compile vs_2_0 VS(); pixelshader = compile ps_2_0 PS();\n"
        " zenable = TRUE; ALPHABLENDENABLE = false; srcblend = INVSRCALPHA; D3DRS_DESTBLEND = D3DBLEND_ONE;\n"
        " cullmode = ccw; zfunc = 8; stencilfunc = NOTEQUAL; colorwriteenable = 0x0F;\n"
        "} }\n";
    fx::EffectDescription d;
    fx::ParseError e;
    ASSERT_TRUE(parse(src, d, e)) << e.message;
    const fx::PassDescription& p = d.techniques.at(0).passes.at(0);
    EXPECT_EQ(p.vertexEntry, "VS");
    EXPECT_EQ(stateOf(p, D3DRS_ZENABLE), 1u);
    EXPECT_EQ(stateOf(p, D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(stateOf(p, D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(stateOf(p, D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(stateOf(p, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(stateOf(p, D3DRS_ZFUNC), 8u);
    EXPECT_EQ(stateOf(p, D3DRS_STENCILFUNC), static_cast<DWORD>(D3DCMP_NOTEQUAL));
    EXPECT_EQ(stateOf(p, D3DRS_COLORWRITEENABLE), 15u);
}

TEST(EffectParser, ToolMetadataAndFixedFunctionStatesAreAccepted) {
    const char* src =
        "string Description = \"made with a tool\";\n"
        "string XFile < string UIName = \"mesh\"; > = \"x.x\";\n"
        "float a;\n"
        "technique t { pass p {\n"
        " VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS();\n"
        " Lighting = false; FogEnable = FALSE; ShadeMode = Gouraud; ZEnable = true;\n"
        "} }\n";
    fx::EffectDescription d;
    fx::ParseError e;
    ASSERT_TRUE(parse(src, d, e)) << e.line << ": " << e.message;
    // Strings are parameters for the application, nothing the shaders see.
    ASSERT_EQ(d.parameters.size(), 3u);
    EXPECT_EQ(d.parameters[1].kind, fx::ValueKind::String);
    EXPECT_EQ(d.parameters[1].text, "x.x");
    EXPECT_EQ(d.parameters[1].annotations.at(0).text, "mesh");
    EXPECT_EQ(d.hlsl.find("string"), std::string::npos);
    const fx::PassDescription& p = d.techniques.at(0).passes.at(0);
    ASSERT_EQ(p.states.size(), 1u);
    EXPECT_EQ(p.states[0].state, D3DRS_ZENABLE);
    // The fixed-function ones go to the device too, in the order written; the shade mode,
    // which GL cannot take without other shaders, is listed as ignored.
    ASSERT_EQ(p.deviceStates.size(), 2u);
    EXPECT_EQ(p.deviceStates[0].id, static_cast<DWORD>(D3DRS_LIGHTING));
    EXPECT_EQ(p.deviceStates[1].id, static_cast<DWORD>(D3DRS_FOGENABLE));
    ASSERT_EQ(p.ignored.size(), 1u);
    EXPECT_EQ(p.ignored[0].name, "ShadeMode");
}

TEST(EffectParser, ArraysAndSplats) {
    const char* src = "float weights[3] = {1, 2, 3};\nfloat4 grey = 0.5;\nfloat a, b = 2;\nbool2 flags;\n";
    fx::EffectDescription d;
    fx::ParseError e;
    ASSERT_TRUE(parse(src, d, e)) << e.message;
    const fx::Parameter& w = param(d, "weights");
    EXPECT_EQ(w.arraySize, 3);
    ASSERT_EQ(w.initial.size(), 3u);
    EXPECT_FLOAT_EQ(wordFloat(w.initial[2]), 3.0f);
    const fx::Parameter& grey = param(d, "grey");
    ASSERT_EQ(grey.initial.size(), 4u);
    EXPECT_FLOAT_EQ(wordFloat(grey.initial[3]), 0.5f);
    EXPECT_FLOAT_EQ(wordFloat(param(d, "b").initial[0]), 2.0f);
    EXPECT_FLOAT_EQ(wordFloat(param(d, "a").initial[0]), 0.0f);
    EXPECT_EQ(param(d, "flags").cols, 2);
}

}  // namespace
