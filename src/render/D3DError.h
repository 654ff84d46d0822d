// The one report for a failed Direct3D or D3DX call: a message box titled `caption`
// whose text names the kind of failure and the object concerned.
#pragma once

#include <string>

#include "platform/win32/win32types.h"

// Texts are cut to this many characters, never overrun.
constexpr std::size_t D3D_ERROR_TEXT_MAX = 64;

// The result code's format filled with `subject`, cut to D3D_ERROR_TEXT_MAX characters.
std::string d3dErrorText(HRESULT hr, const char* subject);

void showD3DError(HRESULT hr, const char* caption, const char* subject);
