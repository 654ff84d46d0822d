// Validation of the binary and text data files before anything is created from them.
// The loaders and `glimmerhop-tool check` share these functions: a file is read whole,
// checked here, and only what was found sound is loaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// The first fault found in a file: what, and at which byte (binary files) or line (text).
struct FileCheck {
    bool ok = true;
    std::size_t offset = 0;
    unsigned line = 0;  // 1-based; 0 when the fault is not tied to a line
    char message[200] = {};

    // Records the fault (only the first one is kept). Returns false for convenience.
    bool fail(std::size_t atOffset, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    // "message at byte N" or "line N: message".
    void describe(char* out, std::size_t outSize) const;
};

// Little-endian reads that never pass the end of the data.
struct ByteReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;

    std::size_t remaining() const { return pos <= size ? size - pos : 0; }
    bool skip(std::size_t n);
    bool u16(std::uint16_t& value);
    bool u32(std::uint32_t& value);
    bool f32(float& value);
};

// Reads the whole stream from its start; false when it could not be read.
bool readWholeStream(std::FILE* stream, std::vector<std::uint8_t>& bytes);

// Where one track's keys lie in a file: `count` keys starting at `keysOffset`.
struct TrackSpan {
    std::size_t keysOffset = 0;
    std::uint32_t count = 0;
};

// The limits of the mesh format.
constexpr std::uint32_t MESH_MAX_VERTICES = 65536;  // 16-bit indices
constexpr std::size_t MESH_HEADER_SIZE = 86;

struct MeshFileLayout {
    std::uint32_t materialIndex = 0;
    std::uint32_t triangleCount = 0;
    std::uint32_t vertexCount = 0;
    std::uint32_t vertexStride = 0;
    std::uint16_t formatMask = 0;
    std::size_t indexOffset = 0;
    std::size_t vertexOffset = 0;
    bool geometrySound = false;  // header, indices and vertices may be loaded
    bool tracksSound = false;    // the three spans below may be loaded
    TrackSpan position, rotation, scale;
};
// True when the whole file is sound. When it is not, `check` names the first fault and
// `layout` says which parts are still sound.
bool checkMeshBytes(const std::uint8_t* data, std::size_t size, MeshFileLayout& layout,
                    FileCheck& check);

constexpr std::size_t MATERIAL_HEADER_SIZE = 80;

struct MaterialFileLayout {
    std::uint32_t headerValue = 0;
    std::uint32_t declaredCount = 0;  // N as the file states it
    std::uint32_t soundEntries = 0;   // entries from the start that are whole and within limits
    std::size_t entriesOffset = MATERIAL_HEADER_SIZE;
    bool headerSound = false;
};
bool checkMaterialListBytes(const std::uint8_t* data, std::size_t size,
                            MaterialFileLayout& layout, FileCheck& check);

struct LightFileLayout {
    TrackSpan position;
};
bool checkLightBytes(const std::uint8_t* data, std::size_t size, LightFileLayout& layout,
                     FileCheck& check);

struct CameraFileLayout {
    float nearPlane = 1.0f;
    float farPlane = 10000.0f;
    TrackSpan fov, position, target;
};
bool checkCameraBytes(const std::uint8_t* data, std::size_t size, CameraFileLayout& layout,
                      FileCheck& check);

// Sync files: a header of sample count and band count, then the samples.
bool checkSyncBytes(const std::uint8_t* data, std::size_t size, FileCheck& check);

// One message box for a bad data file: its path and the first fault found.
void reportBadFile(const char* path, const FileCheck& check);
