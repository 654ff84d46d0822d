// The bench's numbers and the shape of its JSON, which scripts read.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

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
    const auto j = nlohmann::ordered_json::parse(s);
    ASSERT_EQ(j["scenes"].size(), 6u) << s;
    const auto& first = j["scenes"][0];
    std::vector<std::string> keys;
    for (const auto& [key, value] : first.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"name", "logic_us_mean", "logic_us_median", "logic_us_p99",
                                              "allocs_per_frame_max", "gl_ms_640x480", "gl_ms_1280x720"}))
        << s;
    EXPECT_EQ(first["name"], "scene");
    EXPECT_DOUBLE_EQ(first["logic_us_mean"].get<double>(), 10.0);
    EXPECT_DOUBLE_EQ(first["logic_us_median"].get<double>(), 10.0);
    EXPECT_DOUBLE_EQ(first["logic_us_p99"].get<double>(), 10.0);
    EXPECT_EQ(first["allocs_per_frame_max"], 2);
    EXPECT_TRUE(first["gl_ms_640x480"].is_null()) << s;
    EXPECT_TRUE(first["gl_ms_1280x720"].is_null()) << s;
    // A scene without frames has no numbers to give.
    EXPECT_TRUE(j["scenes"][1]["logic_us_mean"].is_null()) << s;
    EXPECT_FALSE(j.contains("renderer")) << s;
    const auto& load = j["load_ms"];
    EXPECT_DOUBLE_EQ(load["total"].get<double>(), 410.0);
    EXPECT_DOUBLE_EQ(load["textures"].get<double>(), 400.0);
    EXPECT_DOUBLE_EQ(load["loading_screen"].get<double>(), 10.0);
    EXPECT_EQ(load.size(), 3u) << s;
}

// Effect files name the techniques: odd bytes and quotes in them still make valid JSON.
TEST(BenchReport, JsonCarriesAnyNames) {
    tool::BenchResult r;
    for (int i = 0; i < 6; ++i) r.scenes[i].name = "scene";
    r.draws.measured = true;
    r.draws.frames[0] = 2;
    r.draws.add(0, "a\"b.fx", "bad\xff\"name", 1, 3.0, 400.0);
    const auto j = nlohmann::ordered_json::parse(json(r));
    const auto& draw = j["dearest_draws"][0];
    EXPECT_EQ(draw["effect"], "a\"b.fx");
    EXPECT_NE(draw["technique"].get<std::string>().find("\"name"), std::string::npos);
    EXPECT_DOUBLE_EQ(draw["draws_per_frame"].get<double>(), 0.5);
    EXPECT_DOUBLE_EQ(draw["gpu_ms_per_frame"].get<double>(), 1.5);
    EXPECT_DOUBLE_EQ(draw["samples_per_frame"].get<double>(), 200.0);
}

}  // namespace
