#include "platform/win32/dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/win32/messages.h"

namespace win32 {
namespace {

std::vector<Dialog*>& liveDialogs() {
    static auto* table = new std::vector<Dialog*>;
    return *table;
}

DialogControl* controlOfHandle(HWND control) {
    for (Dialog* d : liveDialogs())
        for (auto& c : d->controls())
            if (reinterpret_cast<HWND>(&c) == control) return &c;
    return nullptr;
}

bool isList(const DialogControl* c) { return c && c->layout.kind == ControlKind::DropDownList; }
bool isCheckBox(const DialogControl* c) { return c && c->layout.kind == ControlKind::AutoCheckBox; }

LRESULT listMessage(DialogControl& c, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto count = static_cast<LRESULT>(c.items.size());
    const auto index = static_cast<LRESULT>(static_cast<std::intptr_t>(wParam));
    const bool valid = index >= 0 && index < count;
    switch (message) {
    case CB_ADDSTRING:
        c.items.emplace_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
        c.itemData.push_back(0);
        return count;
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return c.selection;
    case CB_SETCURSEL:
        // Windows clears the selection for an index out of range and reports CB_ERR.
        c.selection = valid ? static_cast<int>(index) : -1;
        return valid ? index : CB_ERR;
    case CB_GETITEMDATA:
        return valid ? c.itemData[index] : CB_ERR;
    case CB_SETITEMDATA:
        if (!valid) return CB_ERR;
        c.itemData[index] = lParam;
        return 1;
    case CB_GETLBTEXT:
        if (!valid) return CB_ERR;
        if (lParam) std::memcpy(reinterpret_cast<char*>(lParam), c.items[index].c_str(), c.items[index].size() + 1);
        return static_cast<LRESULT>(c.items[index].size());
    case CB_RESETCONTENT:
        c.items.clear();
        c.itemData.clear();
        c.selection = -1;
        return 0;
    default:
        return 0;
    }
}

}  // namespace

Dialog::Dialog(const DialogTemplate& layout, DLGPROC procedure, LPARAM initParam)
    : layout_(&layout), procedure_(procedure), initParam_(initParam) {
    controls_.reserve(layout.itemCount);
    for (int i = 0; i < layout.itemCount; ++i) {
        DialogControl c;
        c.layout = layout.items[i];
        c.text = layout.items[i].text ? layout.items[i].text : "";
        controls_.push_back(std::move(c));
    }
    liveDialogs().push_back(this);
}

Dialog::~Dialog() {
    auto& table = liveDialogs();
    table.erase(std::remove(table.begin(), table.end(), this), table.end());
}

HWND Dialog::handle() { return reinterpret_cast<HWND>(this); }

DialogControl* Dialog::control(int id) {
    if (id == -1) return nullptr;
    for (auto& c : controls_)
        if (c.layout.id == id) return &c;
    return nullptr;
}

void Dialog::start() { send(WM_INITDIALOG, 0, initParam_); }

INT_PTR Dialog::send(UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure_ ? procedure_(handle(), message, wParam, lParam) : 0;
}

void Dialog::click(int id) {
    DialogControl* c = control(id);
    if (!c || !c->enabled) return;
    if (isCheckBox(c)) c->checked = !c->checked;
    send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(c));
}

void Dialog::select(int id, int index) {
    DialogControl* c = control(id);
    if (!isList(c) || !c->enabled || index < 0 || index >= static_cast<int>(c->items.size())) return;
    c->selection = index;
    send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
}

void Dialog::pressEnter() {
    int id = IDOK;
    for (auto& c : controls_)
        if (c.layout.kind == ControlKind::DefaultPushButton) id = c.layout.id;
    DialogControl* button = control(id);
    if (button && !button->enabled) return;
    send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void Dialog::pressEscape() {
    DialogControl* button = control(IDCANCEL);
    send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void Dialog::close() { send(WM_CLOSE, 0, 0); }

void Dialog::end(INT_PTR result) {
    ended_ = true;
    result_ = result;
}

Dialog* dialogOf(HWND dialog) {
    for (Dialog* d : liveDialogs())
        if (d->handle() == dialog) return d;
    return nullptr;
}

}  // namespace win32

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC procedure, LPARAM initParam) {
    const auto id = reinterpret_cast<UINT_PTR>(templateName);
    const win32::DialogTemplate* layout = id < 0x10000 ? win32::findDialogResource(static_cast<int>(id)) : nullptr;
    if (!layout || !procedure) {
        std::fprintf(stderr, "DialogBoxParam: no dialog template %lu\n", static_cast<unsigned long>(id));
        return -1;
    }
    win32::Dialog dialog(*layout, procedure, initParam);
    if (!win32::runDialogWindow(dialog)) return -1;
    return dialog.result();
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    win32::Dialog* d = win32::dialogOf(dialog);
    if (!d) return FALSE;
    d->end(result);
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    win32::Dialog* d = win32::dialogOf(dialog);
    win32::DialogControl* c = d ? d->control(id) : nullptr;
    if (!c) return 0;
    if (c->layout.kind == win32::ControlKind::DropDownList) return win32::listMessage(*c, message, wParam, lParam);
    return 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    win32::Dialog* d = win32::dialogOf(dialog);
    win32::DialogControl* c = d ? d->control(id) : nullptr;
    if (!win32::isCheckBox(c)) return FALSE;
    c->checked = check == BST_CHECKED;
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    win32::Dialog* d = win32::dialogOf(dialog);
    win32::DialogControl* c = d ? d->control(id) : nullptr;
    return win32::isCheckBox(c) && c->checked ? BST_CHECKED : BST_UNCHECKED;
}

HWND GetDlgItem(HWND dialog, int id) {
    win32::Dialog* d = win32::dialogOf(dialog);
    win32::DialogControl* c = d ? d->control(id) : nullptr;
    return reinterpret_cast<HWND>(c);
}

BOOL EnableWindow(HWND control, BOOL enable) {
    win32::DialogControl* c = win32::controlOfHandle(control);
    if (!c) return FALSE;
    const bool wasDisabled = !c->enabled;
    c->enabled = enable != FALSE;
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND control) {
    win32::DialogControl* c = win32::controlOfHandle(control);
    return c && c->enabled;
}
