// The show's table of named textures.
#pragma once

#include <vector>

#include "platform/d3d9/d3d9.h"

struct TextureStack {
    std::vector<IDirect3DTexture9*> textureList;  // owned, in load order
    std::vector<const char*> nameList;            // the caller's constant strings, not copied

    TextureStack() = default;
    TextureStack(const TextureStack&) = delete;
    TextureStack& operator=(const TextureStack&) = delete;
    ~TextureStack() { release(); }

    // `parameterList`: path, name, path, name, ..., ending with a null path.
    void load(const char* const* parameterList);
    // The texture of the first entry named exactly `name`, or null. Not owned.
    IDirect3DTexture9* find(const char* name) const;
    // Releases every texture and empties both lists.
    void release();
};
