// D3D9 names of the fixed-function enums, for the trace lines.
#pragma once

#include <cstddef>

#include "platform/d3d9/d3d9.h"

namespace d3d9::detail {

// "D3DTS_VIEW", "D3DTS_TEXTURE3", "D3DTS_WORLDMATRIX(2)", or the number.
void transformName(DWORD state, char* out, std::size_t size);
// The D3DTSS_ name, or null for a type D3D9 does not have.
const char* stageStateName(DWORD type);
// Ops by name, arguments as D3DTA_ source with |modifiers, floats as floats, the
// constant in hexadecimal, the rest in decimal.
void formatStageStateValue(DWORD type, DWORD value, char* out, std::size_t size);
const char* lightTypeName(DWORD type);

}  // namespace d3d9::detail
