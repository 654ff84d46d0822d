// The loaders behind Mesh::load, MaterialList::load, LightNode::load, readCameraFile and
// Scene::load, working on an already opened stream (a file, or bytes in memory). The
// stream is read whole and checked before anything is created; `path` names the file in
// reports and, for material lists and scenes, is where their node files are resolved.
#pragma once

#include <cstdio>

#include "assets/MaterialList.h"
#include "assets/Mesh.h"
#include "assets/Scene.h"

void loadMeshStream(Mesh& mesh, std::FILE* stream, const char* path);
void loadMaterialListStream(MaterialList& list, std::FILE* stream, const char* path);
void loadLightStream(LightNode& light, std::FILE* stream, const char* path);
void readCameraStream(Camera& camera, std::FILE* stream, const char* path);
void loadSceneStream(Scene& scene, std::FILE* stream, const char* path, Effect* effect);
