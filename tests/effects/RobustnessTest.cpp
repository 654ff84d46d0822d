// Effect files are data: damaged ones must fail with a message, never crash.
#include <gtest/gtest.h>

#include <random>

#include "effects/EffectTestSupport.h"
#include "platform/d3dx9/effect/CompiledEffect.h"
#include "platform/d3dx9/effect/Preprocessor.h"

namespace {

bool parses(const std::string& text) {
    fx::PreprocessResult pre = fx::preprocess(text, {});
    if (!pre.error.empty()) return false;
    fx::EffectDescription d;
    fx::ParseError e;
    bool ok = fx::parseEffect(pre.text, d, e);
    if (!ok) {
        EXPECT_FALSE(e.message.empty());
    }
    return ok;
}

TEST(EffectRobustness, EveryTruncationFailsCleanly) {
    const std::string source = fxtest::readData("Showcase.fx");
    int accepted = 0;
    for (std::size_t n = 0; n < source.size(); ++n) {
        std::string cut = source.substr(0, n);
        if (parses(cut)) ++accepted;
        if (n % 151 == 0) {
            std::string errors;
            auto effect = fx::compileEffect(cut, "cut.fx", {}, fxtest::attributeLocation, errors);
            if (!effect) {
                EXPECT_NE(errors.find("cut.fx"), std::string::npos) << "cut at " << n;
            }
        }
    }
    // Cuts that end between top-level declarations are complete files.
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, static_cast<int>(source.size()));
}

TEST(EffectRobustness, DamagedBytesFailCleanly) {
    const std::string source = fxtest::readData("Showcase.fx");
    std::mt19937 random(12345);
    const char garbage[] = "{}()<>[];:=,\"'#/*\\\n\0x9aZ_-";
    for (int round = 0; round < 400; ++round) {
        std::string damaged = source;
        for (int k = 0; k < 1 + round % 5; ++k)
            damaged[random() % damaged.size()] = garbage[random() % (sizeof garbage - 1)];
        parses(damaged);
        if (round % 40 == 0) {
            std::string errors;
            auto effect = fx::compileEffect(damaged, "damaged.fx", {}, fxtest::attributeLocation, errors);
            if (!effect) {
                EXPECT_FALSE(errors.empty());
            }
        }
    }
}

}  // namespace

// Numbers out of a state's range saturate instead of overflowing a conversion.
TEST(EffectRobustness, HugeStateValuesSaturate) {
    fx::PreprocessResult pre = fx::preprocess(
        "technique T { pass { AlphaRef = 1e30; StencilRef = -1e30; DepthBias = 1e300; PointSize = -1e300; } }", {});
    ASSERT_TRUE(pre.error.empty());
    fx::EffectDescription d;
    fx::ParseError e;
    ASSERT_TRUE(fx::parseEffect(pre.text, d, e)) << e.message;
    const std::vector<fx::StateAssignment>& states = d.techniques.at(0).passes.at(0).states;
    ASSERT_EQ(states.size(), 4u);
    EXPECT_EQ(states[0].value, 0xFFFFFFFFu);
    EXPECT_EQ(states[1].value, 0x80000000u);
    EXPECT_EQ(states[2].value, 0x7F7FFFFFu);  // the largest float
    EXPECT_EQ(states[3].value, 0xFF7FFFFFu);
}
