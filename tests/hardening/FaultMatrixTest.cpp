// Every file of a data set in turn missing, empty, cut short or replaced by noise: the
// show loads, names the damaged file in a message box, and plays all six scenes and the
// outro without a non-finite number reaching the device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "FaultRig.h"
#include "show/ShowData.h"
#include "show/ShowTextures.h"

namespace fs = std::filesystem;

namespace hardening {
namespace {

enum class Fault { Missing, Empty, Truncated, Noise };

const char* faultName(Fault f) {
    switch (f) {
        case Fault::Missing: return "missing";
        case Fault::Empty: return "empty";
        case Fault::Truncated: return "truncated";
        case Fault::Noise: return "noise";
    }
    return "";
}

struct Case {
    std::string file;  // relative to the data root: "Tindermoot/Floor/floor.mesh"
    Fault fault;
    std::size_t cut = 0;  // bytes kept, for Truncated
};

std::string extensionOf(const std::string& file) {
    const std::string e = fs::path(file).extension().string();
    return e.empty() ? e : e.substr(1);
}

// The picture the show never checks (the loading screen draws without it).
bool isUncheckedPicture(const std::string& file) { return file == "Tindermoot/loading.png"; }

// Formats whose loaders see a file that was cut short: the binary node files carry their
// own lengths, a scene ends with its end byte, and a picture is incomplete. Music decodes
// as far as it goes, a short sync file keeps zeros for what is missing, and an effect
// file cut between statements can still compile.
bool truncationIsReported(const std::string& file) {
    static const char* const kinds[] = {"mesh", "scene", "camera", "light", "mtl", "matlist", "png"};
    const std::string ext = extensionOf(file);
    if (isUncheckedPicture(file)) return false;
    for (const char* k : kinds)
        if (ext == k) return true;
    return false;
}

bool mustBeReported(const Case& c) {
    if (isUncheckedPicture(c.file)) return false;
    if (c.fault == Fault::Truncated) return truncationIsReported(c.file);
    return true;
}

// A box that points the viewer at the file: its name in the caption or text, the texture
// stack's name for a picture of the show's list, or the audio library's box for the music,
// whose text names the failing call.
bool names(const Box& box, const std::string& file) {
    const std::string base = fs::path(file).filename().string();
    if (box.caption.find(base) != std::string::npos || box.text.find(base) != std::string::npos) return true;
    if (file == "Tindermoot/Pellmoor.mp3") return box.caption == "Error::BASS";
    if (box.caption == "TextureStack") {
        const std::string windowsPath = "Tindermoot\\" + base;
        for (int i = 0; i < show::kShowTextureCount; ++i)
            if (windowsPath == show::kShowTextureList[2 * i] &&
                box.text.find(show::kShowTextureList[2 * i + 1]) != std::string::npos)
                return true;
    }
    return false;
}

// The damaged copy: everything else linked from `source`, the file itself rewritten.
void prepare(const std::string& source, const std::string& target, const Case& c) {
    mirror(source, target, c.file);
    if (c.fault == Fault::Missing) return;
    std::vector<std::uint8_t> bytes = readBytes(source + "/" + c.file);
    switch (c.fault) {
        case Fault::Empty: bytes.clear(); break;
        case Fault::Truncated: bytes.resize(c.cut); break;
        case Fault::Noise: {
            std::mt19937 random(static_cast<unsigned>(std::hash<std::string>{}(c.file)));
            for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
            break;
        }
        case Fault::Missing: break;
    }
    writeBytes(target + "/" + c.file, bytes);
}

// Every fault on the first two files of each kind; one fault on each further file of a
// kind (in turn missing, empty, noise, cut in half), which keeps the run short.
// GH_FAULT_MATRIX=full gives every file every fault.
bool fullMatrix() {
    const char* v = std::getenv("GH_FAULT_MATRIX");
    return v && std::string(v) == "full";
}

std::vector<Case> casesFor(const std::string& root) {
    std::vector<Case> cases;
    std::map<std::string, unsigned> seen;  // files of each kind so far
    for (const std::string& file : filesUnder(root)) {
        const std::size_t size = fs::file_size(fs::path(root) / file);
        const unsigned index = seen[extensionOf(file)]++;
        std::vector<Case> all{{file, Fault::Missing}, {file, Fault::Empty}, {file, Fault::Noise}};
        for (std::size_t cut : {std::min<std::size_t>(size / 2, 5), size / 2, size - 1})
            if (cut > 0 && cut < size) all.push_back({file, Fault::Truncated, cut});
        if (fullMatrix() || index < 2) {
            cases.insert(cases.end(), all.begin(), all.end());
        } else {
            const Fault turn[] = {Fault::Missing, Fault::Empty, Fault::Noise, Fault::Truncated};
            const Fault f = turn[index % 4];
            cases.push_back(f == Fault::Truncated ? Case{file, f, size / 2} : Case{file, f});
        }
    }
    return cases;
}

std::string describe(const Case& c) {
    std::string s = c.file + " " + faultName(c.fault);
    if (c.fault == Fault::Truncated) s += " at " + std::to_string(c.cut);
    return s;
}

std::string listBoxes(const std::vector<Box>& boxes) {
    std::string s;
    for (const Box& b : boxes) s += "\n  [" + b.caption + "] " + b.text;
    return s;
}

void runMatrix(const std::string& root, double step) {
    {
        ScratchDir dir;
        mirror(root, dir.path(), "");
        Watchdog watchdog("the undamaged data set", 120);
        const ShowRun clean = runShow(dir.path(), step);
        EXPECT_EQ(clean.nonFinite, 0u) << clean.firstNonFinite;
        for (const std::string& file : filesUnder(root))
            for (const Box& b : clean.loadBoxes)
                ASSERT_FALSE(names(b, file)) << "the undamaged " << file << " is reported:" << listBoxes(clean.loadBoxes);
    }
    for (const Case& c : casesFor(root)) {
        SCOPED_TRACE(describe(c));
        ScratchDir dir;
        prepare(root, dir.path(), c);
        Watchdog watchdog(describe(c), 120);
        const ShowRun run = runShow(dir.path(), step);
        EXPECT_GT(run.frames, 0u);
        EXPECT_EQ(run.nonFinite, 0u) << run.firstNonFinite;
        EXPECT_TRUE(run.playBoxes.empty()) << "boxes while playing:" << listBoxes(run.playBoxes);
        if (mustBeReported(c)) {
            bool named = false;
            for (const Box& b : run.loadBoxes) named = named || names(b, c.file);
            EXPECT_TRUE(named) << "no box names the file:" << listBoxes(run.loadBoxes);
        }
    }
}

// The generator's data set beside the build, when it was made.
TEST(FaultMatrix, RealDataSet) {
    const std::string root = GH_BINARY_DIR;
    if (!fs::exists(root + "/Tindermoot/Pellmoor.mp3")) GTEST_SKIP() << "no data set in " << root << "/Tindermoot";
    // Only the data directory: the build folder around it holds other tests' files.
    ScratchDir stage;
    fs::create_directory_symlink(root + "/Tindermoot", stage.path() + "/Tindermoot");
    runMatrix(stage.path(), 2.0);
}

// A small data set with every kind of file the show reads (effects, meshes, scenes,
// cameras, pictures, sync), so that every loader meets every fault even while the real
// data set is incomplete.
TEST(FaultMatrix, TestDataSet) {
    ScratchDir source;
    showtest::writeShowData(source.path(), [](unsigned sample, unsigned band) {
        return 0.5f + 0.5f * static_cast<float>((sample * 7 + band * 3) % 11) / 11.0f;
    });
    runMatrix(source.path(), 2.0);
}

}  // namespace
}  // namespace hardening
