#include "platform/win32/resources.h"

#include <map>

namespace win32 {
namespace {

// Never freed: registration and lookups may run during static set-up and teardown.
std::map<int, const DialogTemplate*>& dialogs() {
    static auto* table = new std::map<int, const DialogTemplate*>;
    return *table;
}
std::map<int, BitmapResource>& bitmaps() {
    static auto* table = new std::map<int, BitmapResource>;
    return *table;
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
