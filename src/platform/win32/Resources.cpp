#include "platform/win32/resources.h"

#include <map>

namespace win32 {
namespace {

std::map<int, const DialogTemplate*>& dialogs() {
    static std::map<int, const DialogTemplate*> table;
    return table;
}
std::map<int, BitmapResource>& bitmaps() {
    static std::map<int, BitmapResource> table;
    return table;
}

}  // namespace

void registerDialogResource(int id, const DialogTemplate* dialog) { dialogs()[id] = dialog; }

const DialogTemplate* findDialogResource(int id) {
    auto it = dialogs().find(id);
    return it == dialogs().end() ? nullptr : it->second;
}

void registerBitmapResource(int id, BitmapResource bitmap) { bitmaps()[id] = bitmap; }

const BitmapResource* findBitmapResource(int id) {
    auto it = bitmaps().find(id);
    return it == bitmaps().end() ? nullptr : &it->second;
}

}  // namespace win32
