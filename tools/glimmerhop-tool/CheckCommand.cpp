// glimmerhop-tool check: validates data files with the same checks the loaders use and
// says, per file, OK or what is wrong and where.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandLine.h"
#include "assets/FileChecks.h"
#include "assets/SceneLines.h"
#include "platform/win32/files.h"
#include "render/Paths.h"

namespace tool {
namespace {

enum class FileKind { Mesh, Scene, Sync, Light, Camera, MaterialList, Other };

const char* const kDescription =
    "glimmerhop-tool check DIR|FILE...\n"
    "\n"
    "Validates data files: .mesh, .scene (with the node files it names), .sync, and\n"
    "light, camera and material-list files (extensions of 5, 6 and 8 letters). A\n"
    "directory is searched recursively. Prints one line per file: OK, or what is wrong\n"
    "and at which byte or line. Exit status 1 when any file is wrong.";

FileKind kindOfName(const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    const std::size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return FileKind::Other;
    const std::string ext = name.substr(dot + 1);
    if (ext == "mesh") return FileKind::Mesh;
    if (ext == "scene") return FileKind::Scene;
    if (ext == "sync") return FileKind::Sync;
    switch (ext.size()) {
        case 5: return FileKind::Light;
        case 6: return FileKind::Camera;
        case 8: return FileKind::MaterialList;
        default: return FileKind::Other;
    }
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::FILE* f = win32::openFile(path.c_str(), "rb");
    if (!f) return false;
    const bool ok = readWholeStream(f, bytes);
    std::fclose(f);
    return ok;
}

// Checks one binary node file of a known kind.
bool checkNodeBytes(FileKind kind, const std::vector<std::uint8_t>& bytes, FileCheck& check) {
    switch (kind) {
        case FileKind::Mesh: {
            MeshFileLayout layout;
            return checkMeshBytes(bytes.data(), bytes.size(), layout, check);
        }
        case FileKind::Light: {
            LightFileLayout layout;
            return checkLightBytes(bytes.data(), bytes.size(), layout, check);
        }
        case FileKind::Camera: {
            CameraFileLayout layout;
            return checkCameraBytes(bytes.data(), bytes.size(), layout, check);
        }
        case FileKind::MaterialList: {
            MaterialFileLayout layout;
            return checkMaterialListBytes(bytes.data(), bytes.size(), layout, check);
        }
        case FileKind::Sync: return checkSyncBytes(bytes.data(), bytes.size(), check);
        case FileKind::Scene:
        case FileKind::Other: break;
    }
    return true;
}

FileKind kindOfNode(NodeKind kind) {
    switch (kind) {
        case NodeKind::Mesh: return FileKind::Mesh;
        case NodeKind::Light: return FileKind::Light;
        case NodeKind::Camera: return FileKind::Camera;
        case NodeKind::MaterialList: return FileKind::MaterialList;
        case NodeKind::Unknown: break;
    }
    return FileKind::Other;
}

// Prints every problem of a scene file and of the node files it names.
int checkScene(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    int problems = 0;
    auto say = [&](const char* text) {
        std::printf("%s: %s\n", path.c_str(), text);
        ++problems;
    };
    const std::string directory = directoryOf(path.c_str());
    SceneReader reader{bytes.data(), bytes.size()};
    std::vector<std::int32_t> meshIds;
    SceneLine line;
    char text[1024];
    for (;;) {
        FileCheck fault;
        const SceneStep step = reader.next(line, fault);
        if (!fault.ok) {
            fault.describe(text, sizeof text);
            say(text);
        }
        if (step == SceneStep::End || step == SceneStep::Truncated) break;
        if (step == SceneStep::BadLine) continue;
        if (line.kind == NodeKind::Unknown) {
            std::snprintf(text, sizeof text, "line %u: node kind unknown for \"%s\"", line.number, line.text);
            say(text);
            continue;
        }
        if (line.kind == NodeKind::Mesh) {
            const bool earlier = std::find(meshIds.begin(), meshIds.end(), line.id) != meshIds.end();
            meshIds.push_back(line.id);
            if (line.parentId != 0 && line.parentId == line.id && !earlier) {
                std::snprintf(text, sizeof text, "line %u: mesh %d names itself as its parent",
                              line.number, line.id);
                say(text);
            }
        }
        const std::string nodePath = directory + line.name;
        std::vector<std::uint8_t> node;
        if (!readFile(nodePath, node)) {
            std::snprintf(text, sizeof text, "line %u: %s file %s cannot be read", line.number,
                          nodeKindName(line.kind), nodePath.c_str());
            say(text);
            continue;
        }
        FileCheck check;
        if (!checkNodeBytes(kindOfNode(line.kind), node, check)) {
            char where[320];
            check.describe(where, sizeof where);
            std::snprintf(text, sizeof text, "line %u: %s file %s: %s", line.number,
                          nodeKindName(line.kind), nodePath.c_str(), where);
            say(text);
        }
    }
    if (problems == 0) std::printf("%s: OK\n", path.c_str());
    return problems;
}

// Returns the number of problems found in one file.
int checkFile(const std::string& path, FileKind kind) {
    std::vector<std::uint8_t> bytes;
    if (!readFile(path, bytes)) {
        std::printf("%s: cannot be read\n", path.c_str());
        return 1;
    }
    if (kind == FileKind::Scene) return checkScene(path, bytes);
    FileCheck check;
    checkNodeBytes(kind, bytes, check);
    char text[320];
    check.describe(text, sizeof text);
    std::printf("%s: %s\n", path.c_str(), text);
    return check.ok ? 0 : 1;
}

// Every data file under a directory, in name order.
std::vector<std::string> dataFilesUnder(const std::filesystem::path& root) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ec))
        if (entry.is_regular_file() && kindOfName(entry.path().string()) != FileKind::Other)
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

int run(int argc, char** argv) {
    std::vector<std::string> paths;
    CommandLine cl("check", kDescription);
    cl.app.add_option("paths", paths, "data files, or directories to search")->type_name("DIR|FILE")->required();
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    int problems = 0;
    int checked = 0;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            for (const std::string& f : dataFilesUnder(path)) {
                problems += checkFile(f, kindOfName(f));
                ++checked;
            }
            continue;
        }
        const FileKind kind = kindOfName(path);
        if (kind == FileKind::Other) {
            std::printf("%s: not a data file of a known kind\n", path.c_str());
            ++problems;
            continue;
        }
        problems += checkFile(path, kind);
        ++checked;
    }
    std::printf("%d file%s checked, %d problem%s\n", checked, checked == 1 ? "" : "s", problems,
                problems == 1 ? "" : "s");
    return problems > 0 ? 1 : 0;
}

const ToolCommand command{"check", "validate data files (mesh, scene, light, camera, material list, sync)", run};

}  // namespace
}  // namespace tool
