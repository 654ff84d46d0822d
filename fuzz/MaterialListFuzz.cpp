// Material-list files: the check and the loader (textures resolve in a folder that
// does not exist, so every texture load fails and shrinks the list).
#include "assets/FileChecks.h"
#include "assets/Loaders.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ensureDevice();
    MaterialFileLayout layout;
    FileCheck check;
    checkMaterialListBytes(data, size, layout, check);
    std::FILE* stream = fuzzing::openBytes(data, size);
    if (!stream) return 0;
    MaterialList list;
    loadMaterialListStream(list, stream, "fuzz-no-such-folder\\input.material");
    std::fclose(stream);
    Effect none;
    list.bindTextures(&none);
    return 0;
}
