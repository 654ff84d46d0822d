#include <gtest/gtest.h>

#include <string>

#include "render/Paths.h"

namespace {

TEST(DirectoryOf, UpToTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(directoryOf("a\\b/c.x"), "a\\b/");
    EXPECT_EQ(directoryOf("a/b\\c.x"), "a/b\\");
    EXPECT_EQ(directoryOf("Tindermoot\\Floor\\floor.scene"), "Tindermoot\\Floor\\");
    EXPECT_EQ(directoryOf("dir/"), "dir/");
    EXPECT_EQ(directoryOf("\\x"), "\\");
}

TEST(DirectoryOf, NoSeparatorGivesEmpty) {
    EXPECT_EQ(directoryOf("c.x"), "");
    EXPECT_EQ(directoryOf(""), "");
    EXPECT_EQ(directoryOf(nullptr), "");
}

TEST(DirectoryOf, LongPathsAreWhole) {
    const std::string dir = "Tindermoot\\" + std::string(600, 'd') + "\\";
    EXPECT_EQ(directoryOf((dir + "node.mesh").c_str()), dir);
}

}  // namespace
