#include "render/TextureStack.h"

#include <cstdio>
#include <cstring>

#include "app/globals/DisplaySettings.h"
#include "platform/d3dx9/d3dx9.h"
#include "render/D3DError.h"

void TextureStack::load(const char* const* parameterList) {
    if (!parameterList) return;
    for (const char* const* pair = parameterList; pair[0] != nullptr; pair += 2) {
        const char* path = pair[0];
        const char* name = pair[1];
        if (!name) {
            std::printf("Check Your TextureStack ParameterList Mister!!!\n");
            return;
        }
        IDirect3DTexture9* texture = nullptr;
        const HRESULT hr = D3DXCreateTextureFromFileA(gDevice, path, &texture);
        if (FAILED(hr) || !texture) {
            if (texture) texture->Release();
            showD3DError(FAILED(hr) ? hr : E_FAIL, "TextureStack", name);
            continue;
        }
        textureList.push_back(texture);
        nameList.push_back(name);
    }
}

IDirect3DTexture9* TextureStack::find(const char* name) const {
    if (!name) return nullptr;
    for (std::size_t i = 0; i < nameList.size(); ++i)
        if (std::strcmp(nameList[i], name) == 0) return textureList[i];
    return nullptr;
}

void TextureStack::release() {
    for (IDirect3DTexture9* texture : textureList)
        if (texture) texture->Release();
    textureList.clear();
    nameList.clear();
}
