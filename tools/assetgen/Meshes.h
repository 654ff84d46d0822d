// The generated meshes and scenes, as data, for the steps and the tests.
#pragma once

#include <string>
#include <vector>

#include "MeshWriter.h"

namespace assetgen {

MeshData dancerMesh();
MeshData boxMesh();
MeshData curtainMesh();

// A scene: its text file and every node file it names, paths relative to the data folder.
struct SceneFiles {
    std::string scenePath;
    std::vector<SceneEntry> entries;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> nodeFiles;
};
SceneFiles floorScene();
SceneFiles tunnelScene();
SceneFiles sculptureScene();

}  // namespace assetgen
