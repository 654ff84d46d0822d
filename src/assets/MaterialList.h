// A mesh's own texture set, read from a material-list file.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "render/Effect.h"

// At most this many slots, so that every "tex%d" name fits its 6-character buffer.
constexpr std::uint32_t MATERIAL_MAX_TEXTURES = 100;
constexpr std::uint32_t MATERIAL_NAME_SIZE = 128;

struct MaterialEntry {
    char name[MATERIAL_NAME_SIZE];  // zero-terminated texture file name
    std::uint32_t value;            // stored, not interpreted
};

struct MaterialList {
    IDirect3DTexture9** textures = nullptr;  // owned array of owned slots; a slot may be null
    MaterialEntry* entries = nullptr;        // owned
    std::uint8_t material[68] = {};          // stored, not interpreted
    std::uint32_t headerValue = 0;           // stored, not interpreted
    std::uint32_t textureCount = 0;          // slots that bindTextures and release walk

    MaterialList() = default;
    MaterialList(const MaterialList&) = delete;
    MaterialList& operator=(const MaterialList&) = delete;
    ~MaterialList() { release(); }

    // Reads the file and loads its textures from the file's own directory.
    void load(const char* path);
    // Sets "tex0", "tex1", ... to the slots, null slots included.
    void bindTextures(Effect* effect);
    void release();
};
