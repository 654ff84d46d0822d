// A small but complete data directory for the show, written by the tests: effect files
// with every technique the scenes draw (four passes each), tiny pictures, meshes, scene
// and camera files, and a sync file whose bands the test chooses.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace showtest {

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
};

struct Vec3 {
    float x, y, z;
};

// A temporary directory, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return root; }

private:
    std::string root;
};

void writeFile(const std::string& path, const void* data, std::size_t size);
void writeMeshFile(const std::string& path, const std::vector<Vertex>& vertices,
                   const std::vector<unsigned short>& indices);
void writeCameraFile(const std::string& path, float nearPlane, float farPlane,
                     const std::vector<float>& fovKeys, const std::vector<Vec3>& eyeKeys,
                     const std::vector<Vec3>& targetKeys);
// Each line as the scene format wants it: 4-character id, file name, 4-character parent.
void writeSceneFile(const std::string& path, const std::vector<std::string>& lines);
// value(sample, band) for sample k = 0 .. samples - 1 (time k / 30 s).
void writeSyncFile(const std::string& path, unsigned samples, unsigned bands,
                   const std::function<float(unsigned, unsigned)>& value);
void writeEffectFile(const std::string& path, const std::vector<const char*>& techniques);
void writePng(const std::string& path, unsigned width, unsigned height, unsigned rgba);
void writePngPixels(const std::string& path, unsigned width, unsigned height,
                    const unsigned char* rgba);

using SyncValue = std::function<float(unsigned sample, unsigned band)>;

// Writes Tindermoot/ under `root`: everything the show loads but the music. The floor
// scene's camera moves its eye 1 unit along x per key (x = 30 s at time s), so a test
// can read the camera's time off "CameraPosition".
void writeShowData(const std::string& root, const SyncValue& sync, unsigned syncSeconds = 170);

// The effect files' techniques, as the scenes draw them.
extern const std::vector<const char*> kDritTechniques, kImageTechniques, kDiscoTechniques,
    kCylTechniques, kTextTechniques;

}  // namespace showtest
