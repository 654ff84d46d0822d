#include "assets/MaterialList.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app/globals/DisplaySettings.h"
#include "assets/FileChecks.h"
#include "assets/Loaders.h"
#include "platform/win32/files.h"
#include "platform/win32/messagebox.h"
#include "render/D3DError.h"
#include "render/Paths.h"

void loadMaterialListStream(MaterialList& list, std::FILE* stream, const char* path) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeStream(stream, bytes)) {
        MessageBoxA(nullptr, path, "Failed To Open The MeshFile", MB_OK);
        return;
    }
    MaterialFileLayout layout;
    FileCheck check;
    checkMaterialListBytes(bytes.data(), bytes.size(), layout, check);
    if (!check.ok) reportBadFile(path, check);
    if (!layout.headerSound) return;

    list.headerValue = layout.headerValue;
    std::memcpy(list.material, bytes.data() + 8, sizeof list.material);
    // Only the entries that are whole and within the limits are taken.
    list.textureCount = layout.soundEntries;
    if (list.textureCount == 0) return;
    list.entries = new (std::nothrow) MaterialEntry[list.textureCount]();
    list.textures = new (std::nothrow) IDirect3DTexture9*[list.textureCount]();
    if (!list.entries || !list.textures) {
        MessageBoxA(nullptr, "Out Of Memory", "MaterialList", MB_OK);
        list.release();
        return;
    }
    const std::string directory = directoryOf(path);
    ByteReader reader{bytes.data(), bytes.size(), layout.entriesOffset};
    // The count is compared afresh: every failed texture leaves one entry fewer to read.
    for (std::uint32_t i = 0; i < list.textureCount; ++i) {
        list.textures[i] = nullptr;
        MaterialEntry& entry = list.entries[i];
        std::uint32_t length = 0;
        reader.u32(length);
        std::memcpy(entry.name, bytes.data() + reader.pos, length);
        entry.name[length] = '\0';
        reader.skip(length);
        reader.u32(entry.value);

        const std::string texturePath = directory + entry.name;
        IDirect3DTexture9* texture = nullptr;
        const HRESULT hr = D3DXCreateTextureFromFileA(gDevice, texturePath.c_str(), &texture);
        if (FAILED(hr) || !texture) {
            if (texture) texture->Release();
            showD3DError(FAILED(hr) ? hr : E_FAIL, "Texture", texturePath.c_str());
            --list.textureCount;
            continue;
        }
        list.textures[i] = texture;
    }
}

void MaterialList::load(const char* path) {
    std::FILE* stream = win32::openFile(path, "rb");
    if (!stream) {
        MessageBoxA(nullptr, path, "Failed To Open The MeshFile", MB_OK);
        return;
    }
    loadMaterialListStream(*this, stream, path);
    std::fclose(stream);
}

void MaterialList::bindTextures(Effect* effect) {
    ID3DXEffect* fx = effect ? effect->compiled : nullptr;
    if (!fx || !textures) return;
    // The names are formatted once: "tex%u" on every draw cost more than the bind itself.
    struct Names {
        char text[MATERIAL_MAX_TEXTURES][8];
        Names() {
            for (std::uint32_t i = 0; i < MATERIAL_MAX_TEXTURES; ++i)
                std::snprintf(text[i], sizeof text[i], "tex%u", static_cast<unsigned>(i));
        }
    };
    static const Names names;
    for (std::uint32_t i = 0; i < textureCount && i < MATERIAL_MAX_TEXTURES; ++i)
        fx->SetTexture(names.text[i], textures[i]);
}

void MaterialList::release() {
    if (textures) {
        for (std::uint32_t i = 0; i < textureCount; ++i)
            if (textures[i]) textures[i]->Release();
    }
    delete[] textures;
    delete[] entries;
    textures = nullptr;
    entries = nullptr;
    textureCount = 0;
}
