// The bench's numbers and the shape of its JSON, which scripts read.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "BenchReport.h"

namespace {

std::string json(const tool::BenchResult& r) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    tool::printJson(out, r);
    std::fclose(out);
    std::string s(text, size);
    std::free(text);
    return s;
}

TEST(BenchReport, PercentilesAreNearestRank) {
    tool::Samples s;
    for (int v : {5, 1, 4, 2, 3}) s.add(v);
    EXPECT_DOUBLE_EQ(s.mean(), 3.0);
    EXPECT_DOUBLE_EQ(s.percentile(50), 3.0);
    EXPECT_DOUBLE_EQ(s.percentile(99), 5.0);
    EXPECT_DOUBLE_EQ(s.percentile(0), 1.0);
    EXPECT_DOUBLE_EQ(tool::Samples{}.percentile(99), 0.0);
}

TEST(BenchReport, JsonHasEveryKeyAndNullForWhatWasNotMeasured) {
    tool::BenchResult r;
    r.gl = false;
    for (int i = 0; i < 6; ++i) r.scenes[i].name = "scene";
    r.scenes[0].logicUs.add(10.0);
    r.scenes[0].allocsMax = 2;
    r.load = {{"textures", 400.0}, {"loading screen", 10.0}};
    const std::string s = json(r);
    EXPECT_EQ(s.rfind("{\"scenes\": [{\"name\": \"scene\", \"logic_us_mean\": 10.000, \"logic_us_median\": 10.000, "
                      "\"logic_us_p99\": 10.000, \"allocs_per_frame_max\": 2, \"gl_ms_640x480\": null, "
                      "\"gl_ms_1280x720\": null}, ",
                      0),
              0u)
        << s;
    // A scene without frames has no numbers to give.
    EXPECT_NE(s.find("{\"name\": \"scene\", \"logic_us_mean\": null"), std::string::npos) << s;
    EXPECT_NE(s.find("\"load_ms\": {\"total\": 410.000, \"textures\": 400.000, \"loading_screen\": 10.000}}"),
              std::string::npos)
        << s;
}

}  // namespace
