// The generation steps. Each kind of asset lives in its own file and adds one step here;
// main.cpp runs them in list order on two threads, a step starting only once the step it
// names in `after` has finished.
#pragma once

#include <string>

#include "OutputDir.h"

namespace assetgen {

struct GenContext {
    OutputDir data;       // the Tindermoot folder
    OutputDir generated;  // build inputs for other targets (the dialog bitmap)
    bool verbose = false;
};

struct GenerationStep {
    const char* name;
    bool (*run)(const GenContext&);
    const char* after;  // name of a step whose files this one reads, or nullptr
};

bool generateMusic(const GenContext& ctx);     // Pellmoor.mp3
bool generateSync(const GenContext& ctx);      // Rari.sync, from the decoded Pellmoor.mp3
bool generateFloorPictures(const GenContext& ctx);
bool generateOverlays(const GenContext& ctx);
bool generateTitles(const GenContext& ctx);
bool generateIcons(const GenContext& ctx);   // desktop icons, into `generated`
bool generatePortraits(const GenContext& ctx);
bool generateGreetings(const GenContext& ctx);
bool generateLoadingPicture(const GenContext& ctx);
bool generateSetupBitmap(const GenContext& ctx);
bool generateMeshes(const GenContext& ctx);  // the dancer, the box, the light curtain
bool generateScenes(const GenContext& ctx);  // Floor, tun and planb scenes with their nodes

}  // namespace assetgen
