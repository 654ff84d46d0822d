#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "effects/EffectTestSupport.h"

namespace {

// Runs glimmerhop-tool with stdout and stderr captured; -1 when it is not built.
int runTool(const std::string& arguments, std::string& output) {
    std::string tool = std::string(GH_BINARY_DIR) + "/glimmerhop-tool";
    if (access(tool.c_str(), X_OK) != 0) return -1;
    std::FILE* pipe = popen((tool + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FxTool, ListsTechniquesPassesAndParameters) {
    std::string out;
    int rc = runTool("fx " + fxtest::dataPath("Showcase.fx"), out);
    if (rc == -1) GTEST_SKIP() << "glimmerhop-tool is not built";
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("2 techniques, 11 parameters"), std::string::npos) << out;
    EXPECT_NE(out.find("AdditiveOverlay          3 passes"), std::string::npos) << out;
    EXPECT_NE(out.find("Plain                    1 pass\n"), std::string::npos) << out;
    EXPECT_NE(out.find("float4x4     matWorld\n"), std::string::npos) << out;
    EXPECT_NE(out.find("texture      tex0"), std::string::npos) << out;
}

TEST(FxTool, ListsShadersStatesIgnoredStatesAndAnnotations) {
    std::string out;
    int rc = runTool("fx " + fxtest::dataPath("Syntax.fx"), out);
    if (rc == -1) GTEST_SKIP() << "glimmerhop-tool is not built";
    EXPECT_EQ(rc, 0) << out;
    for (const char* line : {"    pass 0 Plain: vertex vs_2_0 VS(1), pixel ps_2_0 PS(false, 1.0)\n",
                             "      AlphaRef = kTaps * 10\n",
                             "      ZEnable = TRUE\n", "      CullMode = NONE\n", "      ColorOp[1] = Modulate\n",
                             "    pass 0 NoShaders: fixed function\n",
                             "    pass 1 VertexOnly: vertex vs_2_0 VS(1), pixel fixed function\n",
                             "    <int Order = 3>\n", "      <float Weight = 0.25>\n",
                             "    <int2 UISteps = {4, 8}>\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
}

TEST(FxTool, ListsExpressionsAndDeviceStatesAsWritten) {
    std::string out;
    int rc = runTool("fx " + fxtest::dataPath("PassStates.fx") + " " + fxtest::dataPath("DeviceStates.fx"), out);
    if (rc == -1) GTEST_SKIP() << "glimmerhop-tool is not built";
    EXPECT_EQ(rc, 0) << out;
    for (const char* line : {"      AlphaRef = (int)(cutoff * 255)\n", "      ZFunc = 4294967295\n",
                             "      FogStart = <fogStart>\n", "      ColorArg0[0] = Texture | Complement\n",
                             "      LightPhi[0] = (fogStart + 0.5)\n", "      Sampler[3] = <samp>\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    EXPECT_EQ(out.find("(ignored)"), std::string::npos) << out;
}

TEST(FxTool, PrintsTheCompilerTextAndFails) {
    std::string out;
    std::string path = fxtest::dataPath("Broken.fx");
    int rc = runTool("fx " + path, out);
    if (rc == -1) GTEST_SKIP() << "glimmerhop-tool is not built";
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find(path + "(9): error: 'undefinedColour'"), std::string::npos) << out;

    out.clear();
    EXPECT_EQ(runTool("fx -D WANTED=2 " + fxtest::dataPath("Macros.fx"), out), 0) << out;
    EXPECT_NE(out.find("Twice                    2 passes"), std::string::npos) << out;
}

TEST(FxTool, IncludeFoldersAreSearchedAfterTheIncludingFilesFolder) {
    std::string out;
    const std::string file = fxtest::dataPath("include/folders.fx");
    int rc = runTool("fx " + file, out);
    if (rc == -1) GTEST_SKIP() << "glimmerhop-tool is not built";
    EXPECT_EQ(rc, 1) << out;
    EXPECT_NE(out.find("cannot open include file 'nested.fxh'"), std::string::npos) << out;
    out.clear();
    EXPECT_EQ(runTool("fx " + file + " -I " + fxtest::dataPath("include/Parts"), out), 0) << out;
    EXPECT_NE(out.find("float4       tint"), std::string::npos) << out;
}

}  // namespace
