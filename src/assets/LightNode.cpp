#include <cmath>
#include <cfloat>
#include <cstdio>
#include <vector>

#include "assets/FileChecks.h"
#include "assets/Loaders.h"
#include "assets/Scene.h"
#include "platform/win32/files.h"
#include "platform/win32/messagebox.h"

namespace {
template <class Track>
void readSpan(Track& track, std::FILE* stream, const TrackSpan& span) {
    if (span.count == 0) return;
    if (std::fseek(stream, static_cast<long>(span.keysOffset), SEEK_SET) != 0) return;
    track.readFrom(stream, span.count);
}
}  // namespace

void LightNode::setLightType(int type) {
    if (type != LIGHT_POINT) {
        char text[65];
        std::snprintf(text, sizeof text, "Type Does Not Exist [%d]\n", type);
        MessageBoxA(nullptr, text, "FuckHead", MB_OK);
        return;
    }
    light.type = LIGHT_POINT;
    light.diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.specular = {1.0f, 1.0f, 1.0f, 0.0f};
    light.ambient = {0.0f, 0.0f, 0.0f, 0.0f};
    light.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    light.range = std::sqrt(FLT_MAX);
    light.attenuation0 = 1.0f;
    light.attenuation1 = 0.001f;
    light.attenuation2 = 0.0f;
}

void loadLightStream(LightNode& node, std::FILE* stream, const char* path) {
    node.setLightType(LIGHT_POINT);
    std::vector<std::uint8_t> bytes;
    if (!readWholeStream(stream, bytes)) {
        MessageBoxA(nullptr, path, "Problems With File", MB_OK);
        return;
    }
    LightFileLayout layout;
    FileCheck check;
    if (!checkLightBytes(bytes.data(), bytes.size(), layout, check)) {
        reportBadFile(path, check);
        return;
    }
    readSpan(node.positionTrack, stream, layout.position);
}

void LightNode::load(const char* path) {
    std::FILE* stream = win32::openFile(path, "rb");
    if (!stream) {
        MessageBoxA(nullptr, path, "Problems With File", MB_OK);
        return;
    }
    loadLightStream(*this, stream, path);
    std::fclose(stream);
}

void LightNode::release() { positionTrack.release(); }

void readCameraStream(Camera& camera, std::FILE* stream, const char* path) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeStream(stream, bytes)) {
        MessageBoxA(nullptr, path, "Fopen()", MB_OK);
        return;
    }
    CameraFileLayout layout;
    FileCheck check;
    if (!checkCameraBytes(bytes.data(), bytes.size(), layout, check)) {
        reportBadFile(path, check);
        return;  // the camera keeps its defaults
    }
    camera.nearPlane = layout.nearPlane;
    camera.farPlane = layout.farPlane;
    readSpan(camera.fovTrack, stream, layout.fov);
    readSpan(camera.positionTrack, stream, layout.position);
    readSpan(camera.targetTrack, stream, layout.target);
}

void readCameraFile(Camera& camera, const char* path) {
    std::FILE* stream = win32::openFile(path, "rb");
    if (!stream) {
        MessageBoxA(nullptr, path, "Fopen()", MB_OK);
        return;
    }
    readCameraStream(camera, stream, path);
    std::fclose(stream);
}
