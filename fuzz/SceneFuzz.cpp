// Scene files: the line reader and the loader (node files resolve in a folder that does
// not exist), then drawing the scene.
#include "assets/Loaders.h"
#include "assets/SceneLines.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ensureDevice();
    SceneReader reader{data, size};
    SceneLine line;
    for (int guard = 0; guard < 100000; ++guard) {
        FileCheck fault;
        const SceneStep step = reader.next(line, fault);
        if (step == SceneStep::End || step == SceneStep::Truncated) break;
    }
    std::FILE* stream = fuzzing::openBytes(data, size);
    if (!stream) return 0;
    Scene scene;
    Effect none;
    loadSceneStream(scene, stream, "fuzz-no-such-folder\\input.scene", &none);
    std::fclose(stream);
    scene.draw("Tech", nullptr, 1.0f, 255);
    for (Mesh* mesh : scene.meshes) scene.findMesh(mesh->id);
    return 0;
}
