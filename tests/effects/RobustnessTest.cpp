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
