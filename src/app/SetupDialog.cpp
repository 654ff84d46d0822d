#include "app/SetupDialog.h"

#include <cstdio>
#include <cstdlib>

#include "app/ResourceIds.h"
#include "app/globals/DisplaySettings.h"
#include "platform/win32/messagebox.h"
#include "platform/win32/messages.h"

const MultisampleChoice kMultisampleChoices[kMultisampleChoiceCount] = {
    {"No Antialias", D3DMULTISAMPLE_NONE},
    {"2x Antialias", static_cast<D3DMULTISAMPLE_TYPE>(2)},
    {"4x Antialias", static_cast<D3DMULTISAMPLE_TYPE>(4)},
    {"6x Antialias", static_cast<D3DMULTISAMPLE_TYPE>(6)},
    {"8x Antialias", static_cast<D3DMULTISAMPLE_TYPE>(8)},
    {"10x Antialias", static_cast<D3DMULTISAMPLE_TYPE>(10)},
    {"12x Antialias", static_cast<D3DMULTISAMPLE_TYPE>(12)},
    {"14x Antialias", static_cast<D3DMULTISAMPLE_TYPE>(14)},
    {"16x Antialias", static_cast<D3DMULTISAMPLE_TYPE>(16)},
};

const AspectChoice kAspectChoices[kAspectChoiceCount] = {
    {"4:3", 4.0f / 3.0f},
    {"16:10", 1.6f},
    {"16:9", 16.0f / 9.0f},
};

namespace {

LRESULT addEntry(HWND dialog, int list, const char* text, LPARAM data) {
    const LRESULT entry = SendDlgItemMessageA(dialog, list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendDlgItemMessageA(dialog, list, CB_SETITEMDATA, static_cast<WPARAM>(entry), data);
    return entry;
}

void select(HWND dialog, int list, LRESULT entry) {
    SendDlgItemMessageA(dialog, list, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

LRESULT selectedData(HWND dialog, int list) {
    const LRESULT entry = SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0);
    if (entry < 0) return CB_ERR;
    return SendDlgItemMessageA(dialog, list, CB_GETITEMDATA, static_cast<WPARAM>(entry), 0);
}

// Modes at least 640 wide and below 120 Hz (a rate of 0, "the adapter's default",
// passes), each entry remembering its adapter mode index; the last 800 x 600 entry is
// the default.
void fillResolutions(HWND dialog, UINT modeCount) {
    LRESULT defaultEntry = 0;
    for (UINT i = 0; i < modeCount; ++i) {
        D3DDISPLAYMODE mode{};
        // A mode that cannot be read is not offered: choosing it would start nothing.
        if (FAILED(gD3D->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, i, &mode))) continue;
        if (mode.Width < 640 || mode.RefreshRate >= 120) continue;
        char text[64];
        std::snprintf(text, sizeof text, "%2d: %4dx%4d@%dHz", static_cast<int>(i), static_cast<int>(mode.Width),
                      static_cast<int>(mode.Height), static_cast<int>(mode.RefreshRate));
        const LRESULT entry = addEntry(dialog, IDC_RESOLUTION, text, static_cast<LPARAM>(i));
        if (mode.Width == 800 && mode.Height == 600) defaultEntry = entry;
    }
    select(dialog, IDC_RESOLUTION, defaultEntry);
}

// The longest run of supported types from the top of the table: a supported type after
// an unsupported one is not offered.
void fillMultisampling(HWND dialog) {
    int count = 0;
    for (const MultisampleChoice& choice : kMultisampleChoices) {
        if (FAILED(gD3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE,
                                                     choice.type, nullptr)))
            break;
        addEntry(dialog, IDC_MULTISAMPLE, choice.text, static_cast<LPARAM>(choice.type));
        ++count;
    }
    // "2x Antialias" when there is a choice beyond it; otherwise the first entry, so that
    // "Run" always finds one selected.
    select(dialog, IDC_MULTISAMPLE, count >= 3 ? 1 : 0);
}

void fillAspectRatios(HWND dialog) {
    for (int i = 0; i < kAspectChoiceCount; ++i) addEntry(dialog, IDC_ASPECT, kAspectChoices[i].text, i);
    select(dialog, IDC_ASPECT, 0);
    D3DDISPLAYMODE desktop{};
    gD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop);
    if (desktop.Height == 0) return;
    const float ratio = static_cast<float>(desktop.Width) / static_cast<float>(desktop.Height);
    if (ratio > 4.0f / 3.0f) select(dialog, IDC_ASPECT, 1);
    if (ratio > 1.6f) select(dialog, IDC_ASPECT, 2);
}

void initDialog(HWND dialog) {
    CheckDlgButton(dialog, IDC_FULLSCREEN, BST_CHECKED);
    CheckDlgButton(dialog, IDC_VSYNC, BST_CHECKED);
    gDisplaySettings.modeCount = gD3D ? gD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8) : 0;
    if (gDisplaySettings.modeCount == 0) {
        MessageBoxA(nullptr, "Somethings Terribly Wrong", "GetAdapterModeCount = 0", MB_OK);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        return;
    }
    fillResolutions(dialog, gDisplaySettings.modeCount);
    fillMultisampling(dialog);
    fillAspectRatios(dialog);
    // Without a mode there is nothing to start: only "Exit" is left.
    if (SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_GETCOUNT, 0, 0) == 0)
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
}

// "Run" (or Enter). Without a listed mode there is nothing to start, and the dialog stays.
void run(HWND dialog) {
    const LRESULT modeIndex = selectedData(dialog, IDC_RESOLUTION);
    D3DDISPLAYMODE mode{};
    if (modeIndex < 0 || !gD3D ||
        FAILED(gD3D->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, static_cast<UINT>(modeIndex), &mode)))
        return;
    if (IsDlgButtonChecked(dialog, IDC_FULLSCREEN) == BST_CHECKED) gDisplaySettings.fullscreen = true;
    gDisplaySettings.displayMode = mode;
    const LRESULT aspect = selectedData(dialog, IDC_ASPECT);
    if (aspect >= 0 && aspect < kAspectChoiceCount) gDisplaySettings.aspectRatio = kAspectChoices[aspect].value;
    const LRESULT multisample = selectedData(dialog, IDC_MULTISAMPLE);
    gDisplaySettings.multisampleType =
        multisample >= 0 ? static_cast<D3DMULTISAMPLE_TYPE>(multisample) : D3DMULTISAMPLE_NONE;
    // The box the viewer sees decides: unchecked presents without waiting for the refresh.
    gDisplaySettings.vsync = IsDlgButtonChecked(dialog, IDC_VSYNC) == BST_CHECKED;
    EndDialog(dialog, 1);
}

}  // namespace

INT_PTR setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        initDialog(dialog);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            run(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        return 0;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        std::exit(0);
    default:
        return 0;
    }
}
