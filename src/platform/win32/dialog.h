// Modal dialogs. A dialog is a control model built from a dialog template
// (resources.h): its procedure talks to the controls only through the Win32 calls
// below, and the dialog host draws the model in a window of its own (with Dear ImGui
// on SDL2 and OpenGL) and turns clicks and keys into the messages Windows would send.
// Tests drive the same model through win32::Dialog without any display.
//
// A dialog's handle is its model, not an SDL window; a control's handle is the control
// record (GetDlgItem). Both are valid only while the dialog runs.
//
// Dialog units become pixels with the dialog font's base units, as Windows computes
// them: one horizontal unit is a quarter of the average character width, one vertical
// unit an eighth of the character height. The host lays every dialog out as Windows
// does at 120 dots per inch, where the 8-point shell font gives 7 x 16 pixels: at the
// 96-dpi 6 x 13 the setup dialog's 125 x 200 picture would not fit its 73 x 101-unit
// frame (110 x 164 pixels) and would be cut; at 7 x 16 the frame is 128 x 202.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/messagebox.h"
#include "platform/win32/resources.h"
#include "platform/win32/win32types.h"

using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

constexpr int IDCANCEL = 2;

// Control notifications (the high word of WM_COMMAND's wParam).
constexpr WORD BN_CLICKED = 0;
constexpr WORD CBN_SELCHANGE = 1;

// Combo box messages and results.
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr LRESULT CB_ERR = -1;

// Check states.
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;

// Template styles (kept for what they say; the host reads DS_CENTER and BS_DEFPUSHBUTTON
// through the control kinds).
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_SHELLFONT = 0x48;
constexpr DWORD BS_FLAT = 0x8000;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD SS_CENTERIMAGE = 0x0200;
constexpr DWORD SS_RIGHTJUST = 0x0400;
constexpr DWORD SS_SUNKEN = 0x1000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;

constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16); }

// Runs the dialog to its end: the value given to EndDialog, or -1 when the template is
// unknown or no window could be opened.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure,
                        LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
HWND GetDlgItem(HWND dialog, int id);
// For dialog controls only (GetDlgItem's handles).
BOOL EnableWindow(HWND control, BOOL enable);
BOOL IsWindowEnabled(HWND control);

namespace win32 {

struct DialogControl {
    DialogItemTemplate layout;
    std::string text;
    bool enabled = true;
    bool checked = false;
    std::vector<std::string> items;
    std::vector<LPARAM> itemData;
    int selection = -1;
};

// One running dialog: the model its procedure changes and the host draws.
class Dialog {
public:
    Dialog(const DialogTemplate& layout, DLGPROC procedure, LPARAM initParam);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND handle();
    const DialogTemplate& layout() const { return *layout_; }
    std::vector<DialogControl>& controls() { return controls_; }
    DialogControl* control(int id);

    // Sends WM_INITDIALOG.
    void start();
    INT_PTR send(UINT message, WPARAM wParam, LPARAM lParam);

    // What the viewer does, as Windows reports it to the procedure.
    void click(int id);                  // buttons and check boxes (a check box toggles first)
    void select(int id, int index);      // a drop-down list entry was chosen
    void pressEnter();                   // the default button, when it is enabled
    void pressEscape();                  // IDCANCEL
    void close();                        // the close box: WM_CLOSE

    bool ended() const { return ended_; }
    INT_PTR result() const { return result_; }
    void end(INT_PTR result);

private:
    const DialogTemplate* layout_;
    DLGPROC procedure_;
    LPARAM initParam_;
    std::vector<DialogControl> controls_;
    bool ended_ = false;
    INT_PTR result_ = 0;
};

// The running dialog behind a handle, or null.
Dialog* dialogOf(HWND dialog);

// Pixels of one dialog unit's worth, horizontally and vertically (see above).
constexpr int kDialogBaseUnitX = 7;
constexpr int kDialogBaseUnitY = 16;
constexpr float dialogUnitsToPixelsX(int units) { return units * kDialogBaseUnitX / 4.0f; }
constexpr float dialogUnitsToPixelsY(int units) { return units * kDialogBaseUnitY / 8.0f; }

// Draws the dialog in its own window until it ends; false when no window could be made.
bool runDialogWindow(Dialog& dialog);

}  // namespace win32
