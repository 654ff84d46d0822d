// Camera files: the check and the reader, then applying the camera in track mode.
#include "assets/FileChecks.h"
#include "assets/Loaders.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ensureDevice();
    CameraFileLayout layout;
    FileCheck check;
    checkCameraBytes(data, size, layout, check);
    std::FILE* stream = fuzzing::openBytes(data, size);
    if (!stream) return 0;
    Camera camera;
    readCameraStream(camera, stream, "fuzz\\input.camera");
    std::fclose(stream);
    Effect none;
    camera.apply(&none, 0x0F, 0.5f);
    camera.apply(&none, 0x0F, 1e6f);
    return 0;
}
