#include "assets/FileChecks.h"
#include "assets/MaterialList.h"
#include "assets/TrackSpans.h"

bool checkMaterialListBytes(const std::uint8_t* data, std::size_t size,
                            MaterialFileLayout& layout, FileCheck& check) {
    layout = MaterialFileLayout{};
    ByteReader r{data, size};
    if (size < MATERIAL_HEADER_SIZE)
        return check.fail(size, "file ends inside the %zu-byte header", MATERIAL_HEADER_SIZE);
    r.skip(4);
    r.u32(layout.headerValue);
    r.skip(68);
    r.u32(layout.declaredCount);
    layout.headerSound = true;
    if (layout.declaredCount > MATERIAL_MAX_TEXTURES)
        check.fail(76, "%u textures; at most %u", layout.declaredCount, MATERIAL_MAX_TEXTURES);
    const std::uint32_t walk =
        layout.declaredCount < MATERIAL_MAX_TEXTURES ? layout.declaredCount : MATERIAL_MAX_TEXTURES;
    for (std::uint32_t i = 0; i < walk; ++i) {
        const std::size_t at = r.pos;
        std::uint32_t length = 0;
        if (!r.u32(length)) return check.fail(at, "entry %u: file ends before its name length", i);
        if (length >= MATERIAL_NAME_SIZE)
            return check.fail(at, "entry %u: name of %u characters; at most %u", i, length,
                              MATERIAL_NAME_SIZE - 1);
        if (!r.skip(length)) return check.fail(r.pos, "entry %u: file ends inside its name", i);
        std::uint32_t value = 0;
        if (!r.u32(value)) return check.fail(r.pos, "entry %u: file ends before its value", i);
        ++layout.soundEntries;
    }
    return check.ok;
}

bool checkLightBytes(const std::uint8_t* data, std::size_t size, LightFileLayout& layout,
                     FileCheck& check) {
    layout = LightFileLayout{};
    ByteReader r{data, size};
    if (!r.skip(24)) return check.fail(size, "file ends inside the 24-byte header");
    return readTrackSpan(r, 0, 12, false, "position", layout.position, check);
}

bool checkCameraBytes(const std::uint8_t* data, std::size_t size, CameraFileLayout& layout,
                      FileCheck& check) {
    layout = CameraFileLayout{};
    ByteReader r{data, size};
    if (!r.f32(layout.nearPlane) || !r.f32(layout.farPlane))
        return check.fail(size, "file ends inside the near and far planes");
    if (!readTrackSpan(r, 0, 4, false, "field-of-view", layout.fov, check)) return false;
    const std::size_t at = r.pos;
    std::uint32_t n = 0;
    if (!r.u32(n)) return check.fail(at, "file ends before the eye and target key count");
    const bool own = n == 0;
    return readTrackSpan(r, n, 12, own, "eye", layout.position, check) &&
           readTrackSpan(r, n, 12, own, "target", layout.target, check);
}

bool checkSyncBytes(const std::uint8_t* data, std::size_t size, FileCheck& check) {
    ByteReader r{data, size};
    std::uint32_t samples = 0;
    std::uint32_t bands = 0;
    if (!r.u32(samples) || !r.u32(bands))
        return check.fail(size, "file ends inside the 8-byte header");
    const std::uint64_t needed = static_cast<std::uint64_t>(samples) * bands * 4 + 8;
    if (needed > size)
        return check.fail(0, "%u samples of %u bands need %llu bytes but the file has %zu",
                          samples, bands, static_cast<unsigned long long>(needed), size);
    return true;
}
