// Light files: the check and the loader, then sampling the position keys.
#include "assets/FileChecks.h"
#include "assets/Loaders.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ensureDevice();
    LightFileLayout layout;
    FileCheck check;
    checkLightBytes(data, size, layout, check);
    std::FILE* stream = fuzzing::openBytes(data, size);
    if (!stream) return 0;
    LightNode light;
    loadLightStream(light, stream, "fuzz\\input.light");
    std::fclose(stream);
    light.positionTrack.sample(0.25f);
    light.positionTrack.sample(1e6f);
    return 0;
}
