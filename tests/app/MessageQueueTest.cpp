// The window stand-in's parts that need no display: class registration, the message
// queue, key translation and the dialog control model.
#include <gtest/gtest.h>

#include <SDL_keycode.h>

#include <vector>

#include "platform/win32/dialog.h"
#include "platform/win32/keys.h"
#include "platform/win32/messages.h"
#include "platform/win32/window.h"

namespace {

LRESULT quietProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

WNDCLASSEXA classNamed(const char* name) {
    WNDCLASSEXA c{};
    c.cbSize = kWndClassExASize32;
    c.lpfnWndProc = quietProc;
    c.lpszClassName = name;
    return c;
}

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override { win32::clearMessageQueue(); }
    void TearDown() override { win32::clearMessageQueue(); }
};

TEST_F(MessageQueueTest, ClassesRegisterOnceByNameWhateverTheCase) {
    WNDCLASSEXA c = classNamed("Queue Test Class");
    EXPECT_NE(RegisterClassExA(&c), 0);
    WNDCLASSEXA same = classNamed("QUEUE test class");
    EXPECT_EQ(RegisterClassExA(&same), 0);
    EXPECT_TRUE(UnregisterClassA("queue test class", nullptr));
    EXPECT_FALSE(UnregisterClassA("queue test class", nullptr));
    EXPECT_NE(RegisterClassExA(&c), 0);
    EXPECT_TRUE(UnregisterClassA("Queue Test Class", nullptr));

    WNDCLASSEXA badSize = classNamed("Bad Size");
    badSize.cbSize = 40;
    EXPECT_EQ(RegisterClassExA(&badSize), 0);
    WNDCLASSEXA noProc = classNamed("No Procedure");
    noProc.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassExA(&noProc), 0);
    EXPECT_EQ(CreateWindowExA(0, "Never Registered", "x", WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(MessageQueueTest, PeekFiltersAndKeepsOrder) {
    HWND a = reinterpret_cast<HWND>(0x10), b = reinterpret_cast<HWND>(0x20);
    PostMessageA(a, WM_KEYDOWN, 'A', 0);
    PostMessageA(b, WM_USER, 1, 0);
    PostMessageA(a, WM_KEYUP, 'A', 0);

    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_EQ(win32::pendingMessageCount(), 3u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_KEYUP, WM_KEYUP, PM_REMOVE));
    EXPECT_EQ(m.hwnd, a);
    EXPECT_EQ(m.message, WM_KEYUP);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, QuitComesLastWithItsCode) {
    PostQuitMessage(7);
    PostMessageA(nullptr, WM_USER, 0, 0);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, TheQueueHasALimit) {
    unsigned posted = 0;
    for (int i = 0; i < 5000; ++i) posted += PostMessageA(nullptr, WM_USER, 0, 0) ? 1 : 0;
    EXPECT_EQ(posted, 4096u);
    EXPECT_EQ(win32::pendingMessageCount(), 4096u);
    // The quit request is not a queued message: a full queue does not keep it out.
    PostQuitMessage(3);
    MSG m{};
    for (unsigned i = 0; i < posted; ++i) ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(MessageQueueTest, TranslatePostsCharactersForTypingKeys) {
    HWND w = reinterpret_cast<HWND>(0x30);
    MSG key{w, WM_KEYDOWN, 'K', 0, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_CHAR);
    EXPECT_EQ(m.wParam, static_cast<WPARAM>('k'));
    EXPECT_EQ(m.hwnd, w);

    MSG enter{w, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&enter));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>('\r'));

    MSG up{w, WM_KEYUP, 'K', 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&up));
    MSG shiftKey{w, WM_KEYDOWN, 0x10, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&shiftKey));
    EXPECT_EQ(win32::pendingMessageCount(), 0u);
    // Thread messages have no window to go to.
    EXPECT_EQ(DispatchMessageA(&up), 0);
}

TEST(VirtualKeys, EscapeEnterAndLettersMapToTheirCodes) {
    EXPECT_EQ(win32::virtualKeyOf(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), VK_ESCAPE);
    EXPECT_EQ(win32::virtualKeyOf(SDLK_RETURN, SDL_SCANCODE_RETURN), VK_RETURN);
    EXPECT_EQ(win32::virtualKeyOf(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), VK_RETURN);
    EXPECT_EQ(win32::virtualKeyOf(SDLK_i, SDL_SCANCODE_I), 'I');
    EXPECT_EQ(win32::virtualKeyOf(SDLK_m, SDL_SCANCODE_M), 'M');
    // A layout where the key types 'z' at the place of 'y': the letter it types counts.
    EXPECT_EQ(win32::virtualKeyOf(SDLK_z, SDL_SCANCODE_Y), 'Z');
    // A key typing a non-Latin letter stands for the letter at its place.
    EXPECT_EQ(win32::virtualKeyOf(0x43E, SDL_SCANCODE_J), 'J');
    EXPECT_EQ(win32::virtualKeyOf(SDLK_F1, SDL_SCANCODE_F1), 0);
    EXPECT_EQ(win32::virtualKeyOf(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), 0);
}

TEST(Cursor, ShowCursorCountsLikeWindows) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
}

// A small template: a default button, a check box, a list and a group box.
const win32::DialogItemTemplate kItems[] = {
    {win32::ControlKind::DefaultPushButton, IDOK, "OK", 0, 0, 10, 10, 0, 0},
    {win32::ControlKind::AutoCheckBox, 10, "Box", 0, 0, 10, 10, 0, 0},
    {win32::ControlKind::DropDownList, 11, "", 0, 0, 10, 10, 0, 0},
    {win32::ControlKind::GroupBox, -1, "Group", 0, 0, 10, 10, 0, 0},
};
const win32::DialogTemplate kLayout = {0, "t", "MS Shell Dlg", 8, 50, 50, kItems, 4};

std::vector<std::pair<UINT, WPARAM>> gSeen;
INT_PTR recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    gSeen.emplace_back(message, wParam);
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) EndDialog(dialog, 42);
    return 0;
}

TEST(DialogModel, ListsAnswerAsComboBoxesDo) {
    win32::Dialog dialog(kLayout, recordingProc, 0);
    HWND h = dialog.handle();
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one")), 0);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two")), 1);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_SETITEMDATA, 1, 99), 1);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_GETITEMDATA, 1, 0), 99);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_GETITEMDATA, 2, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_SETITEMDATA, static_cast<WPARAM>(-1), 5), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_GETCURSEL, 0, 0), 1);
    // Out of range clears the selection.
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(h, 11, CB_GETCURSEL, 0, 0), CB_ERR);
    // Messages for controls that are not there, or for a handle that is no dialog.
    EXPECT_EQ(SendDlgItemMessageA(h, 12, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(reinterpret_cast<HWND>(0x99), 11, CB_GETCOUNT, 0, 0), 0);
    EXPECT_FALSE(CheckDlgButton(h, 11, BST_CHECKED));
    EXPECT_EQ(GetDlgItem(h, 12), nullptr);
    EXPECT_FALSE(EnableWindow(reinterpret_cast<HWND>(0x99), FALSE));
}

TEST(DialogModel, ViewerActionsBecomeCommands) {
    gSeen.clear();
    win32::Dialog dialog(kLayout, recordingProc, 0);
    dialog.start();
    ASSERT_EQ(gSeen.size(), 1u);
    EXPECT_EQ(gSeen[0].first, WM_INITDIALOG);

    dialog.click(10);
    EXPECT_EQ(IsDlgButtonChecked(dialog.handle(), 10), BST_CHECKED);
    EXPECT_EQ(gSeen.back(), std::make_pair(WM_COMMAND, MAKEWPARAM(10, BN_CLICKED)));

    SendDlgItemMessageA(dialog.handle(), 11, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
    dialog.select(11, 0);
    EXPECT_EQ(gSeen.back(), std::make_pair(WM_COMMAND, MAKEWPARAM(11, CBN_SELCHANGE)));
    const std::size_t before = gSeen.size();
    dialog.select(11, 3);  // no such entry
    EXPECT_EQ(gSeen.size(), before);

    // A disabled default button: Enter and clicks do nothing.
    EnableWindow(GetDlgItem(dialog.handle(), IDOK), FALSE);
    dialog.pressEnter();
    dialog.click(IDOK);
    EXPECT_EQ(gSeen.size(), before);
    EXPECT_FALSE(dialog.ended());
    EnableWindow(GetDlgItem(dialog.handle(), IDOK), TRUE);
    dialog.pressEnter();
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.result(), 42);

    dialog.pressEscape();
    EXPECT_EQ(gSeen.back(), std::make_pair(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)));
    dialog.close();
    EXPECT_EQ(gSeen.back().first, WM_CLOSE);
}

}  // namespace
