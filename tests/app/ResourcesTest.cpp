// The built-in setup dialog template and picture, and the bitmap reader behind it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/ResourceIds.h"
#include "platform/win32/bitmap.h"
#include "platform/win32/dialog.h"

namespace {

const win32::DialogItemTemplate* item(const win32::DialogTemplate& layout, const char* text, int id) {
    for (int i = 0; i < layout.itemCount; ++i)
        if (layout.items[i].id == id && std::strcmp(layout.items[i].text, text) == 0) return &layout.items[i];
    return nullptr;
}

TEST(SetupResources, DialogTemplateHasTheCaptionSizeAndControls) {
    const win32::DialogTemplate* layout = win32::findDialogResource(IDD_SETUP);
    ASSERT_NE(layout, nullptr);
    EXPECT_STREQ(layout->caption, "Vantroop -Glimmerhop");
    EXPECT_STREQ(layout->fontName, "MS Shell Dlg");
    EXPECT_EQ(layout->pointSize, 8);
    EXPECT_EQ(layout->cx, 183);
    EXPECT_EQ(layout->cy, 116);
    ASSERT_EQ(layout->itemCount, 11);

    const win32::DialogItemTemplate* run = item(*layout, "Run", IDOK);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->kind, win32::ControlKind::DefaultPushButton);
    EXPECT_EQ((std::vector<int>{run->x, run->y, run->cx, run->cy}), (std::vector<int>{84, 94, 44, 14}));
    ASSERT_NE(item(*layout, "Exit", IDCANCEL), nullptr);
    const win32::DialogItemTemplate* vsync = item(*layout, "Vsync", IDC_VSYNC);
    ASSERT_NE(vsync, nullptr);
    EXPECT_EQ(vsync->kind, win32::ControlKind::AutoCheckBox);
    ASSERT_NE(item(*layout, "Fullscreen", IDC_FULLSCREEN), nullptr);
    for (int list : {IDC_RESOLUTION, IDC_MULTISAMPLE, IDC_ASPECT}) {
        const win32::DialogItemTemplate* found = item(*layout, "", list);
        ASSERT_NE(found, nullptr) << list;
        EXPECT_EQ(found->kind, win32::ControlKind::DropDownList);
    }
    const win32::DialogItemTemplate* picture = item(*layout, "", -1);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->kind, win32::ControlKind::Bitmap);
    EXPECT_EQ(picture->resource, IDB_SETUP_PICTURE);
}

TEST(SetupResources, PictureIsA125By200TrueColourBitmap) {
    const win32::BitmapResource* resource = win32::findBitmapResource(IDB_SETUP_PICTURE);
    ASSERT_NE(resource, nullptr);
    ASSERT_GT(resource->size, 54u);
    EXPECT_EQ(resource->bytes[28] | (resource->bytes[29] << 8), 24);  // bits per pixel
    win32::DecodedBitmap picture;
    ASSERT_TRUE(win32::decodeBitmap(resource->bytes, resource->size, picture));
    EXPECT_EQ(picture.width, 125);
    EXPECT_EQ(picture.height, 200);
    EXPECT_EQ(picture.rgba.size(), 125u * 200u * 4u);
}

TEST(SetupResources, ThePictureFitsItsFrameInPixels) {
    const win32::DialogTemplate* layout = win32::findDialogResource(IDD_SETUP);
    ASSERT_NE(layout, nullptr);
    const win32::DialogItemTemplate* picture = item(*layout, "", -1);
    ASSERT_NE(picture, nullptr);
    // Inside the two-pixel sunken edge at most a pixel row is lost at top and bottom.
    EXPECT_GE(win32::dialogUnitsToPixelsX(picture->cx) - 4, 123.0f);
    EXPECT_GE(win32::dialogUnitsToPixelsY(picture->cy) - 4, 198.0f);
    EXPECT_FLOAT_EQ(win32::dialogUnitsToPixelsX(4), 7.0f);
    EXPECT_FLOAT_EQ(win32::dialogUnitsToPixelsY(8), 16.0f);
}

// A 2 x 2 bitmap, 24 bits, rows padded to 8 bytes.
std::vector<std::uint8_t> smallBitmap(int height) {
    std::vector<std::uint8_t> file(54 + 16, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    // First stored row: blue, green (B, G, R order); second: red, white.
    const std::uint8_t rows[16] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
    std::memcpy(file.data() + 54, rows, 16);
    return file;
}

TEST(BitmapReader, BottomUpRowsComeOutTopFirst) {
    auto file = smallBitmap(2);
    win32::DecodedBitmap out;
    ASSERT_TRUE(win32::decodeBitmap(file.data(), file.size(), out));
    ASSERT_EQ(out.width, 2);
    ASSERT_EQ(out.height, 2);
    // Top row is the second stored row: red, white.
    EXPECT_EQ((std::vector<int>(out.rgba.begin(), out.rgba.begin() + 8)), (std::vector<int>{255, 0, 0, 255, 255, 255, 255, 255}));
    EXPECT_EQ((std::vector<int>(out.rgba.begin() + 8, out.rgba.end())), (std::vector<int>{0, 0, 255, 255, 0, 255, 0, 255}));

    auto topDown = smallBitmap(-2);
    ASSERT_TRUE(win32::decodeBitmap(topDown.data(), topDown.size(), out));
    EXPECT_EQ((std::vector<int>(out.rgba.begin(), out.rgba.begin() + 4)), (std::vector<int>{0, 0, 255, 255}));
}

TEST(BitmapReader, RejectsDataThatDoesNotHold) {
    win32::DecodedBitmap out;
    auto file = smallBitmap(2);
    EXPECT_FALSE(win32::decodeBitmap(file.data(), file.size() - 1, out));  // pixels cut short
    EXPECT_FALSE(win32::decodeBitmap(file.data(), 20, out));
    EXPECT_FALSE(win32::decodeBitmap(nullptr, 0, out));

    auto badMagic = file;
    badMagic[0] = 'X';
    EXPECT_FALSE(win32::decodeBitmap(badMagic.data(), badMagic.size(), out));

    auto compressed = file;
    compressed[30] = 1;  // run-length encoded
    EXPECT_FALSE(win32::decodeBitmap(compressed.data(), compressed.size(), out));

    auto farOffset = file;
    farOffset[10] = 0xFF;
    farOffset[13] = 0x7F;
    EXPECT_FALSE(win32::decodeBitmap(farOffset.data(), farOffset.size(), out));

    auto huge = file;
    huge[18] = 0xFF;
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    huge[21] = 0x7F;  // width 2^31 - 1
    EXPECT_FALSE(win32::decodeBitmap(huge.data(), huge.size(), out));

    auto paletted = file;
    paletted[28] = 8;
    EXPECT_FALSE(win32::decodeBitmap(paletted.data(), paletted.size(), out));
}

}  // namespace
