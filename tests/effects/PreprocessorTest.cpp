#include <gtest/gtest.h>

#include <algorithm>

#include "platform/d3dx9/effect/Preprocessor.h"

namespace {

int lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

TEST(Preprocessor, ExpandsMacrosAndKeepsLines) {
    std::string src =
        "#define A 2\n"
        "#define TWICE(x) ((x) * A)\n"
        "float f = TWICE(3) + A; // A comment\n"
        "/* multi\n line */ float g = A;\n"
        "#undef A\n"
        "float h = A;\n"
        "#define DECLARE\\\nint k\\\n = 1;\nDECLARE\n";
    fx::PreprocessResult r = fx::preprocess(src, {});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(lines(r.text), lines(src));
    EXPECT_NE(r.text.find("float f = ((3) * 2) + 2;"), std::string::npos) << r.text;
    EXPECT_EQ(r.text.find("comment"), std::string::npos);
    EXPECT_NE(r.text.find("float g = 2;"), std::string::npos);
    EXPECT_NE(r.text.find("float h = A;"), std::string::npos);
    EXPECT_NE(r.text.find("int k = 1;"), std::string::npos) << r.text;  // a continued line still ends the name
    // Line 5 holds g: the comment's newline is kept.
    std::size_t line5 = 0;
    for (int i = 0; i < 4; ++i) line5 = r.text.find('\n', line5) + 1;
    EXPECT_NE(r.text.substr(line5, r.text.find('\n', line5) - line5).find("float g"), std::string::npos);
}

TEST(Preprocessor, Conditionals) {
    std::string src =
        "#define ONE\n"
        "#define LEVEL 2\n"
        "#ifdef ONE\na\n#else\nb\n#endif\n"
        "#ifndef ONE\nc\n#endif\n"
        "#if LEVEL > 1 && defined(ONE)\nd\n#elif LEVEL == 2\ne\n#else\nf\n#endif\n"
        "#if 0\n#error never\n#endif\n";
    fx::PreprocessResult r = fx::preprocess(src, {{"EXTRA", "1"}});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(lines(r.text), lines(src));
    for (const char* present : {"a", "d"}) EXPECT_NE(r.text.find(present), std::string::npos) << present;
    for (const char* absent : {"b", "c", "e", "f", "never"}) EXPECT_EQ(r.text.find(absent), std::string::npos) << absent;
}

TEST(Preprocessor, DefinesFromTheCallerAndContinuations) {
    std::string src = "#define LONG 1 + \\\n  2\nfloat x = LONG + EXTRA;\nfloat y;\n";
    fx::PreprocessResult r = fx::preprocess(src, {{"EXTRA", "7"}});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(lines(r.text), lines(src));
    EXPECT_NE(r.text.find("float x = 1 +   2 + 7;"), std::string::npos) << r.text;
    // "float y" stays on line 4.
    EXPECT_EQ(r.text.substr(r.text.rfind("float y")), "float y;\n");
    EXPECT_EQ(lines(r.text.substr(0, r.text.find("float y"))), 3);
    // A continuation right after a macro's name starts its body: it joins no words.
    r = fx::preprocess("#define STATES\\\nZENABLE = TRUE;\nSTATES\n", {});
    EXPECT_NE(r.text.find("ZENABLE = TRUE;"), std::string::npos) << r.text;
}

TEST(Preprocessor, ReportsErrorsWithLine) {
    fx::PreprocessResult r = fx::preprocess("a\n#ifdef X\nb\n", {});
    EXPECT_NE(r.error.find("#endif"), std::string::npos);
    r = fx::preprocess("a\nb\n#error stop here\n", {});
    EXPECT_EQ(r.errorLine, 3);
    EXPECT_NE(r.error.find("stop here"), std::string::npos);
    r = fx::preprocess("x\n/* open\n", {});
    EXPECT_EQ(r.errorLine, 2);
    r = fx::preprocess("#endif\n", {});
    EXPECT_EQ(r.errorLine, 1);
}

TEST(Preprocessor, RecursiveMacrosStop) {
    fx::PreprocessResult r = fx::preprocess("#define A B\n#define B A\nA\n", {});
    ASSERT_EQ(r.error, "");
    EXPECT_NE(r.text.find('A'), std::string::npos);
}

}  // namespace

namespace {

TEST(Preprocessor, RunawayExpansionIsAnError) {
    std::string src = "#define A0 x\n";
    for (int i = 1; i <= 40; ++i)
        src += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
    src += "\nfloat f = A40;\n";
    fx::PreprocessResult r = fx::preprocess(src, {});
    EXPECT_NE(r.error.find("too large"), std::string::npos);
    EXPECT_EQ(r.errorLine, 42);
}

}  // namespace
