// The setup dialog: display mode, multisampling, aspect ratio, full screen and vertical
// sync, chosen before the window opens; "Run" fills gDisplaySettings.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/dialog.h"

struct MultisampleChoice {
    const char* text;
    D3DMULTISAMPLE_TYPE type;
};
constexpr int kMultisampleChoiceCount = 9;
extern const MultisampleChoice kMultisampleChoices[kMultisampleChoiceCount];

struct AspectChoice {
    const char* text;
    float value;
};
constexpr int kAspectChoiceCount = 3;
extern const AspectChoice kAspectChoices[kAspectChoiceCount];

// Returns 0 for every message. Ends the dialog with 1 after "Run" and 0 after "Exit";
// the close box ends the process with exit code 0.
INT_PTR setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
