// assetgen: builds the show's data folder from code.
//   assetgen OUT_DIR [--generated DIR] [--only STEP[,STEP...]] [--verbose]
// OUT_DIR receives the Tindermoot files; --generated receives build inputs for other
// targets (the setup dialog's bitmap). The output is the same bytes on every run.
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Steps.h"

namespace {

using assetgen::GenerationStep;

// In list order; a step that reads another's files names it in `after`.
const GenerationStep kSteps[] = {
    {"music", assetgen::generateMusic, nullptr},
    {"sync", assetgen::generateSync, "music"},
    {"floor", assetgen::generateFloorPictures, nullptr},
    {"overlays", assetgen::generateOverlays, nullptr},
    {"titles", assetgen::generateTitles, nullptr},
    {"icons", assetgen::generateIcons, nullptr},
    {"portraits", assetgen::generatePortraits, nullptr},
    {"greetings", assetgen::generateGreetings, nullptr},
    {"loading", assetgen::generateLoadingPicture, nullptr},
    {"setup", assetgen::generateSetupBitmap, nullptr},
    {"meshes", assetgen::generateMeshes, nullptr},
    {"scenes", assetgen::generateScenes, nullptr},
};

void usage() {
    std::fprintf(stderr, "usage: assetgen OUT_DIR [--generated DIR] [--only STEP[,STEP...]] [--verbose]\nsteps:");
    for (const GenerationStep& s : kSteps) std::fprintf(stderr, " %s", s.name);
    std::fprintf(stderr, "\n");
}

struct Runner {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<const GenerationStep*> pending;
    std::set<std::string> finished;
    bool failed = false;

    // Next step whose prerequisite is done (or not part of this run), else null.
    const GenerationStep* take(bool& wait) {
        wait = false;
        for (size_t i = 0; i < pending.size(); ++i) {
            const GenerationStep* s = pending[i];
            bool ready = !s->after || finished.count(s->after);
            if (!ready) {
                bool prerequisitePending = false;
                for (const GenerationStep* p : pending)
                    if (std::strcmp(p->name, s->after) == 0) prerequisitePending = true;
                ready = !prerequisitePending && !inFlight.count(s->after);
            }
            if (ready) {
                pending.erase(pending.begin() + static_cast<long>(i));
                inFlight.insert(s->name);
                return s;
            }
        }
        wait = !pending.empty();
        return nullptr;
    }

    void work(const assetgen::GenContext& ctx) {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            bool wait = false;
            const GenerationStep* step = take(wait);
            if (!step) {
                if (!wait) return;
                changed.wait(guard);
                continue;
            }
            guard.unlock();
            const bool ok = step->run(ctx);
            guard.lock();
            if (!ok) {
                std::fprintf(stderr, "assetgen: step '%s' failed\n", step->name);
                failed = true;
            }
            inFlight.erase(step->name);
            finished.insert(step->name);
            changed.notify_all();
        }
    }

    std::set<std::string> inFlight;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        usage();
        return 2;
    }
    std::string outDir = argv[1];
    std::string generatedDir;
    std::set<std::string> only;
    bool verbose = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--verbose") {
            verbose = true;
        } else if (arg == "--generated" && i + 1 < argc) {
            generatedDir = argv[++i];
        } else if (arg == "--only" && i + 1 < argc) {
            std::string list = argv[++i];
            size_t pos = 0;
            while (pos <= list.size()) {
                const size_t comma = list.find(',', pos);
                only.insert(list.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
                if (comma == std::string::npos) break;
                pos = comma + 1;
            }
        } else {
            usage();
            return 2;
        }
    }
    for (const std::string& name : only) {
        bool known = false;
        for (const GenerationStep& s : kSteps) known |= name == s.name;
        if (!known) {
            std::fprintf(stderr, "assetgen: unknown step '%s'\n", name.c_str());
            usage();
            return 2;
        }
    }
    if (generatedDir.empty()) generatedDir = outDir + "/../generated";

    const assetgen::GenContext ctx{assetgen::OutputDir(outDir), assetgen::OutputDir(generatedDir), verbose};
    Runner runner;
    for (const GenerationStep& s : kSteps)
        if (only.empty() || only.count(s.name)) runner.pending.push_back(&s);

    std::thread helper([&] { runner.work(ctx); });
    runner.work(ctx);
    helper.join();
    return runner.failed ? 1 : 0;
}
