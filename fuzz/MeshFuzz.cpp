// Mesh files: the check, the loader, and animating and drawing what was loaded.
#include "assets/FileChecks.h"
#include "assets/Loaders.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ensureDevice();
    MeshFileLayout layout;
    FileCheck check;
    checkMeshBytes(data, size, layout, check);
    std::FILE* stream = fuzzing::openBytes(data, size);
    if (!stream) return 0;
    Mesh mesh;
    loadMeshStream(mesh, stream, "fuzz\\input.mesh");
    std::fclose(stream);
    for (float t : {0.0f, 0.5f, 1000.0f}) mesh.animate(t);
    Effect none;
    mesh.draw({"Tech", &none, DRAW_ALL_PASSES, DRAW_MATERIAL_TEXTURES});
    return 0;
}
