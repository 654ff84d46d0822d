// Effect files written to break the effect layer: each is refused with a message that
// names the file and line, in bounded time and memory, and never takes the process down.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "effects/EffectTestSupport.h"
#include "platform/d3dx9/effect/CompiledEffect.h"
#include "platform/d3dx9/effect/CompilerChild.h"
#include "platform/d3dx9/effect/ConstantEval.h"
#include "platform/d3dx9/effect/EffectCache.h"

namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A complete effect whose parameter `k` starts as `init`; `extra` goes before the shaders,
// `state` into the pass.
std::string effectWith(const std::string& init, const std::string& extra = "", const std::string& state = "") {
    return "float4 k = " + init + ";\n" + extra +
           "float4 VS(float4 p : POSITION) : POSITION { return p + k; }\n"
           "float4 PS() : COLOR { return 1; }\n"
           "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); " +
           state + "} }\n";
}

std::string compileErrors(const std::string& text) {
    std::string errors;
    auto effect = fx::compileEffect(text, "hostile.fx", {}, fxtest::attributeLocation, errors);
    EXPECT_FALSE(effect) << text.substr(0, 200);
    return errors;
}

TEST(HostileEffects, DeepNestingIsRefusedInEveryStage) {
    const int deep = 20000;
    const std::string nested = repeat("(", deep) + "1" + repeat(")", deep);
    struct Case {
        const char* stage;
        std::string text;
        int line;
    };
    const Case cases[] = {
        {"parentheses", effectWith(nested), 1},
        {"unary minus", effectWith(repeat("-", 100000) + "1"), 1},
        {"casts", effectWith(repeat("(float)", deep) + "1"), 1},
        {"constructors", effectWith(repeat("float4(", deep) + "1" + repeat(")", deep)), 1},
        {"initializer lists", effectWith(repeat("{", deep) + "1" + repeat("}", deep)), 1},
        {"annotations", effectWith("1", "float a < float b = " + nested + "; > = 1;\n"), 2},
        {"blocks", effectWith("1", "float f() { " + repeat("{", deep) + repeat("}", deep) + " return 0; }\n"), 2},
        {"states", effectWith("1", "", "AlphaRef = " + nested + ";"), 4},
        {"#if expression", "\n#if " + nested + "\n#endif\n" + effectWith("1"), 2},
        {"#if blocks", repeat("#if 1\n", deep) + repeat("#endif\n", deep) + effectWith("1"), 129},
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const std::string errors = compileErrors(c.text);
        EXPECT_NE(errors.find("hostile.fx(" + std::to_string(c.line) + "): error:"), std::string::npos)
            << c.stage << ": " << errors;
        EXPECT_NE(errors.find("nests too deeply"), std::string::npos) << c.stage << ": " << errors;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.stage;
    }
    // Macros that expand inside one another, each defined from the next.
    std::string chain;
    for (int m = 0; m < 300; ++m) chain += "#define M" + std::to_string(m) + " M" + std::to_string(m + 1) + "\n";
    EXPECT_NE(compileErrors(chain + effectWith("M0")).find("macro expansion nests too deeply"), std::string::npos);
}

// #if arithmetic wraps where C's would overflow or trap (the most negative number over -1).
TEST(HostileEffects, IfArithmeticCannotTrap) {
    std::string errors;
    EXPECT_TRUE(fx::compileEffect("#if (-9223372036854775807 - 1) / -1 && 9223372036854775807 * 2 + 1 == -1\n"
                                  "#else\n#error wrong\n#endif\n" + effectWith("1"),
                                  "wraps.fx", {}, fxtest::attributeLocation, errors))
        << errors;
}

// The evaluator of constants stops by itself too, for callers that skip the parser's check.
TEST(HostileEffects, ConstantEvaluationStopsAtItsDepth) {
    for (const std::string& text : {repeat("(", 50000) + "1" + repeat(")", 50000), repeat("-", 200000) + "1",
                                    repeat("(int)", 50000) + "1", repeat("{", 50000) + "1" + repeat("}", 50000)}) {
        const std::vector<fx::Token> tokens = fx::tokenize(text);
        std::size_t i = 0;
        fx::ConstantValue value;
        EXPECT_FALSE(fx::evaluateInitializer(tokens, i, tokens.size() - 1, {}, value)) << text.substr(0, 20);
    }
    const std::vector<fx::Token> shallow = fx::tokenize("-(float)((((2))))");
    std::size_t i = 0;
    fx::ConstantValue value;
    ASSERT_TRUE(fx::evaluateInitializer(shallow, i, shallow.size() - 1, {}, value));
    EXPECT_EQ(value, fx::ConstantValue{-2.0});
}

std::string asmEffect(const std::string& pixelAsm) {
    return "PixelShader ps = asm {\n" + pixelAsm +
           "};\n"
           "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
           "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = (ps); } }\n";
}

TEST(HostileEffects, ShaderAssemblyStaysWithinItsVersion) {
    // Lines count from 2: the block's first line follows "asm {".
    struct Case {
        std::string body;
        const char* message;
        int line;
    };
    const Case cases[] = {
        {"ps_2_0\n" + repeat("add r0, r0, r0\n", 200000) + "mov oC0, r0\n", "too many arithmetic instructions for ps_2_0",
         3 + 64},
        {"ps_2_0\ndcl t0\ndcl_2d s0\n" + repeat("texld r0, t0, s0\n", 33) + "mov oC0, r0\n",
         "too many texture instructions for ps_2_0", 4 + 33},
        {"ps_1_1\n" + repeat("mov r0, v0\n", 9), "too many arithmetic instructions for ps_1_1", 3 + 8},
        {"ps_2_0\nmov r12, c0\nmov oC0, r12\n", "temporary r12 does not exist in ps_2_0", 3},
        {"ps_2_0\nmov r0, c32\nmov oC0, r0\n", "constant c32 does not exist in ps_2_0", 3},
        {"ps_1_1\nmov r2, v0\n", "temporary r2 does not exist in ps_1_1", 3},
        {"ps_1_3\ntex t4\nmov r0, t4\n", "texture register t4 does not exist in ps_1_3", 3},
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const std::string errors = compileErrors(asmEffect(c.body));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_NE(errors.find("hostile.fx(" + std::to_string(c.line) + "): error:"), std::string::npos) << errors;
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    }
    // Within the limits the same kinds of block compile.
    std::string errors;
    EXPECT_TRUE(fx::compileEffect(asmEffect("ps_2_0\n" + repeat("add r11, r11, c31\n", 63) + "mov oC0, r11\n"),
                                  "within.fx", {}, fxtest::attributeLocation, errors))
        << errors;
}

// A shader long enough to keep the compiler busy for a while; `salt` makes its text new,
// so that the cache of compiled effects does not answer.
std::string longShader(int statements, int salt) {
    std::string body;
    for (int s = 0; s < statements; ++s) body += "    x = x * 1.0001 + " + std::to_string(s % 97 + salt) + ".5;\n";
    return "float4 VS(float4 p : POSITION) : POSITION {\n    float4 x = p;\n" + body +
           "    return x;\n}\n"
           "technique T { pass P { VertexShader = compile vs_3_0 VS(); } }\n";
}

class CompilerLimitsTest : public ::testing::Test {
protected:
    void TearDown() override { fx::setCompilerLimits(fx::CompilerLimits{}); }
};

TEST_F(CompilerLimitsTest, ARunawayCompileStopsAtItsTimeLimit) {
    fx::setCompilerLimits({std::chrono::milliseconds(50), fx::CompilerLimits{}.memory});
    const auto start = std::chrono::steady_clock::now();
    const std::string errors = compileErrors(longShader(20000, 1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_NE(errors.find("hostile.fx: error: the shader compiler ran out of time"), std::string::npos) << errors;
    EXPECT_NE(errors.find("VS (vertex shader)"), std::string::npos) << errors;
}

TEST_F(CompilerLimitsTest, ARunawayCompileStopsAtItsMemoryLimit) {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer's allocator maps its own reserves, and past an address-space
    // limit it stops in its own checks instead of failing the allocation.
    GTEST_SKIP() << "an address-space limit cannot be tested under AddressSanitizer";
#endif
    // In a process of its own: the child may reuse memory its parent has freed, and
    // earlier tests free plenty.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            fx::setCompilerLimits({fx::CompilerLimits{}.time, std::size_t{8} << 20});
            std::string errors;
            fx::compileEffect(longShader(40000, 2), "hostile.fx", {}, fxtest::attributeLocation, errors);
            std::fprintf(stderr, "%s", errors.c_str());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "hostile.fx: error: the shader compiler ran out of memory");
    // With the usual limits a shader of that kind compiles.
    std::string errors;
    EXPECT_TRUE(fx::compileEffect(longShader(2000, 2), "hostile.fx", {}, fxtest::attributeLocation, errors)) << errors;
}

TEST(HostileEffects, RecursionIsNamed) {
    const std::string errors = compileErrors(effectWith(
        "1", "float f(float x) { return x > 0 ? f(x - 1) : 0; }\nfloat4 g() : COLOR { return f(2); }\n",
        "PixelShader = compile ps_2_0 g();"));
    EXPECT_NE(errors.find("hostile.fx(2): error: 'f' calls itself"), std::string::npos) << errors;
}

TEST(HostileEffects, TheCacheOfCompiledEffectsStaysWithinItsBound) {
    const std::size_t limit = std::size_t{1} << 20;
    fx::setEffectCacheLimit(limit);
    std::string errors;
    const std::string kept = effectWith("float4(1, 2, 3, 4)");
    auto first = fx::compileEffect(kept, "kept.fx", {}, fxtest::attributeLocation, errors);
    ASSERT_TRUE(first) << errors;
    // A thousand saves of new text (each fails to parse, which is cached as well); the
    // effect in use stays.
    const std::string padding(20000, ' ');
    for (int save = 0; save < 1000; ++save) {
        compileErrors(std::to_string(save) + padding);
        ASSERT_LE(fx::effectCacheBytes(), limit);
        if (save % 10 == 0) {
            EXPECT_EQ(fx::compileEffect(kept, "kept.fx", {}, fxtest::attributeLocation, errors), first);
        }
    }
    EXPECT_GT(fx::effectCacheBytes(), limit / 2);
    fx::setEffectCacheLimit(fx::kDefaultEffectCacheLimit);
}

}  // namespace
