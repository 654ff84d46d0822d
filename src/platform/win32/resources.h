// The program's built-in resources (its dialog templates and bitmaps), found by number
// as Windows finds them in the executable. The resource files register themselves
// when the program starts.
#pragma once

#include <cstddef>

#include "platform/win32/win32types.h"

namespace win32 {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    AutoCheckBox,
    DropDownList,
    GroupBox,
    Bitmap,  // a picture control showing bitmap resource `resource`
};

// Positions and sizes are dialog units (see dialog.h for the conversion to pixels).
struct DialogItemTemplate {
    ControlKind kind;
    int id;  // -1: a control without an identifier
    const char* text;
    short x, y, cx, cy;
    DWORD style;
    int resource;
};

struct DialogTemplate {
    DWORD style;
    const char* caption;
    const char* fontName;
    int pointSize;
    short cx, cy;
    const DialogItemTemplate* items;
    int itemCount;
};

void registerDialogResource(int id, const DialogTemplate* dialog);
const DialogTemplate* findDialogResource(int id);

// A bitmap resource: the bytes of a .bmp file.
struct BitmapResource {
    const BYTE* bytes;
    std::size_t size;
};
void registerBitmapResource(int id, BitmapResource bitmap);
const BitmapResource* findBitmapResource(int id);

}  // namespace win32
