// Rari.sync, computed from the MP3 exactly as the player decodes it, so the bands line up
// with what is heard (decoder delay and padding included).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Loudness.h"
#include "Steps.h"
#include "SyncFile.h"
#include "platform/bass/spectrum.h"

namespace assetgen {

int32_t syncSampleCount(float lengthSeconds) {
    const float trimmed = lengthSeconds - 0.05f;
    if (!(trimmed > 0.0f)) return 0;
    return static_cast<int32_t>(trimmed) * kSyncRate;
}

std::vector<SyncRecord> computeSyncRecords(const std::vector<int16_t>& stereo, int rate, int32_t count) {
    std::vector<SyncRecord> records(count > 0 ? static_cast<size_t>(count) : 0);
    const size_t frames = stereo.size() / 2;
    float bins[bass::kFftBins];
    for (size_t k = 0; k < records.size(); ++k) {
        const size_t position = static_cast<size_t>(std::llround(static_cast<double>(k) * rate / kSyncRate));
        bass::spectrum512(stereo.data(), frames, position, bins);
        for (int j = 0; j < kSyncBands; ++j) records[k][j] = bins[j];
    }
    return records;
}

std::vector<uint8_t> encodeSyncFile(const std::vector<SyncRecord>& records) {
    const int32_t header[2] = {static_cast<int32_t>(records.size()), kSyncBands};
    std::vector<uint8_t> out(sizeof header + records.size() * sizeof(SyncRecord));
    std::memcpy(out.data(), header, sizeof header);  // the build machine is little-endian, as the format
    if (!records.empty()) std::memcpy(out.data() + sizeof header, records.data(), records.size() * sizeof(SyncRecord));
    return out;
}

bool generateSync(const GenContext& ctx) {
    const std::string path = (ctx.data.root() / "Pellmoor.mp3").string();
    std::vector<int16_t> stereo;
    int rate = 0;
    if (!bass::decodeMp3(path.c_str(), stereo, rate) || rate <= 0) {
        std::fprintf(stderr, "assetgen: cannot decode %s\n", path.c_str());
        return false;
    }
    const float lengthSeconds = static_cast<float>(stereo.size() / 2) / static_cast<float>(rate);
    const std::vector<SyncRecord> records = computeSyncRecords(stereo, rate, syncSampleCount(lengthSeconds));
    if (ctx.verbose) {
        std::printf("sync: decoded %.4f s at %d Hz, %zu records\n", lengthSeconds, rate, records.size());
        // The figures of what the player hears, beside the cut counts they drive.
        printLoudness("sync: decoded music", measureLoudness(stereo, rate));
        printSyncStatistics(records);
    }
    return ctx.data.writeBytes("Rari.sync", encodeSyncFile(records));
}

}  // namespace assetgen
