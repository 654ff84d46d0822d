#include "assets/DataFiles.h"
#include "assets/MaterialList.h"
#include "platform/d3d9/internal.h"
#include "render/TestDevice.h"
#include "render/TestFiles.h"

using namespace testing_support;

namespace {

class MaterialListTest : public TraceDeviceTest {
protected:
    std::string dir;
    RecordingEffect fx{&log};
    Effect effect;
    void SetUp() override {
        TraceDeviceTest::SetUp();
        dir = scratchFolder();
        effect.compiled = &fx;
        ASSERT_TRUE(writePng(dir + "a.png", 2, 2, 0xFF0000FF));
        ASSERT_TRUE(writePng(dir + "b.png", 2, 2, 0x00FF00FF));
        ASSERT_TRUE(writePng(dir + "c.png", 2, 2, 0x0000FFFF));
    }
    void TearDown() override {
        effect.compiled = nullptr;
        TraceDeviceTest::TearDown();
    }
    std::string write(const std::string& name, const Bytes& b) {
        EXPECT_TRUE(writeFile(dir + name, b.data));
        return dir + name;
    }
};

TEST_F(MaterialListTest, LoadsEntriesAndTexturesFromItsOwnFolder) {
    MaterialList list;
    list.load(write("set.material", materialListBytes({"a.png", "b.png"}, 2, 42)).c_str());
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().text;
    ASSERT_EQ(list.textureCount, 2u);
    EXPECT_EQ(list.headerValue, 42u);
    EXPECT_EQ(list.material[0], 0);
    EXPECT_EQ(list.material[67], 67);
    EXPECT_STREQ(list.entries[0].name, "a.png");
    EXPECT_STREQ(list.entries[1].name, "b.png");
    EXPECT_EQ(list.entries[1].value, 101u);
    ASSERT_NE(list.textures[0], nullptr);
    EXPECT_STREQ(d3d9::internal::textureName(list.textures[1]), (dir + "b.png").c_str());
    list.bindTextures(&effect);
    EXPECT_EQ(log.starting("SetTexture"), (std::vector<std::string>{"SetTexture tex0 set", "SetTexture tex1 set"}));
    EXPECT_EQ(fx.textures["tex1"], list.textures[1]);
}

TEST_F(MaterialListTest, FirstTextureFailingShrinksTheCount) {
    MaterialList list;
    list.load(write("set.material", materialListBytes({"missing.png", "b.png", "c.png"}, 3)).c_str());
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Texture");
    // The subject is the texture path, cut to the report's buffer.
    const std::string text = win32::lastMessageBox().text;
    EXPECT_EQ(text.rfind("InvalidData With ", 0), 0u) << text;
    EXPECT_EQ((dir + "missing.png").rfind(text.substr(17), 0), 0u) << text;
    EXPECT_EQ(list.textureCount, 2u);
    EXPECT_EQ(list.textures[0], nullptr);
    ASSERT_NE(list.textures[1], nullptr);
    EXPECT_STREQ(list.entries[2].name, "");  // entry 2 is never read
    list.bindTextures(&effect);
    EXPECT_EQ(log.starting("SetTexture"), (std::vector<std::string>{"SetTexture tex0 null", "SetTexture tex1 set"}));
    EXPECT_EQ(fx.textures["tex1"], list.textures[1]);
    EXPECT_EQ(fx.textures["tex0"], nullptr);
}

TEST_F(MaterialListTest, MissingFileUsesTheMeshCaption) {
    MaterialList list;
    list.load((dir + "none.material").c_str());
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Failed To Open The MeshFile");
    EXPECT_EQ(list.textureCount, 0u);
    list.bindTextures(&effect);
    EXPECT_EQ(log.count("SetTexture"), 0u);
}

TEST_F(MaterialListTest, OverlongNameKeepsTheEntriesBeforeIt) {
    MaterialList list;
    list.load(write("long.material", materialListBytes({"a.png", std::string(128, 'n'), "c.png"}, 3)).c_str());
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_NE(std::string(win32::lastMessageBox().text).find("at most 127"), std::string::npos)
        << win32::lastMessageBox().text;
    EXPECT_EQ(list.textureCount, 1u);
    EXPECT_NE(list.textures[0], nullptr);
}

TEST_F(MaterialListTest, MoreThanAHundredTexturesKeepsTheFirstHundred) {
    std::vector<std::string> names(101, "a.png");
    MaterialList list;
    list.load(write("many.material", materialListBytes(names, 101)).c_str());
    EXPECT_EQ(list.textureCount, 100u);
    EXPECT_NE(std::string(win32::lastMessageBox().text).find("at most 100"), std::string::npos);
    list.bindTextures(&effect);
    EXPECT_EQ(log.count("SetTexture tex99 set"), 1u);
}

TEST_F(MaterialListTest, CountBeyondTheFileIsCaught) {
    MaterialList list;
    list.load(write("short.material", materialListBytes({"a.png"}, 5)).c_str());
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_NE(std::string(win32::lastMessageBox().text).find("entry 1"), std::string::npos)
        << win32::lastMessageBox().text;
    EXPECT_EQ(list.textureCount, 1u);
}

TEST_F(MaterialListTest, ReleaseSetsTheCountToZero) {
    MaterialList list;
    list.load(write("set.material", materialListBytes({"a.png"}, 1)).c_str());
    list.release();
    EXPECT_EQ(list.textureCount, 0u);
    EXPECT_EQ(list.textures, nullptr);
    EXPECT_EQ(list.entries, nullptr);
}

}  // namespace
