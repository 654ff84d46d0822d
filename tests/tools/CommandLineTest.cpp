// The values the commands' command lines share, each read one way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OptionValues.h"

namespace {

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

}  // namespace
