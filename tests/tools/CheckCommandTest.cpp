// Runs the built `glimmerhop-tool check` on sets of sound and broken data files.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "tools/CommandRun.h"
#include "assets/DataFiles.h"

using namespace testing_support;

namespace {

using RunResult = tooltest::CommandRun;

RunResult runCheck(const std::string& args) {
    return tooltest::runCommand(std::string(GH_BINARY_DIR) + "/glimmerhop-tool check " + args + " 2>&1");
}

// The line the tool printed for `path`, or "" (scenes may print several; the first).
std::string lineFor(const std::string& output, const std::string& path) {
    std::size_t at = output.find(path + ": ");
    if (at == std::string::npos) return "";
    const std::size_t end = output.find('\n', at);
    return output.substr(at, end - at);
}

std::string folder(const std::string& name) {
    const std::string dir = "test-files/check-" + name + "/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void writeSoundSet(const std::string& dir) {
    MeshFile mesh = quadMesh(0, 0, 1, 1, 0);
    mesh.keys.positions = {{1, 2, 3}};
    mesh.keys.rotations = {{0, 0, 0, 1}};
    mesh.keys.scales = {{1, 1, 1}};
    ASSERT_TRUE(writeFile(dir + "body.mesh", mesh.bytes().data));
    ASSERT_TRUE(writeFile(dir + "skin.material", materialListBytes({"skin.png"}, 1).data));
    ASSERT_TRUE(writeFile(dir + "lamp.light", lightBytes({{1, 2, 3}}).data));
    ASSERT_TRUE(writeFile(dir + "view.camera", cameraBytes(1, 100, {0.5f}, {{0, 0, 0}}, {{0, 0, 1}}).data));
    Bytes sync;
    sync.u32(4).u32(8).zeros(4 * 8 * 4);
    ASSERT_TRUE(writeFile(dir + "music.sync", sync.data));
    ASSERT_TRUE(writeText(dir + "room.scene", sceneLine(0, "skin.material", 0) + sceneLine(1, "body.mesh", 0) +
                                                  sceneLine(0, "lamp.light", 1) + sceneLine(0, "view.camera", 0) +
                                                  "\xFF"));
}

TEST(CheckCommand, SoundFilesAreAllOk) {
    const std::string dir = folder("sound");
    writeSoundSet(dir);
    const RunResult r = runCheck(dir);
    EXPECT_EQ(r.status, 0) << r.output;
    for (const char* name : {"body.mesh", "skin.material", "lamp.light", "view.camera", "music.sync", "room.scene"})
        EXPECT_EQ(lineFor(r.output, dir + name), dir + name + ": OK") << r.output;
    EXPECT_NE(r.output.find("6 files checked, 0 problems"), std::string::npos) << r.output;
}

TEST(CheckCommand, FindsEveryFaultInABrokenSet) {
    const std::string dir = folder("broken");
    writeSoundSet(dir);
    std::map<std::string, std::string> expected;  // file -> what its line must say

    MeshFile m = quadMesh(0, 0, 1, 1, 0);
    m.indices[2] = 40;
    ASSERT_TRUE(writeFile(dir + "index.mesh", m.bytes().data));
    expected["index.mesh"] = "index 2 is 40, not below the vertex count 4 at byte 90";

    MeshFile s = quadMesh(0, 0, 1, 1, 0);
    s.stride = 28;
    s.vertices.resize(28);
    ASSERT_TRUE(writeFile(dir + "stride.mesh", s.bytes().data));
    expected["stride.mesh"] = "vertex stride 28 is smaller than the 32 bytes of format mask 0x0007 at byte 80";

    MeshFile padded = quadMesh(0, 0, 1, 1, 0);  // 4 bytes of padding per vertex: sound
    padded.stride = 36;
    padded.vertices.resize(36);
    ASSERT_TRUE(writeFile(dir + "padded.mesh", padded.bytes().data));

    Bytes big = quadMesh(0, 0, 1, 1, 0).bytes();
    big.data[78] = 0x02;  // V = 0x20004
    ASSERT_TRUE(writeFile(dir + "big.mesh", big.data));
    expected["big.mesh"] = "131076 vertices; 16-bit indices reach 65536 at most at byte 76";

    MeshFile k = quadMesh(0, 0, 1, 1, 0);
    Bytes keys = k.bytes();
    keys.data.resize(keys.size() - 4);
    keys.u32(1000);  // K = 1000, no keys
    ASSERT_TRUE(writeFile(dir + "keys.mesh", keys.data));
    expected["keys.mesh"] = "position track claims 1000 keys";

    ASSERT_TRUE(writeFile(dir + "many.material", materialListBytes({"a.png"}, 101).data));
    expected["many.material"] = "101 textures; at most 100 at byte 76";

    ASSERT_TRUE(writeFile(dir + "name.material", materialListBytes({std::string(200, 'x')}, 1).data));
    expected["name.material"] = "entry 0: name of 200 characters; at most 127 at byte 80";

    Bytes light = lightBytes({{1, 2, 3}, {4, 5, 6}});
    light.data.resize(light.size() - 1);
    ASSERT_TRUE(writeFile(dir + "cut.light", light.data));
    expected["cut.light"] = "position track claims 2 keys (24 bytes) but only 23 bytes remain at byte 28";

    Bytes camera = cameraBytes(1, 100, {0.5f}, {{0, 0, 0}}, {{0, 0, 1}});
    camera.data.resize(18);
    ASSERT_TRUE(writeFile(dir + "cut.camera", camera.data));
    expected["cut.camera"] = "file ends before the eye and target key count at byte 16";

    Bytes sync;
    sync.u32(100).u32(8).zeros(40);
    ASSERT_TRUE(writeFile(dir + "short.sync", sync.data));
    expected["short.sync"] = "100 samples of 8 bands need 3208 bytes but the file has 48";

    ASSERT_TRUE(writeText(dir + "noend.scene", sceneLine(1, "body.mesh", 0)));
    expected["noend.scene"] = "line 2: the file ends without the 0xFF end byte";

    ASSERT_TRUE(writeText(dir + "self.scene", sceneLine(3, "body.mesh", 3) + "\xFF"));
    expected["self.scene"] = "line 1: mesh 3 names itself as its parent";

    ASSERT_TRUE(writeText(dir + "short.scene", sceneLine(1, "body.mesh", 0) + "abc\n\xFF"));
    expected["short.scene"] = "line 2: line of 3 characters; at least 8";

    ASSERT_TRUE(writeText(dir + "kind.scene", sceneLine(1, "x.texture", 0) + "\xFF"));
    expected["kind.scene"] = "line 1: node kind unknown";

    ASSERT_TRUE(writeText(dir + "node.scene", sceneLine(1, "index.mesh", 0) + "\xFF"));
    expected["node.scene"] = "line 1: mesh file " + dir + "index.mesh: index 2 is 40";

    ASSERT_TRUE(writeText(dir + "missing.scene", sceneLine(0, "gone.light", 0) + "\xFF"));
    expected["missing.scene"] = "line 1: light file " + dir + "gone.light cannot be read";

    const RunResult r = runCheck(dir);
    EXPECT_EQ(r.status, 1) << r.output;
    for (const auto& [name, text] : expected) {
        const std::string line = lineFor(r.output, dir + name);
        EXPECT_NE(line.find(text), std::string::npos) << name << " printed: " << line;
    }
    for (const char* name : {"body.mesh", "padded.mesh", "skin.material", "lamp.light", "view.camera", "music.sync",
                             "room.scene"})
        EXPECT_EQ(lineFor(r.output, dir + name), dir + name + ": OK") << r.output;
}

TEST(CheckCommand, SingleFileAndUnknownKinds) {
    const std::string dir = folder("single");
    writeSoundSet(dir);
    RunResult r = runCheck(dir + "body.mesh");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(lineFor(r.output, dir + "body.mesh"), dir + "body.mesh: OK");
    r = runCheck(dir + "notes.txt");
    EXPECT_EQ(r.status, 1) << r.output;
    r = runCheck(dir + "absent.mesh");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(lineFor(r.output, dir + "absent.mesh").find("cannot be read"), std::string::npos);
    r = runCheck("");
    EXPECT_EQ(r.status, 2) << r.output;
}

}  // namespace
