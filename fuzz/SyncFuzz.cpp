// Sync files: loading, then the beat detector over every band at a few times.
#include <cstdio>

#include "FuzzSupport.h"
#include "TempInput.h"
#include "audio/SyncData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    win32::setMessageBoxesInteractive(false);
    const std::string& path = fuzzing::writeTempInput(".sync", data, size);
    SyncData sync;
    if (sync.load(path.c_str())) {
        gBeatDetector = BeatDetector{};
        for (float t : {0.0f, 0.02f, 1.0f, 1e6f}) {
            sync.pulse(0.9f, 0.1f, t, SyncData::kAllBands);
            for (std::uint8_t band = 0; band < BeatDetector::kBands; ++band) sync.bandPulse(0.9f, 0.2f, t, band);
        }
    }
    std::remove(path.c_str());
    return 0;
}
