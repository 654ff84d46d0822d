// Hot reload for the live tool: which of the show's objects a changed data file belongs
// to, and reloading them through their own load and release operations. The objects keep
// their addresses (meshes and scenes link to Effect holders; the holder's content is what
// changes), and a reload that fails keeps the last good content where it can.
#pragma once

#include <string>
#include <vector>

class Show;

namespace tool {

enum class ReloadKind { Effect, Textures, Mesh, Scene, Sync };

struct ReloadTarget {
    ReloadKind kind;
    int index;         // into the show's table of that kind (pictures: of the picture list)
    const char* path;  // the path the show loads it from
    bool operator==(const ReloadTarget& o) const { return kind == o.kind && index == o.index; }
};

// What a change of `changed` (a path relative to the data directory, such as
// "Tindermoot/tun/cyl.SCENE.scene") must reload. Effects go by file name, the sync file
// and the named pictures by their own path; any file in a mesh's or scene's own folder
// (its mesh, material, light, camera or picture files) reloads that mesh or scene.
// Empty for files the show does not reload (the music, the loading picture, others).
std::vector<ReloadTarget> reloadTargets(const std::string& changed);

struct ReloadOutcome {
    bool ok = true;        // false: a message was reported; the panel shows it
    std::string caption;   // of the last message reported
    std::string text;
};

// Reloads one target. Effects, a picture, scenes and the sync file are loaded fresh
// first and swapped in only when nothing was reported; a mesh is checked the same way
// and then reloaded in place.
ReloadOutcome reload(Show& show, const ReloadTarget& target);

}  // namespace tool
