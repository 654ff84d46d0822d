#include <gtest/gtest.h>

#include "effects/EffectTestSupport.h"
#include "platform/d3dx9/effect/CompiledEffect.h"
#include "platform/d3dx9/effect/HlslRewrite.h"
#include "platform/d3dx9/effect/Preprocessor.h"

namespace {

fx::PreprocessResult preprocessData(const char* name, const fx::IncludeOpener& open = nullptr) {
    fx::PreprocessOptions options;
    options.fileName = fxtest::dataPath(name);
    options.open = open ? open : fx::defaultIncludeOpener(options.fileName);
    return fx::preprocessFile(fxtest::readData(name), options);
}

TEST(Preprocessor, IncludesFilesByAnyCaseAndSeparator) {
    fx::PreprocessResult r = preprocessData("include/main.fx");
    ASSERT_EQ(r.message(), "");
    EXPECT_NE(r.text.find("float4 tint = float4(1, 0, 0, 1);"), std::string::npos) << r.text;
    EXPECT_NE(r.text.find("return p * 2.0;"), std::string::npos);
    // The line after the #include maps back to line 3 of main.fx, the tint to nested.fxh.
    int vsLine = 0, tintLine = 0;
    for (std::size_t at = 0, line = 1; at < r.text.size(); ++line) {
        std::size_t end = r.text.find('\n', at);
        std::string text = r.text.substr(at, end - at);
        if (text.find("float4 vs") != std::string::npos) vsLine = static_cast<int>(line);
        if (text.find("tint =") != std::string::npos) tintLine = static_cast<int>(line);
        at = end == std::string::npos ? r.text.size() : end + 1;
    }
    EXPECT_EQ(r.map.where(vsLine), fxtest::dataPath("include/main.fx") + "(3)");
    EXPECT_EQ(r.map.where(tintLine), fxtest::dataPath("include/Parts/nested.fxh") + "(2)");
}

TEST(Preprocessor, MessagesNameTheIncludedFile) {
    fx::PreprocessResult r = preprocessData("include/stop.fx");
    EXPECT_EQ(r.message(), fxtest::dataPath("include/Parts/stop.fxh") + "(2): error: #error stop here\n");

    // A caller's handler names the file as written, and a missing one fails on its line.
    int opened = 0;
    r = preprocessData("include/main.fx", [&](fx::IncludeKind kind, const std::string& name, const std::string& from,
                                              std::string& text, std::string& path) {
        ++opened;
        if (name != "parts\\common.FXH") {
            // The nested <sys.fxh> comes from the text the handler gave, by its name.
            EXPECT_EQ(kind, fx::IncludeKind::System);
            EXPECT_EQ(from, "parts\\common.FXH");
            return false;
        }
        EXPECT_EQ(kind, fx::IncludeKind::Local);
        EXPECT_EQ(from, fxtest::dataPath("include/main.fx"));
        text = "\n\n#include <sys.fxh>\n";
        path = name;
        return true;
    });
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(r.message(), "parts\\common.FXH(3): error: cannot open include file 'sys.fxh'\n");
}

TEST(Preprocessor, ByteOrderMarksAndUtf16AreText) {
    // UTF-16 (both byte orders) with its mark, including a UTF-8 file with its mark;
    // other bytes in comments and strings pass.
    const std::string text = "#include \"a.fxh\"\nfloat x = 1; // \xe9t\xe9 \x93\x94\nstring s = \"\xff\";\n";
    for (bool bigEndian : {false, true}) {
        std::string utf16 = bigEndian ? "\xfe\xff" : "\xff\xfe";
        for (char c : text) {
            const char unit[2] = {bigEndian ? '\0' : c, bigEndian ? c : '\0'};
            utf16.append(unit, 2);
        }
        fx::PreprocessOptions options;
        options.fileName = "wide.fx";
        options.open = [](fx::IncludeKind, const std::string& name, const std::string&, std::string& t,
                          std::string& path) {
            t = "\xef\xbb\xbf#define Y 2\nfloat y = Y;\n";
            path = name;
            return true;
        };
        fx::PreprocessResult r = fx::preprocessFile(utf16, options);
        ASSERT_EQ(r.message(), "");
        EXPECT_NE(r.text.find("float y = 2;"), std::string::npos) << r.text;
        EXPECT_NE(r.text.find("float x = 1;"), std::string::npos) << r.text;
        EXPECT_EQ(r.text.find("\xef\xbb\xbf"), std::string::npos);
    }
    // Characters beyond one UTF-16 unit arrive as UTF-8; a lone surrogate as U+FFFD.
    EXPECT_EQ(fx::sourceAsUtf8(std::string("\xff\xfe\x3d\xd8\x00\xde\x00\xd8", 8)), "\xf0\x9f\x98\x80\xef\xbf\xbd");
}

TEST(Preprocessor, LineDirectivesAndMacroOperators) {
    std::string src =
        "#define STR(x) #x\n"
        "#define GLUE(a, b) a ## b\n"
        "#define TEX(n) TEXCOORD ## n\n"
        "const char* s = STR(a \"b\");\n"
        "float2 GLUE(uv, 3) : TEX(1);\n"
        "#line 40 \"other.fxh\"\n"
        "x\n"
        "#error late\n";
    fx::PreprocessOptions options;
    options.fileName = "self.fx";
    fx::PreprocessResult r = fx::preprocessFile(src, options);
    EXPECT_NE(r.text.find("s = \"a \\\"b\\\"\";"), std::string::npos) << r.text;
    EXPECT_NE(r.text.find("float2 uv3 : TEXCOORD1;"), std::string::npos) << r.text;
    EXPECT_EQ(r.map.where(7), "other.fxh(40)");
    EXPECT_EQ(r.message(), "other.fxh(41): error: #error late\n");
}

TEST(EffectCompiler, ShaderErrorsNameTheIncludedFile) {
    std::string errors;
    std::string path = fxtest::dataPath("include/broken.fx");
    auto effect = fx::compileEffect(fxtest::readData("include/broken.fx"), path, {}, fxtest::attributeLocation, errors);
    EXPECT_EQ(effect, nullptr);
    EXPECT_NE(errors.find(fxtest::dataPath("include/Parts/bad.fxh") + "(3): error:"), std::string::npos) << errors;
    errors.clear();
    path = fxtest::dataPath("include/main.fx");
    EXPECT_NE(fx::compileEffect(fxtest::readData("include/main.fx"), path, {}, fxtest::attributeLocation, errors),
              nullptr)
        << errors;
}

TEST(HlslRewrite, FormsGlslangRejects) {
    std::string src =
        "matrix<float, 4, 3> m; vector<float,3> v;\n"
        "float4 ps(float2 uv : TEXCOORD0_centroid, float2 p : VPOS, float f : vface) : COLOR\n"
        "{ return normalize(uv.x) * normalize (float3(v)).x; }\n";
    std::string out = fx::rewriteHlsl(src);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
    EXPECT_NE(out.find("float4x3 m; float3 v;"), std::string::npos) << out;
    EXPECT_NE(out.find("uv : TEXCOORD0, float2 p : SV_Position, float f : SV_IsFrontFace"), std::string::npos) << out;
    EXPECT_NE(out.find("gh_normalize(uv.x) * gh_normalize (float3(v))"), std::string::npos) << out;
    EXPECT_EQ(fx::rewriteHlsl("float4 f(float4 x) : COLOR { return x ? a::b : c; }"),
              "float4 f(float4 x) : COLOR { return x ? a::b : c; }");
}

TEST(HlslRewrite, InitializerFormsOnlyWhenThePartsAddUp) {
    std::string flat = "float4 a[2] = { 1, 2, 3, 4,\n 5, 6, 7, 8 }; float2 x, y;\n float4(x, y) = f();"
                       " float m[2][3] = { 1, 2, 3, 4, 5, 6 };";
    std::string out = fx::rewriteHlsl(flat);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_NE(out.find("{ float4(1, 2, 3, 4), float4(5, 6, 7, 8) }"), std::string::npos) << out;
    EXPECT_NE(out.find("m[2][3] = { { 1, 2, 3 }, { 4, 5, 6 } };"), std::string::npos) << out;
    EXPECT_NE(out.find("{ float4 gh_split1 = f(); x = gh_split1.xy; y = gh_split1.zw; }"), std::string::npos) << out;
    // a short list, a name with no declaration, a cast of a size it cannot read
    for (const char* same : {"float4 a[2] = { 1, 2, 3 };", "float m[2][2] = { 1, 2, 3 };", "float2 x; float3(x, z) = f();",
                             "float a[3] = (float[n]) v;", "float4( = 1;", "a[2] = { 1"})
        EXPECT_EQ(fx::rewriteHlsl(same), same);
}

TEST(HlslRewrite, MatrixEntriesPickedTogetherAreReadOneByOne) {
    EXPECT_EQ(fx::splitMatrixSwizzles("a = w._m30_m31_m32 + m[i].b._11_22; c = f()._m00_m11; d = w._m01;"),
              "a = float3(w._m30, w._m31, w._m32) + float2(m[i].b._11, m[i].b._22); c = f()._m00_m11; d = w._m01;");
    EXPECT_EQ(fx::splitMatrixSwizzles("m._m00_m10 = w._11_12; m._11_22 *= 2;"),
              "{ float2 gh_entries =  float2(w._11, w._12); m._m00 = gh_entries.x; m._m10 = gh_entries.y; }"
              " { float2 gh_entries = float2(m._11, m._22) * ( 2); m._11 = gh_entries.x; m._22 = gh_entries.y; }");
}

TEST(HlslRewrite, StructsWithTheSameMembersShareTheirType) {
    const std::string src = "struct A { float4 p : POSITION;\n float2 t : TEXCOORD0; };\n"
                            "struct B {\n float4  p : POSITION; float2 t : TEXCOORD0;\n};\n"
                            "struct C { float4 p : POSITION; float2 t : TEXCOORD1; };\n";
    const std::string out = fx::aliasEqualStructs(src);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), std::count(src.begin(), src.end(), '\n'));
    EXPECT_NE(out.find("typedef A B;"), std::string::npos) << out;
    EXPECT_NE(out.find("struct C {"), std::string::npos) << out;  // another semantic: a type of its own
}

TEST(EffectCompiler, TakesWhatFxcTakes) {
    // normalize of a scalar, a centroid varying, a struct returned as another with the same
    // members, a static computed by a function, and a pixel input no vertex output writes.
    std::string src =
        "struct VO { float4 p : POSITION; float2 uv : TEXCOORD0_centroid; };\n"
        "struct Out { float4 p : POSITION; float2 uv : TEXCOORD0_centroid; };\n"
        "VO vs(float4 p : POSITION) { Out o; o.p = p; o.uv = p.xy; return o; }\n"
        "float k = 0.5;\nfloat twice() { return k * 2; }\nstatic float scaled = twice();\n"
        "float4 ps(float2 uv : TEXCOORD0_centroid, float3 n : TEXCOORD5) : COLOR\n"
        "{ return float4(uv, n.x * scaled, normalize(2.0)); }\n"
        "technique t { pass p { VertexShader = compile vs_1_1 vs(); PixelShader = compile ps_2_0 ps(); } }\n";
    std::string errors;
    auto effect = fx::compileEffect(src, "fxc.fx", {}, fxtest::attributeLocation, errors);
    ASSERT_NE(effect, nullptr) << errors;
    const std::string& glsl = effect->programs.at(0).fragmentGlsl;
    EXPECT_NE(glsl.find("vec3 gh_v_TEXCOORD5 = vec3(0);"), std::string::npos) << glsl;
    EXPECT_NE(glsl.find("in vec2 gh_v_TEXCOORD0;"), std::string::npos) << glsl;
}

TEST(EffectCompiler, TakesFxcsDeclarationForms) {
    // A shared texture after a struct parameter, a sampler block with no `= sampler_state`,
    // fxc's dword, a state reading a struct member.
    std::string src =
        "struct L { float4 c; };\n"
        "shared L light;\n"
        "shared texture shadow;\n"
        "sampler2D s { Texture = <shadow>; MinFilter = Linear; };\n"
        "static const dword mask = 0xff;\n"
        "float4 vs(float4 p : POSITION0) : POSITION0 { return p * light.c * (mask & 3); }\n"
        "float4 ps() : COLOR0 { return tex2D(s, 0); }\n"
        "technique t { pass p { VertexShader = compile vs_2_0 vs(); PixelShader = compile ps_2_0 ps();\n"
        "    LightDiffuse[0] = <light.c>; } }\n";
    std::string errors;
    auto effect = fx::compileEffect(src, "forms.fx", {}, fxtest::attributeLocation, errors);
    ASSERT_NE(effect, nullptr) << errors;
    ASSERT_EQ(effect->description.samplers.size(), 1u);
    EXPECT_EQ(effect->description.samplers[0].texture, "shadow");
    EXPECT_EQ(effect->description.samplers[0].minFilter, static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_TRUE(fxtest::param(effect->description, "light.c").shared);
    // A state reads a struct member by its path (an unknown name before).
    EXPECT_EQ(effect->description.techniques.at(0).passes.at(0).deviceStates.size(), 1u);
}

}  // namespace
