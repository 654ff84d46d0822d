#include "assets/Scene.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/FileChecks.h"
#include "assets/Loaders.h"
#include "assets/SceneLines.h"
#include "platform/win32/files.h"
#include "platform/win32/messagebox.h"
#include "render/Paths.h"

namespace {
// Keeps the first fault of a scene file and counts the others, for one report.
struct SceneFaults {
    FileCheck first;
    unsigned count = 0;

    void add(const FileCheck& fault) {
        if (fault.ok) return;
        if (count++ == 0) first = fault;
    }
    void report(const char* path) const {
        if (count == 0) return;
        FileCheck shown = first;
        if (count > 1) {
            const std::size_t used = std::strlen(shown.message);
            std::snprintf(shown.message + used, sizeof shown.message - used,
                          " (and %u more problems)", count - 1);
        }
        reportBadFile(path, shown);
    }
};

void addMesh(Scene& scene, const SceneLine& line, const std::string& nodePath, Effect* effect,
             SceneFaults& faults) {
    Mesh* mesh = new Mesh;
    mesh->load(nodePath.c_str());
    mesh->effect = effect;
    scene.meshes.push_back(mesh);
    // A mesh whose geometry could not be read has no material index to go by.
    if (mesh->vertexCount > 0 && mesh->materialIndex < scene.materialLists.size())
        mesh->materials = scene.materialLists[mesh->materialIndex];
    mesh->id = line.id;
    if (line.parentId == 0) return;
    Mesh* parent = scene.findMesh(line.parentId);
    if (parent == mesh) {
        // Its parent chain would never end; it stays a root.
        FileCheck fault;
        fault.line = line.number;
        fault.fail(line.offset, "mesh %d names itself as its parent", line.id);
        faults.add(fault);
        return;
    }
    mesh->parent = parent;
}
}  // namespace

void loadSceneStream(Scene& scene, std::FILE* stream, const char* path, Effect* effect) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeStream(stream, bytes)) {
        MessageBoxA(nullptr, path, "Problems With File", MB_OK);
        return;
    }
    const std::string directory = directoryOf(path);
    SceneReader reader{bytes.data(), bytes.size()};
    SceneFaults faults;
    SceneLine line;
    for (;;) {
        FileCheck fault;
        const SceneStep step = reader.next(line, fault);
        faults.add(fault);
        if (step == SceneStep::End || step == SceneStep::Truncated) break;
        if (step == SceneStep::BadLine) continue;

        const std::string nodePath = directory + line.name;
        switch (line.kind) {
            case NodeKind::Mesh:
                addMesh(scene, line, nodePath, effect, faults);
                break;
            case NodeKind::Light: {
                LightNode* light = new LightNode;
                light->load(nodePath.c_str());
                scene.lights.push_back(light);
                if (line.parentId != 0) light->parent = scene.findMesh(line.parentId);
                break;
            }
            case NodeKind::Camera: {
                Camera* camera = new Camera;
                readCameraFile(*camera, nodePath.c_str());
                scene.cameras.push_back(camera);
                break;
            }
            case NodeKind::MaterialList: {
                MaterialList* list = new MaterialList;
                list->load(nodePath.c_str());
                scene.materialLists.push_back(list);
                break;
            }
            case NodeKind::Unknown:
                MessageBoxA(nullptr, line.text, "Type Unknown", MB_OK);
                break;
        }
    }
    faults.report(path);
}

void Scene::load(const char* path, Effect* effect) {
    std::FILE* stream = win32::openFile(path, "rb");
    if (!stream) {
        MessageBoxA(nullptr, path, "Problems With File", MB_OK);
        return;
    }
    loadSceneStream(*this, stream, path, effect);
    std::fclose(stream);
}

Mesh* Scene::findMesh(std::int32_t id) const {
    for (Mesh* mesh : meshes)
        if (mesh->id == id) return mesh;
    return nullptr;
}

void Scene::draw(const char* technique, Effect* effect, float t, std::uint32_t pass) {
    for (Mesh* mesh : meshes) {
        mesh->animate(t);
        mesh->draw(DrawRequest{technique, effect, pass % 256, DRAW_MATERIAL_TEXTURES});
    }
}

void Scene::release() {
    for (Mesh* mesh : meshes) delete mesh;
    for (MaterialList* list : materialLists) delete list;
    for (LightNode* light : lights) delete light;
    for (Camera* camera : cameras) delete camera;
    meshes.clear();
    materialLists.clear();
    lights.clear();
    cameras.clear();
}
