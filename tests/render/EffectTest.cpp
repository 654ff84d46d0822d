#include <cstring>
#include <fstream>

#include "render/Effect.h"
#include "render/TestDevice.h"
#include "render/TestFiles.h"

using testing_support::TraceDeviceTest;

namespace {

using EffectLoad = TraceDeviceTest;

TEST_F(EffectLoad, MissingFileShowsTheCaptionAndAFixedText) {
    Effect effect;
    effect.load("nowhere/absent.fx");
    EXPECT_EQ(effect.compiled, nullptr);
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Shader Compilation Error In [nowhere/absent.fx]");
    EXPECT_GT(std::strlen(win32::lastMessageBox().text), 0u);
}

TEST_F(EffectLoad, LongPathCaptionIsCutToSixtyFourCharacters) {
    const std::string path = std::string(100, 'x') + ".fx";
    Effect effect;
    effect.load(path.c_str());
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    const std::string caption = win32::lastMessageBox().caption;
    EXPECT_EQ(caption.size(), 64u);
    EXPECT_EQ(caption.rfind("Shader Compilation Error In [xxxx", 0), 0u);
}

TEST_F(EffectLoad, CompileErrorShowsTheCompilersText) {
    const std::string dir = testing_support::scratchFolder();
    const std::string path = dir + "broken.fx";
    std::ofstream(path) << "float4x4 matWorld;\n"
                           "float4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, 1), matWorld); }\n"
                           "float4 PS() : COLOR { return undefinedThing; }\n"
                           "technique T { pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }\n";
    Effect effect;
    effect.load(path.c_str());
    EXPECT_EQ(effect.compiled, nullptr);
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_EQ(std::string(win32::lastMessageBox().caption),
              ("Shader Compilation Error In [" + path + "]").substr(0, 64));
    EXPECT_NE(std::string(win32::lastMessageBox().text).find("undefinedThing"), std::string::npos)
        << win32::lastMessageBox().text;
}

TEST_F(EffectLoad, ValidFileLoadsAndReleaseEmptiesTheHolder) {
    const std::string dir = testing_support::scratchFolder();
    const std::string path = dir + "ok.fx";
    std::ofstream(path) << "float4x4 matWorldViewProjection;\n"
                           "float4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, 1), matWorldViewProjection); }\n"
                           "float4 PS() : COLOR { return float4(1, 0, 0, 1); }\n"
                           "technique T { pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }\n";
    Effect effect;
    effect.load(path.c_str());
    ASSERT_NE(effect.compiled, nullptr) << win32::lastMessageBox().text;
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    effect.release();
    EXPECT_EQ(effect.compiled, nullptr);
    effect.release();  // a second release is harmless
    EXPECT_EQ(effect.compiled, nullptr);
}

}  // namespace
