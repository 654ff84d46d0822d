// MP3 encoding through libmp3lame, with the LAME info frame filled in so that decoders
// can trim the encoder's delay and padding and play exactly the samples given.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

// Stereo float input at 44.1 kHz; returns the file bytes, empty on failure.
std::vector<uint8_t> encodeMp3(const std::vector<float>& left, const std::vector<float>& right, int kbps);

}  // namespace assetgen
