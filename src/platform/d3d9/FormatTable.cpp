#include "platform/d3d9/FormatTable.h"

namespace d3d9::detail {
namespace {

constexpr unsigned kColour = kFormatTexture | kFormatTargetTexture | kFormatMultisample;
constexpr unsigned kFloat = kFormatTargetTexture;  // nothing here locks or loads float texels
constexpr unsigned kDepth = kFormatDepth | kFormatMultisample;

constexpr FormatRow kFormats[] = {
    {D3DFMT_UNKNOWN, "D3DFMT_UNKNOWN", 0, 0, 0, false},
    {D3DFMT_R8G8B8, "D3DFMT_R8G8B8", 3, 0, 0, true},
    {D3DFMT_A8R8G8B8, "D3DFMT_A8R8G8B8", 4, kColour, 0, false},
    {D3DFMT_X8R8G8B8, "D3DFMT_X8R8G8B8", 4, kColour | kFormatDisplay, 0, true},
    {D3DFMT_R5G6B5, "D3DFMT_R5G6B5", 2, kFormatMultisample, 0, true},
    {D3DFMT_D24S8, "D3DFMT_D24S8", 4, kDepth, 24, false},
    {D3DFMT_D24X8, "D3DFMT_D24X8", 4, kDepth, 24, false},
    {D3DFMT_D16, "D3DFMT_D16", 2, kDepth, 16, false},
    {D3DFMT_INDEX16, "D3DFMT_INDEX16", 2, kFormatIndex, 0, false},
    {D3DFMT_INDEX32, "D3DFMT_INDEX32", 4, kFormatIndex, 0, false},
    {D3DFMT_R16F, "D3DFMT_R16F", 2, kFloat, 0, true},
    {D3DFMT_G16R16F, "D3DFMT_G16R16F", 4, kFloat, 0, true},
    {D3DFMT_A16B16G16R16F, "D3DFMT_A16B16G16R16F", 8, kFloat, 0, false},
    {D3DFMT_R32F, "D3DFMT_R32F", 4, kFloat, 0, true},
    {D3DFMT_G32R32F, "D3DFMT_G32R32F", 8, kFloat, 0, true},
    {D3DFMT_A32B32G32R32F, "D3DFMT_A32B32G32R32F", 16, kFloat, 0, false},
};

}  // namespace

const FormatRow* findFormat(DWORD format) {
    for (const FormatRow& row : kFormats)
        if (static_cast<DWORD>(row.format) == format) return &row;
    return nullptr;
}

bool formatAllows(DWORD format, unsigned uses) {
    const FormatRow* row = findFormat(format);
    return row && (row->uses & uses) != 0;
}

}  // namespace d3d9::detail
