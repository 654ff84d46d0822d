// The sync file: spectrum bands 0..7 of the decoded music, 30 records per second, as the
// program's capture would record them (see Sync.cpp for the sampling rule).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace assetgen {

constexpr int kSyncBands = 8;
constexpr int kSyncRate = 30;

using SyncRecord = std::array<float, kSyncBands>;

// Header count for a stream of the given length: whole seconds of (length - 0.05 s), x 30.
int32_t syncSampleCount(float lengthSeconds);
// Records k = 0..count-1 from the spectrum at frame round(k * 44100 / 30).
std::vector<SyncRecord> computeSyncRecords(const std::vector<int16_t>& stereo, int rate, int32_t count);
std::vector<uint8_t> encodeSyncFile(const std::vector<SyncRecord>& records);

// Prints how the bands serve the scenes: cut triggers, beat pulses, quiet gaps.
void printSyncStatistics(const std::vector<SyncRecord>& records);

}  // namespace assetgen
