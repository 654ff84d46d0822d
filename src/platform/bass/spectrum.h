// The audio stand-in's decoding and spectrum as plain functions, so that offline tools
// compute exactly what a capture through BASS_ChannelGetData records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace bass {

constexpr std::size_t kFftSize = 512;
constexpr std::size_t kFftBins = kFftSize / 2;

// 256 magnitudes of a 512-point real FFT of the mono mix ((L + R) / 2, full scale 1.0) of
// the 512 frames before positionFrame; frames before the start or past the end count as
// silence. Bin 0 is the constant component, bin k sits at k/512 of the sample rate.
// Scale: magnitudes are |X[k]| * 2/512, so a full-scale sine centred on a bin reads 1.0
// without the window and 0.5 with the (periodic) Hann window, whose coherent gain is 0.5.
// No heap allocation after the first call.
void spectrum512(const std::int16_t* stereoFrames, std::size_t frameCount, std::size_t positionFrame,
                 float out[kFftBins], bool hannWindow = true);

// Decodes a whole MP3 into interleaved 16-bit stereo at the file's sample rate (mono is
// duplicated to both channels). Backslashes in the path are taken as separators.
// False (and nothing decoded) when the file cannot be opened or holds no audio.
bool decodeMp3(const char* path, std::vector<std::int16_t>& stereo, int& rate);
// The same from MP3 bytes in memory.
bool decodeMp3Memory(const unsigned char* data, std::size_t size, std::vector<std::int16_t>& stereo, int& rate);

// A whole-file decode on a thread of its own, so that loading goes on meanwhile (a show's
// music takes a few hundred milliseconds). start() decodes the first samples itself and
// is false, with nothing running, when there are none; wait() joins and hands over what
// decodeMp3 would have given.
class Mp3Decode {
public:
    Mp3Decode() = default;
    ~Mp3Decode();
    Mp3Decode(const Mp3Decode&) = delete;
    Mp3Decode& operator=(const Mp3Decode&) = delete;
    bool start(const char* path);
    bool wait(std::vector<std::int16_t>& stereo, int& rate);

private:
    std::vector<std::int16_t> stereo_;
    int rate_ = 0;
    std::thread worker_;
};

}  // namespace bass
