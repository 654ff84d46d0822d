#include "render/TestDevice.h"
#include "render/TestFiles.h"
#include "render/TextureStack.h"

using testing_support::TraceDeviceTest;

namespace {

class TextureStackTest : public TraceDeviceTest {
protected:
    std::string dir;
    std::string red, green, blue, missing;
    void SetUp() override {
        TraceDeviceTest::SetUp();
        dir = testing_support::scratchFolder();
        red = dir + "red.png";
        green = dir + "green.png";
        blue = dir + "blue.png";
        missing = dir + "missing.png";
        ASSERT_TRUE(testing_support::writePng(red, 4, 4, 0xFF0000FF));
        ASSERT_TRUE(testing_support::writePng(green, 4, 4, 0x00FF00FF));
        ASSERT_TRUE(testing_support::writePng(blue, 4, 4, 0x0000FFFF));
    }
};

TEST_F(TextureStackTest, FindIsExactAndCaseSensitive) {
    TextureStack stack;
    const char* list[] = {red.c_str(), "ruff01", green.c_str(), "char01", blue.c_str(), "floorTile",
                          nullptr};
    stack.load(list);
    ASSERT_EQ(stack.textureList.size(), 3u);
    EXPECT_EQ(stack.find("floorTile"), stack.textureList[2]);
    EXPECT_EQ(stack.find("ruff01"), stack.textureList[0]);
    EXPECT_EQ(stack.find("floortile"), nullptr);
    EXPECT_EQ(stack.find("floorTil"), nullptr);
    EXPECT_EQ(stack.find("floorTile2"), nullptr);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
}

TEST_F(TextureStackTest, MissingFileIsReportedByNameAndSkipped) {
    TextureStack stack;
    const char* list[] = {red.c_str(), "char01", missing.c_str(), "floorTile", green.c_str(),
                          "floorTexture", nullptr};
    stack.load(list);
    EXPECT_EQ(stack.find("floorTile"), nullptr);
    ASSERT_NE(stack.find("floorTexture"), nullptr);
    EXPECT_EQ(stack.find("floorTexture"), stack.textureList[1]);
    EXPECT_EQ(stack.nameList.size(), stack.textureList.size());
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "TextureStack");
    EXPECT_STREQ(win32::lastMessageBox().text, "InvalidData With floorTile");
}

TEST_F(TextureStackTest, DuplicateNameFindsTheEarlierSuccess) {
    TextureStack stack;
    const char* list[] = {missing.c_str(), "dup", red.c_str(), "dup", green.c_str(), "dup", nullptr};
    stack.load(list);
    ASSERT_EQ(stack.textureList.size(), 2u);
    EXPECT_EQ(stack.find("dup"), stack.textureList[0]);
}

TEST_F(TextureStackTest, NullFirstPathLoadsAndPrintsNothing) {
    TextureStack stack;
    const char* list[] = {nullptr, "ignored"};
    testing::internal::CaptureStdout();
    stack.load(list);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(stack.textureList.empty());
    EXPECT_EQ(win32::messageBoxCount(), 0u);
}

TEST_F(TextureStackTest, NullNameStopsLoadingWithOneLine) {
    TextureStack stack;
    const char* list[] = {red.c_str(), "first", green.c_str(), nullptr, blue.c_str(), "third", nullptr};
    testing::internal::CaptureStdout();
    stack.load(list);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Check Your TextureStack ParameterList Mister!!!\n");
    ASSERT_EQ(stack.textureList.size(), 1u);
    EXPECT_NE(stack.find("first"), nullptr);
    EXPECT_EQ(stack.find("third"), nullptr);
}

TEST_F(TextureStackTest, ReleaseEmptiesBothLists) {
    TextureStack stack;
    const char* list[] = {red.c_str(), "a", green.c_str(), "b", nullptr};
    stack.load(list);
    stack.release();
    EXPECT_TRUE(stack.textureList.empty());
    EXPECT_TRUE(stack.nameList.empty());
    EXPECT_EQ(stack.find("a"), nullptr);
}

}  // namespace
