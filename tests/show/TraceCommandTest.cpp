// glimmerhop-tool trace prints the same calls as the show draws, frame by frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TraceRig.h"

namespace showtest {
namespace {

std::string toolPath() { return std::string(GH_BINARY_DIR) + "/glimmerhop-tool"; }

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TraceCommand, FramesMatchTheShowAndComeInOrder) {
    if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "glimmerhop-tool not built";
    const SyncValue sync = spike(2, 29.0f, 60.0f, 1.0f);
    ShowRig rig(sync);
    const std::string out = rig.root() + "/trace.txt";
    const std::string command = toolPath() + " trace --data " + rig.root() +
                                " --from 40 --to 40.5 --fps 10 --out " + out + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<std::string> lines = readLines(out);

    std::vector<std::vector<std::string>> frames;
    for (const std::string& line : lines) {
        if (line.rfind("frame ", 0) == 0) frames.emplace_back();
        else if (!frames.empty() && line != "Present") frames.back().push_back(line);
    }
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(lines.front(), "frame 40");
    for (int k = 0; k < 6; ++k) {
        rig.frame(static_cast<float>(40.0 + k / 10.0));
        EXPECT_EQ(frames[k], rig.recorder().lines) << "frame " << k;
    }
}

TEST(TraceCommand, RefusesBadArguments) {
    if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "glimmerhop-tool not built";
    for (const char* args : {" trace", " trace --at x", " trace --from 1", " trace --bogus",
                             " render --at 3", " render --at 3 --out a.png --size 0x9"}) {
        const std::string command = toolPath() + args + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args;
    }
}

}  // namespace
}  // namespace showtest
