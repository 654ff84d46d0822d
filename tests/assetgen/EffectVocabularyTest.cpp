// The five effect files offer every technique the show draws with, with enough passes for
// the pass numbers it asks for, and declare every parameter the show sends them. Read
// through `glimmerhop-tool fx`, which compiles each file as the show would.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Listing {
    bool compiled = false;
    std::map<std::string, int> passes;  // technique -> pass count
    std::set<std::string> parameters;
};

Listing listEffect(const fs::path& tool, const fs::path& file) {
    Listing out;
    const std::string cmd = "'" + tool.string() + "' fx '" + file.string() + "' 2>&1";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return out;
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    out.compiled = pclose(pipe) == 0;
    std::istringstream lines(text);
    std::string line, section;
    while (std::getline(lines, line)) {
        if (line == "techniques:" || line == "parameters:" || line == "samplers:") {
            section = line;
            continue;
        }
        std::istringstream words(line);
        if (section == "techniques:" && line.rfind("  ", 0) == 0 && line.rfind("    ", 0) != 0) {
            std::string name;
            int count = 0;
            words >> name >> count;
            out.passes[name] = count;
        } else if (section == "parameters:") {
            std::string type, name;
            words >> type >> name;
            if (!name.empty()) out.parameters.insert(name);
        }
    }
    return out;
}

struct Need {
    const char* file;
    const char* technique;
    int passes;  // at least this many
};

// Highest pass asked for plus one; "all passes" needs one.
const Need kNeeds[] = {
    {"drit.fx", "tull", 1},        {"Image.fx", "db01", 1},          {"Image.fx", "Dancer", 1},
    {"Image.fx", "DanceFloor", 2}, {"Disco.fx", "BackGround", 1},    {"Disco.fx", "DiscoFloor", 4},
    {"Disco.fx", "DiscoDancer", 2}, {"Disco.fx", "DiscoBox", 2},     {"Disco.fx", "DiscoBox2", 1},
    {"Disco.fx", "AdditiveOverlay", 1}, {"cyl.fx", "DiscoCylinder", 2}, {"cyl.fx", "Plane01", 1},
    {"text.fx", "TextPlane", 2},   {"text.fx", "Stencil", 1},        {"text.fx", "GreetFloor", 2},
    {"text.fx", "PlanB", 2},
};

// What the show sends to each file besides the per-mesh matrices.
const std::map<std::string, std::set<std::string>> kParameters = {
    {"drit.fx", {"var1", "tex0", "matView", "matProjection", "matViewProjection"}},
    {"Image.fx", {"time", "const0", "usealpha", "tex0", "CameraPosition", "CameraTarget", "matViewProjection"}},
    {"Disco.fx", {"time", "const0", "const1", "tex0", "tex1", "matMirror", "CameraPosition", "CameraTarget",
                  "matViewProjection"}},
    {"cyl.fx", {"time", "const0", "tex0", "tex1", "CameraPosition", "CameraTarget", "matViewProjection"}},
    {"text.fx", {"time", "tex0", "tex1", "tex2", "CameraPosition", "CameraTarget", "matViewProjection"}},
};

}  // namespace

TEST(EffectVocabulary, EveryTechniqueAndParameterTheShowUsesIsThere) {
    const fs::path tool = fs::path(GH_BINARY_DIR) / "glimmerhop-tool";
    if (!fs::exists(tool)) GTEST_SKIP() << "glimmerhop-tool is not built in this build folder";
    const fs::path dir = fs::path(GH_SOURCE_DIR) / "data" / "Tindermoot";
    std::map<std::string, Listing> listings;
    for (const auto& [file, names] : kParameters) {
        Listing listing = listEffect(tool, dir / file);
        EXPECT_TRUE(listing.compiled) << file;
        for (const char* required : {"matWorld", "matWorldViewProjection"}) {
            if (file != "drit.fx") {
                EXPECT_TRUE(listing.parameters.count(required)) << file << " lacks " << required;
            }
        }
        for (const std::string& name : names) EXPECT_TRUE(listing.parameters.count(name)) << file << " lacks " << name;
        listings[file] = listing;
    }
    for (const Need& need : kNeeds) {
        const auto& passes = listings[need.file].passes;
        const auto found = passes.find(need.technique);
        ASSERT_NE(found, passes.end()) << need.file << " lacks technique " << need.technique;
        EXPECT_GE(found->second, need.passes) << need.file << " " << need.technique;
    }
}
