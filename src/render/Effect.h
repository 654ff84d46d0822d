// The holder of one compiled effect file, and the record every mesh draw takes.
#pragma once

#include <cstdint>

#include "platform/d3dx9/d3dx9.h"

struct Effect {
    // Owned; null until load succeeds and again after release.
    ID3DXEffect* compiled = nullptr;

    // Compiles the file for gDevice. A failure shows the compiler's text and leaves
    // the holder empty; the show goes on without it.
    void load(const char* path);
    void release();
};

// Pass value that asks for every pass of the technique.
constexpr std::uint32_t DRAW_ALL_PASSES = 255;
// Flag bit: bind the mesh's own material textures as "tex0", "tex1", ...
constexpr std::uint8_t DRAW_MATERIAL_TEXTURES = 0x01;

struct DrawRequest {
    const char* technique;  // technique name, used as the D3DX handle
    Effect* effect;         // null: the effect the mesh drew with last time
    std::uint32_t pass;     // single pass index; 255 (or any index past the last) = all
    std::uint8_t flags;     // bit 0: bind the mesh's material textures first
};
