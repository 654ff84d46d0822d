#include "LiveReload.h"

#include <strings.h>

#include <cstring>

#include <utility>

#include "platform/win32/messagebox.h"
#include "show/Show.h"
#include "show/ShowFiles.h"
#include "show/ShowTextures.h"

namespace tool {

namespace {

struct EffectEntry {
    const char* path;
    Effect Show::*holder;
};
const EffectEntry kEffects[] = {
    {show::files::kDritEffect, &Show::dritEffect},   {show::files::kImageEffect, &Show::imageEffect},
    {show::files::kDiscoEffect, &Show::discoEffect}, {show::files::kCylEffect, &Show::cylEffect},
    {show::files::kTextEffect, &Show::textEffect},
};

struct MeshEntry {
    const char* path;
    Mesh Show::*mesh;
};
const MeshEntry kMeshes[] = {
    {show::files::kDancerMesh, &Show::dancerMesh},
    {show::files::kBoxMesh, &Show::boxMesh},
    {show::files::kStenMesh, &Show::stenMesh},
};

struct SceneEntry {
    const char* path;
    Scene Show::*scene;
    Effect Show::*effect;
};
const SceneEntry kScenes[] = {
    {show::files::kFloorScene, &Show::floorScene, &Show::imageEffect},
    {show::files::kTunnelScene, &Show::tunnelScene, &Show::cylEffect},
    {show::files::kPlanbScene, &Show::planbScene, &Show::textEffect},
};

// Separators as '/', without a leading "./".
std::string normalised(std::string p) {
    for (char& c : p)
        if (c == '\\') c = '/';
    while (p.rfind("./", 0) == 0) p.erase(0, 2);
    return p;
}

std::string folderOf(const std::string& p) {
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

// The data set's names come from Windows, where case does not matter.
bool samePath(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Runs `step` and tells what it reported through message boxes.
template <typename Step>
ReloadOutcome watched(Step step) {
    const unsigned before = win32::messageBoxCount();
    step();
    ReloadOutcome outcome;
    if (win32::messageBoxCount() != before) {
        outcome.ok = false;
        outcome.caption = win32::lastMessageBox().caption;
        outcome.text = win32::lastMessageBox().text;
    }
    return outcome;
}

ReloadOutcome reloadEffect(Effect& holder, const char* path) {
    Effect fresh;
    ReloadOutcome outcome = watched([&] { fresh.load(path); });
    if (outcome.ok && fresh.compiled) std::swap(holder.compiled, fresh.compiled);
    fresh.release();
    return outcome;
}

// One picture of the stack: the stack's own load on a list of just that entry, and the
// texture swapped in under its name (or added, when it had failed to load before).
ReloadOutcome reloadPicture(TextureStack& stack, int entry) {
    const char* const list[] = {show::kShowTextureList[entry], show::kShowTextureList[entry + 1], nullptr};
    TextureStack fresh;
    ReloadOutcome outcome = watched([&] { fresh.load(list); });
    if (outcome.ok && fresh.textureList.size() == 1) {
        bool swapped = false;
        for (std::size_t i = 0; i < stack.nameList.size(); ++i)
            if (std::strcmp(stack.nameList[i], list[1]) == 0) {
                std::swap(stack.textureList[i], fresh.textureList[0]);
                swapped = true;
                break;
            }
        if (!swapped) {
            stack.textureList.push_back(fresh.textureList[0]);
            stack.nameList.push_back(list[1]);
            fresh.textureList.clear();
            fresh.nameList.clear();
        }
    }
    fresh.release();
    return outcome;
}

ReloadOutcome reloadMesh(Mesh& mesh, const char* path) {
    ReloadOutcome outcome;
    {
        Mesh check;
        outcome = watched([&] { check.load(path); });
    }
    if (outcome.ok) {
        // In place: whatever links to the mesh keeps its address. The effect it drew with
        // last is a link of its own and survives the release.
        Effect* effect = mesh.effect;
        mesh.release();
        mesh.load(path);
        mesh.effect = effect;
    }
    return outcome;
}

ReloadOutcome reloadScene(Scene& scene, const char* path, Effect* effect) {
    Scene fresh;
    ReloadOutcome outcome = watched([&] { fresh.load(path, effect); });
    if (outcome.ok) {
        std::swap(scene.meshes, fresh.meshes);
        std::swap(scene.lights, fresh.lights);
        std::swap(scene.cameras, fresh.cameras);
        std::swap(scene.materialLists, fresh.materialLists);
    }
    fresh.release();
    return outcome;
}

ReloadOutcome reloadSync(SyncData& sync, const char* path) {
    SyncData fresh;
    bool loaded = false;
    ReloadOutcome outcome = watched([&] { loaded = fresh.load(path); });
    if (outcome.ok && !loaded) {
        outcome.ok = false;
        outcome.caption = path;
        outcome.text = "The sync file could not be read.";
    }
    if (outcome.ok) {
        std::swap(sync.bandCount, fresh.bandCount);
        std::swap(sync.sampleCount, fresh.sampleCount);
        std::swap(sync.tracks, fresh.tracks);
    }
    fresh.release();
    return outcome;
}

}  // namespace

std::vector<ReloadTarget> reloadTargets(const std::string& changedPath) {
    const std::string changed = normalised(changedPath);
    std::vector<ReloadTarget> targets;
    for (int i = 0; i < static_cast<int>(std::size(kEffects)); ++i)
        if (samePath(changed, normalised(kEffects[i].path))) targets.push_back({ReloadKind::Effect, i, kEffects[i].path});
    if (samePath(changed, normalised(show::files::kSync))) targets.push_back({ReloadKind::Sync, 0, show::files::kSync});
    for (int i = 0; show::kShowTextureList[i]; i += 2)
        if (samePath(changed, normalised(show::kShowTextureList[i]))) {
            targets.push_back({ReloadKind::Textures, i, show::kShowTextureList[i]});
            break;
        }
    const std::string folder = folderOf(changed);
    // The top folder holds the show's own files, not those of one mesh or scene.
    if (!samePath(folder, "Tindermoot")) {
        for (int i = 0; i < static_cast<int>(std::size(kMeshes)); ++i)
            if (samePath(folder, folderOf(normalised(kMeshes[i].path))))
                targets.push_back({ReloadKind::Mesh, i, kMeshes[i].path});
        for (int i = 0; i < static_cast<int>(std::size(kScenes)); ++i)
            if (samePath(folder, folderOf(normalised(kScenes[i].path))))
                targets.push_back({ReloadKind::Scene, i, kScenes[i].path});
    }
    return targets;
}

ReloadOutcome reload(Show& show, const ReloadTarget& t) {
    switch (t.kind) {
    case ReloadKind::Effect: return reloadEffect(show.*kEffects[t.index].holder, t.path);
    case ReloadKind::Textures: return reloadPicture(show.textures, t.index);
    case ReloadKind::Mesh: return reloadMesh(show.*kMeshes[t.index].mesh, t.path);
    case ReloadKind::Scene:
        return reloadScene(show.*kScenes[t.index].scene, t.path, &(show.*kScenes[t.index].effect));
    case ReloadKind::Sync: return reloadSync(show.sync, t.path);
    }
    return {};
}

}  // namespace tool
