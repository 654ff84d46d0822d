// The setup dialog's procedure, driven through its control model without a display.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/FakeDirect3D.h"
#include "app/ResourceIds.h"
#include "app/SetupDialog.h"
#include "app/globals/DisplaySettings.h"
#include "platform/win32/dialog.h"
#include "platform/win32/messagebox.h"
#include "platform/win32/messages.h"

namespace {

D3DDISPLAYMODE mode(UINT width, UINT height, UINT rate) { return {width, height, rate, D3DFMT_X8R8G8B8}; }

class SetupDialogTest : public ::testing::Test {
protected:
    FakeDirect3D d3d;

    void SetUp() override {
        gDisplaySettings = DisplaySettings{};
        gD3D = &d3d;
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
        d3d.modes = {mode(640, 480, 60), mode(800, 600, 60), mode(1024, 768, 60)};
    }
    void TearDown() override { gD3D = nullptr; }

    std::unique_ptr<win32::Dialog> open() {
        const win32::DialogTemplate* layout = win32::findDialogResource(IDD_SETUP);
        EXPECT_NE(layout, nullptr);
        auto dialog = std::make_unique<win32::Dialog>(*layout, setupDialogProc, 0);
        dialog->start();
        return dialog;
    }

    static std::vector<std::string> texts(win32::Dialog& dialog, int list) {
        std::vector<std::string> result;
        const LRESULT count = SendDlgItemMessageA(dialog.handle(), list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[64] = {};
            SendDlgItemMessageA(dialog.handle(), list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            result.emplace_back(text);
        }
        return result;
    }
    static LRESULT selection(win32::Dialog& dialog, int list) {
        return SendDlgItemMessageA(dialog.handle(), list, CB_GETCURSEL, 0, 0);
    }
    static LRESULT data(win32::Dialog& dialog, int list, LRESULT entry) {
        return SendDlgItemMessageA(dialog.handle(), list, CB_GETITEMDATA, static_cast<WPARAM>(entry), 0);
    }
};

TEST_F(SetupDialogTest, ResolutionListKeepsWideModesBelow120HzWithTheirIndices) {
    d3d.modes = {mode(639, 480, 60), mode(640, 480, 60), mode(1600, 1200, 120), mode(1024, 768, 0),
                 mode(800, 600, 119), mode(320, 200, 0)};
    auto dialog = open();
    EXPECT_EQ(texts(*dialog, IDC_RESOLUTION),
              (std::vector<std::string>{" 1:  640x 480@60Hz", " 3: 1024x 768@0Hz", " 4:  800x 600@119Hz"}));
    EXPECT_EQ(data(*dialog, IDC_RESOLUTION, 0), 1);
    EXPECT_EQ(data(*dialog, IDC_RESOLUTION, 1), 3);
    EXPECT_EQ(data(*dialog, IDC_RESOLUTION, 2), 4);
    EXPECT_EQ(gDisplaySettings.modeCount, 6u);
}

TEST_F(SetupDialogTest, ResolutionTextsPadIndexWidthAndHeight) {
    d3d.modes.assign(12, mode(640, 480, 60));
    d3d.modes[11] = mode(1920, 1080, 75);
    d3d.modes[10] = mode(12345, 99999, 59);
    auto dialog = open();
    auto list = texts(*dialog, IDC_RESOLUTION);
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(list[0], " 0:  640x 480@60Hz");
    EXPECT_EQ(list[10], "10: 12345x99999@59Hz");
    EXPECT_EQ(list[11], "11: 1920x1080@75Hz");
}

TEST_F(SetupDialogTest, DefaultIsTheLast800x600OrElseTheFirstEntry) {
    d3d.modes = {mode(640, 480, 60), mode(800, 600, 60), mode(800, 600, 85), mode(1024, 768, 60)};
    auto dialog = open();
    EXPECT_EQ(selection(*dialog, IDC_RESOLUTION), 2);

    d3d.modes = {mode(1024, 768, 60), mode(1280, 1024, 60)};
    auto other = open();
    EXPECT_EQ(selection(*other, IDC_RESOLUTION), 0);
}

TEST_F(SetupDialogTest, RunStartsTheModeTheChosenEntryShowsAfterSkippedModes) {
    d3d.modes = {mode(320, 240, 60), mode(1600, 1200, 120), mode(800, 600, 60), mode(512, 384, 60),
                 mode(1280, 720, 50)};
    auto dialog = open();
    ASSERT_EQ(texts(*dialog, IDC_RESOLUTION), (std::vector<std::string>{" 2:  800x 600@60Hz", " 4: 1280x 720@50Hz"}));
    dialog->select(IDC_RESOLUTION, 1);
    dialog->click(IDOK);
    ASSERT_TRUE(dialog->ended());
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_EQ(gDisplaySettings.displayMode.Width, 1280u);
    EXPECT_EQ(gDisplaySettings.displayMode.Height, 720u);
    EXPECT_EQ(gDisplaySettings.displayMode.RefreshRate, 50u);
    EXPECT_EQ(gDisplaySettings.displayMode.Format, D3DFMT_X8R8G8B8);
}

TEST_F(SetupDialogTest, UnreadableModesAreNotOffered) {
    d3d.modes = {mode(800, 600, 60), mode(1024, 768, 60), mode(1280, 720, 60)};
    d3d.unreadableModes = {1};
    auto dialog = open();
    EXPECT_EQ(texts(*dialog, IDC_RESOLUTION), (std::vector<std::string>{" 0:  800x 600@60Hz", " 2: 1280x 720@60Hz"}));
}

TEST_F(SetupDialogTest, MultisamplingListStopsAtTheFirstUnsupportedType) {
    d3d.supportedSamples = {0, 2, 8, 16};  // 4x missing: 8x and 16x are not offered
    auto dialog = open();
    EXPECT_EQ(texts(*dialog, IDC_MULTISAMPLE), (std::vector<std::string>{"No Antialias", "2x Antialias"}));
    // Fewer than three entries: the first is chosen, so that "Run" always has one.
    EXPECT_EQ(selection(*dialog, IDC_MULTISAMPLE), 0);
}

TEST_F(SetupDialogTest, MultisamplingPreselects2xWhenThreeOrMoreAreOffered) {
    auto all = open();
    auto list = texts(*all, IDC_MULTISAMPLE);
    ASSERT_EQ(list.size(), 9u);
    EXPECT_EQ(list.front(), "No Antialias");
    EXPECT_EQ(list.back(), "16x Antialias");
    EXPECT_EQ(selection(*all, IDC_MULTISAMPLE), 1);

    d3d.supportedSamples = {0, 2, 4};
    auto three = open();
    EXPECT_EQ(texts(*three, IDC_MULTISAMPLE).size(), 3u);
    EXPECT_EQ(selection(*three, IDC_MULTISAMPLE), 1);
}

TEST_F(SetupDialogTest, AspectRatioFollowsTheDesktop) {
    struct Case {
        UINT width, height;
        LRESULT expected;
    };
    for (Case c : {Case{1280, 1024, 0}, Case{1024, 768, 0}, Case{1920, 1200, 1}, Case{1680, 1050, 1},
                   Case{1920, 1080, 2}, Case{2560, 1080, 2}, Case{0, 0, 0}}) {
        d3d.desktop = mode(c.width, c.height, 60);
        auto dialog = open();
        EXPECT_EQ(texts(*dialog, IDC_ASPECT), (std::vector<std::string>{"4:3", "16:10", "16:9"}));
        EXPECT_EQ(selection(*dialog, IDC_ASPECT), c.expected) << c.width << "x" << c.height;
    }
}

TEST_F(SetupDialogTest, AFailedDesktopReadKeeps4To3) {
    d3d.desktopResult = D3DERR_INVALIDCALL;
    auto dialog = open();
    EXPECT_EQ(selection(*dialog, IDC_ASPECT), 0);
}

TEST_F(SetupDialogTest, BothBoxesStartChecked) {
    auto dialog = open();
    EXPECT_EQ(IsDlgButtonChecked(dialog->handle(), IDC_FULLSCREEN), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog->handle(), IDC_VSYNC), BST_CHECKED);
    EXPECT_FALSE(dialog->ended());
}

TEST_F(SetupDialogTest, RunFillsTheDisplaySettings) {
    d3d.desktop = mode(1920, 1080, 60);
    auto dialog = open();
    dialog->select(IDC_MULTISAMPLE, 2);
    dialog->select(IDC_ASPECT, 1);
    dialog->pressEnter();
    ASSERT_TRUE(dialog->ended());
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_TRUE(gDisplaySettings.fullscreen);
    EXPECT_EQ(gDisplaySettings.displayMode.Width, 800u);
    EXPECT_EQ(gDisplaySettings.displayMode.Height, 600u);
    EXPECT_EQ(gDisplaySettings.multisampleType, static_cast<D3DMULTISAMPLE_TYPE>(4));
    EXPECT_EQ(gDisplaySettings.aspectRatio, 1.6f);
    EXPECT_TRUE(gDisplaySettings.vsync);
}

TEST_F(SetupDialogTest, UncheckedBoxesGiveAWindowWithoutVsync) {
    auto dialog = open();
    dialog->click(IDC_FULLSCREEN);
    dialog->click(IDC_VSYNC);
    EXPECT_FALSE(dialog->ended());
    dialog->click(IDOK);
    ASSERT_TRUE(dialog->ended());
    EXPECT_FALSE(gDisplaySettings.fullscreen);
    EXPECT_FALSE(gDisplaySettings.vsync);
    EXPECT_EQ(gDisplaySettings.aspectRatio, 4.0f / 3.0f);
    EXPECT_EQ(gDisplaySettings.multisampleType, static_cast<D3DMULTISAMPLE_TYPE>(2));
}

TEST_F(SetupDialogTest, ExitAndEscapeEndWithZeroAndLeaveTheSettings) {
    auto dialog = open();
    dialog->click(IDCANCEL);
    ASSERT_TRUE(dialog->ended());
    EXPECT_EQ(dialog->result(), 0);
    auto other = open();
    other->pressEscape();
    ASSERT_TRUE(other->ended());
    EXPECT_EQ(other->result(), 0);
    EXPECT_EQ(gDisplaySettings.displayMode.Width, 0u);
    EXPECT_FALSE(gDisplaySettings.fullscreen);
}

TEST_F(SetupDialogTest, NoAdapterModesShowsTheBoxAndLeavesOnlyExit) {
    d3d.modes.clear();
    auto dialog = open();
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().text, "Somethings Terribly Wrong");
    EXPECT_STREQ(win32::lastMessageBox().caption, "GetAdapterModeCount = 0");
    EXPECT_EQ(texts(*dialog, IDC_RESOLUTION).size(), 0u);
    EXPECT_EQ(texts(*dialog, IDC_MULTISAMPLE).size(), 0u);
    EXPECT_EQ(texts(*dialog, IDC_ASPECT).size(), 0u);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog->handle(), IDOK)));
    dialog->pressEnter();
    dialog->send(WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(dialog->ended());
    dialog->click(IDCANCEL);
    EXPECT_TRUE(dialog->ended());
    EXPECT_EQ(dialog->result(), 0);
}

TEST_F(SetupDialogTest, NoModePassingTheFilterDisablesRun) {
    d3d.modes = {mode(320, 200, 60), mode(1024, 768, 144)};
    auto dialog = open();
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog->handle(), IDOK)));
    dialog->send(WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(dialog->ended());
    EXPECT_EQ(gDisplaySettings.displayMode.Width, 0u);
}

TEST_F(SetupDialogTest, NotificationCodesAreNotLookedAt) {
    auto dialog = open();
    dialog->send(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0x1234), 0);
    EXPECT_TRUE(dialog->ended());
    EXPECT_EQ(dialog->result(), 0);
}

TEST_F(SetupDialogTest, TheCloseBoxEndsTheProcessWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto dialog = open();
            dialog->close();
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
