// The preview's built-in cube map: a checker on every face, each face in colours of its
// own, so that a reflection shows which way it looks.
#include <cstring>

#include "PreviewBinder.h"

namespace tool {

IDirect3DCubeTexture9* PreviewBinder::builtInCube(std::string& why) {
    if (cube_) return cube_;
    constexpr UINT kEdge = 64;
    // Light and dark squares (B, G, R) for +X, -X, +Y, -Y, +Z, -Z: warm, cool, sky, ground, green, violet.
    static const std::uint8_t kColours[6][2][3] = {
        {{90, 120, 230}, {40, 50, 120}},  {{230, 200, 90}, {120, 90, 30}},  {{250, 235, 215}, {200, 150, 110}},
        {{60, 90, 110}, {30, 40, 50}},    {{120, 220, 120}, {40, 100, 40}}, {{220, 110, 190}, {100, 40, 90}},
    };
    IDirect3DCubeTexture9* cube = nullptr;
    if (FAILED(device_->CreateCubeTexture(kEdge, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr))) {
        why = "the built-in cube could not be made";
        return nullptr;
    }
    for (UINT level = 0; level < cube->GetLevelCount(); ++level) {
        const UINT edge = kEdge >> level, cell = edge >= 8 ? edge / 8 : 1;
        for (int face = 0; face < 6; ++face) {
            D3DLOCKED_RECT r;
            if (FAILED(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), level, &r, nullptr, D3DLOCK_DISCARD))) {
                cube->Release();
                why = "the built-in cube could not be filled";
                return nullptr;
            }
            for (UINT y = 0; y < edge; ++y) {
                auto* row = static_cast<std::uint8_t*>(r.pBits) + static_cast<std::size_t>(y) * static_cast<UINT>(r.Pitch);
                for (UINT x = 0; x < edge; ++x) {
                    std::memcpy(row + x * 4, kColours[face][((x / cell) + (y / cell)) & 1], 3);
                    row[x * 4 + 3] = 255;
                }
            }
            cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), level);
        }
    }
    cube_ = cube;
    return cube_;
}

}  // namespace tool
