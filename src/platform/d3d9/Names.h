// D3D9 names of enums and render states, for the trace lines.
#pragma once

#include <cstddef>

#include "platform/d3d9/d3d9.h"

namespace d3d9::detail {

// The state's D3DRS_ name, or null for a state without one here.
const char* renderStateName(DWORD state);
// Writes a render state's value as the trace shows it: the enum name for enum states,
// TRUE/FALSE for switches, hexadecimal for masks, decimal otherwise.
void formatRenderStateValue(DWORD state, DWORD value, char* out, std::size_t size);
const char* samplerStateName(DWORD type);
void formatSamplerStateValue(DWORD type, DWORD value, char* out, std::size_t size);
const char* primitiveTypeName(DWORD type);
const char* formatName(DWORD format);
const char* poolName(DWORD pool);
const char* declTypeName(BYTE type);
const char* declUsageName(BYTE usage);

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
