// The commands' command lines: the values they share read one way, and a bad value or
// option refused with exit status 2 and a message naming it, before anything runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "OptionValues.h"
#include "tools/CommandRun.h"

namespace {

tooltest::CommandRun tool(const std::string& args) {
    return tooltest::runCommand(std::string(GH_BINARY_DIR) + "/glimmerhop-tool " + args + " 2>&1");
}

TEST(CommandLine, SizesTimesAndListsReadWholeValuesOnly) {
    tool::Size s;
    EXPECT_TRUE(tool::parseSize("640x480", 1, 65536, s));
    EXPECT_EQ(s.width, 640u);
    EXPECT_EQ(s.height, 480u);
    EXPECT_TRUE(tool::parseSize("16X4096", 16, 4096, s));
    EXPECT_EQ(s.height, 4096u);
    for (const char* bad : {"", "640", "640x", "x480", "640x480x", "640x480 ", "-640x480", "+640x480", "640x 480",
                            "15x16", "16x4097", "99999999999999999999x1", "abc"})
        EXPECT_FALSE(tool::parseSize(bad, 16, 4096, s)) << bad;
    EXPECT_EQ(s.width, 16u) << "a refused size leaves the value as it was";

    double t = 7;
    EXPECT_TRUE(tool::parseTime("-1.5", t));
    EXPECT_DOUBLE_EQ(t, -1.5);
    for (const char* bad : {"", "abc", "1s", "1,5", "nan", "inf", "1e999"}) EXPECT_FALSE(tool::parseTime(bad, t)) << bad;
    EXPECT_DOUBLE_EQ(t, -1.5);

    std::vector<double> times{1.0};
    EXPECT_TRUE(tool::parseTimeList("1.5,30,60.25", times));
    EXPECT_EQ(times, (std::vector<double>{1.0, 1.5, 30.0, 60.25}));
    for (const char* bad : {"", "1,,2", "1,", "1,x"}) EXPECT_FALSE(tool::parseTimeList(bad, times)) << bad;
    EXPECT_EQ(times.size(), 4u) << "a refused list adds nothing";
}

TEST(CommandLine, BadValuesAreRefusedByName) {
    if (!std::filesystem::exists(std::string(GH_BINARY_DIR) + "/glimmerhop-tool")) GTEST_SKIP() << "no tool";
    const std::string out = std::string(GH_BINARY_DIR) + "/test-files/commandline-still.png";
    std::filesystem::remove(out);
    const struct {
        std::string args, named;
    } cases[] = {
        {"render --at abc --out " + out, "--at"},
        {"render --at 1 --size 640 --out " + out, "--size"},
        {"render --at 1 --msaa 1 --out " + out, "--msaa"},
        {"render --from 0 --fps 0 --out " + out, "--fps"},
        {"render --at 1 --history some --out " + out, "--history"},
        {"render --at 1", "--out"},
        {"render --at 1 --out " + out + " --bogus", "--bogus"},
        {"trace --at 1,x", "--at"},
        {"trace --from 0 --to 1 --fps 0", "--fps"},
        {"trace --from 0", "--to"},
        {"bench --size 0x10", "--size"},
        {"bench --to never", "--to"},
        {"live --from -1", "--from"},
        {"live --size 32x32", "--size"},
        {"sync a.mp3 b.sync --bands 0", "--bands"},
        {"plot a.sync b.png --width wide", "--width"},
        {"check", "paths"},
        {"fx --size 4x4 --render x.png a.fx", "--size"},
        {"fx --mesh cone --render x.png a.fx", "--mesh"},
    };
    for (const auto& c : cases) {
        const tooltest::CommandRun r = tool(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.output;
        EXPECT_NE(r.output.find(c.named), std::string::npos) << c.args << "\n" << r.output;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Each -D takes one definition; the effect files after it stay files.
TEST(CommandLine, FxDefinitionsTakeOneWordEach) {
    if (!std::filesystem::exists(std::string(GH_BINARY_DIR) + "/glimmerhop-tool")) GTEST_SKIP() << "no tool";
    const std::string dir = std::string(GH_BINARY_DIR) + "/test-files/commandline-fx/";
    std::filesystem::create_directories(dir);
    for (const char* name : {"a.fx", "b.fx"}) {
        std::FILE* f = std::fopen((dir + name).c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("#if !defined(ONE) || !defined(TWO)\n#error both needed\n#endif\n"
                   "float4 k = TWO;\ntechnique T { pass P { } }\n", f);
        std::fclose(f);
    }
    const tooltest::CommandRun r = tool("fx -D ONE -D 'TWO=float4(1.0/2.0,0,0,1)' " + dir + "a.fx " + dir + "b.fx");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("a.fx: 1 technique"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("b.fx: 1 technique"), std::string::npos) << r.output;
}

TEST(CommandLine, HelpComesFromTheDeclarations) {
    if (!std::filesystem::exists(std::string(GH_BINARY_DIR) + "/glimmerhop-tool")) GTEST_SKIP() << "no tool";
    const struct {
        const char* command;
        std::vector<const char*> options;
    } commands[] = {
        {"render", {"--at", "--out", "--from", "--to", "--fps", "--size", "--aspect", "--msaa", "--history-fps"}},
        {"trace", {"--at", "--from", "--to", "--fps", "--load", "--out", "--data"}},
        {"bench", {"--short", "--json", "--no-gl", "--draws", "--size", "--gl-fps"}},
        {"live", {"--from", "--size", "--data"}},
        {"sync", {"--bands", "--duration"}},
        {"plot", {"--width"}},
        {"check", {"DIR|FILE"}},
        {"fx", {"--gl", "--glsl", "-D", "--render", "--technique", "--size", "--mesh"}},
    };
    for (const auto& c : commands) {
        const tooltest::CommandRun r = tool(std::string(c.command) + " --help");
        EXPECT_EQ(r.status, 0) << c.command << "\n" << r.output;
        for (const char* option : c.options)
            EXPECT_NE(r.output.find(option), std::string::npos) << c.command << " --help lacks " << option;
    }
}

}  // namespace
