// The non-finite check the whole-run and fault tests rely on: it must see every spelling
// printf gives and nothing else.
#include <gtest/gtest.h>

#include <cstring>

#include "TraceDevice.h"

namespace {

unsigned count(const char* line) { return showtest::countNonFinite(line, std::strlen(line)); }

TEST(NonFiniteWords, EverySpellingCountsAndLookAlikesDoNot) {
    EXPECT_EQ(count("SetFloat Disco.fx time nan"), 1u);
    EXPECT_EQ(count("SetMatrix x m -nan inf +inf -inf 1"), 4u);
    EXPECT_EQ(count("SetTexture Image.fx tex0 Tindermoot\\nano.png"), 0u);
    EXPECT_EQ(count("SetFloat a infinity 1e+38 -0"), 0u);
    EXPECT_EQ(count(""), 0u);
    // Only the given length is read.
    EXPECT_EQ(showtest::countNonFinite("x nan", 4), 0u);
}

}  // namespace
