// glimmerhop-tool fx --render: an effect drawn on a built-in mesh with each of its
// techniques, into one contact sheet.
#pragma once

#include <string>
#include <vector>

#include "PreviewMesh.h"
#include "platform/d3dx9/d3dx9.h"

namespace tool {

struct PreviewOptions {
    std::string effectPath;
    std::string out;        // the PNG
    std::string technique;  // empty: every technique
    unsigned width = 256, height = 256;
    MeshShape mesh = MeshShape::Sphere;
    std::vector<D3DXMACRO> macros;  // ends with {nullptr, nullptr}
    std::vector<std::string> includeFolders;  // as fxc's /I
};

struct PreviewScene;

// A folder of our own for the built-in textures, removed when it goes.
struct ScratchFolder {
    std::string path;  // empty when it could not be made
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
};

// What a fixed-function pass needs from its host: the camera's transforms, a white light
// from the scene's light position and a light grey material, as a D3D9 program would set
// them before drawing.
void setFixedFunctionScene(const PreviewScene& scene);

// "WxH" with both from 16 to 4096.
bool parseTileSize(const char* text, unsigned& width, unsigned& height);

// Exit code: 0 when the sheet was written (even if some techniques drew nothing; the
// report says which), 1 when the effect does not compile, the device cannot be made or
// the sheet cannot be written, 2 for a technique the file does not have.
int renderPreview(const PreviewOptions& options);

}  // namespace tool
