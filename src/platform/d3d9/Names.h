// D3D9 names of enums, for the trace lines (states and their values: StateTable.h).
#pragma once

#include <cstddef>

#include "platform/d3d9/d3d9.h"

namespace d3d9::detail {

const char* primitiveTypeName(DWORD type);
const char* formatName(DWORD format);
const char* poolName(DWORD pool);
const char* declTypeName(BYTE type);
const char* declUsageName(BYTE usage);
const char* lightTypeName(DWORD type);

// A name for the trace, or the number when there is none.
struct NameBuf {
    char text[32];
};
NameBuf named(const char* name, DWORD value);

template <class T>
const char* nameOf(T* object) {
    return object ? object->name() : "null";
}

}  // namespace d3d9::detail
