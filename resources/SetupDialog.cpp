// The setup dialog's template (resource 101) and its picture (bitmap resource 1001),
// built into the program.
#include <cstddef>

#include "app/ResourceIds.h"
#include "platform/win32/dialog.h"
#include "platform/win32/window.h"

extern const BYTE kSetupPictureBytes[];
extern const std::size_t kSetupPictureSize;

namespace {

using win32::ControlKind;

constexpr DWORD kButton = BS_FLAT | WS_TABSTOP;
constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
// The picture also has the static edge (WS_EX_STATICEDGE), an extended style.
constexpr DWORD kPicture = SS_CENTERIMAGE | SS_RIGHTJUST | SS_SUNKEN;

const win32::DialogItemTemplate kSetupItems[] = {
    {ControlKind::DefaultPushButton, IDOK, "Run", 84, 94, 44, 14, kButton, 0},
    {ControlKind::PushButton, IDCANCEL, "Exit", 132, 94, 44, 14, kButton, 0},
    {ControlKind::AutoCheckBox, IDC_FULLSCREEN, "Fullscreen", 84, 81, 46, 11, kButton, 0},
    {ControlKind::DropDownList, IDC_RESOLUTION, "", 85, 17, 86, 53, kList, 0},
    {ControlKind::Bitmap, -1, "", 7, 7, 73, 101, kPicture, IDB_SETUP_PICTURE},
    {ControlKind::DropDownList, IDC_ASPECT, "", 85, 67, 86, 40, kList, 0},
    {ControlKind::DropDownList, IDC_MULTISAMPLE, "", 85, 42, 86, 52, kList, 0},
    {ControlKind::GroupBox, -1, "Resolution", 84, 7, 92, 24, 0, 0},
    {ControlKind::GroupBox, -1, "Multisampling", 84, 32, 92, 24, 0, 0},
    {ControlKind::GroupBox, -1, "Aspect Ratio", 84, 57, 92, 24, 0, 0},
    {ControlKind::AutoCheckBox, IDC_VSYNC, "Vsync", 138, 82, 31, 8, kButton, 0},
};

const win32::DialogTemplate kSetupDialog = {
    DS_SHELLFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    "Vantroop -Glimmerhop",
    "MS Shell Dlg",
    8,
    183,
    116,
    kSetupItems,
    static_cast<int>(sizeof kSetupItems / sizeof kSetupItems[0]),
};

struct Registration {
    Registration() {
        win32::registerDialogResource(IDD_SETUP, &kSetupDialog);
        win32::registerBitmapResource(IDB_SETUP_PICTURE, {kSetupPictureBytes, kSetupPictureSize});
    }
} gRegistration;

}  // namespace
