// Test music: generated tones written as MP3 with libmp3lame, with the encoder's delay
// and padding recorded in the LAME tag so that the decoder returns the exact length.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <lame/lame.h>

namespace testmp3 {

// Interleaved 16-bit samples of a sine (the same on every channel).
inline std::vector<std::int16_t> sine(double hz, double seconds, int rate, int channels, double amplitude = 0.5) {
    auto frames = static_cast<std::size_t>(std::llround(seconds * rate));
    std::vector<std::int16_t> pcm(frames * channels);
    for (std::size_t i = 0; i < frames; ++i) {
        double v = amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c) pcm[i * channels + c] = static_cast<std::int16_t>(std::lround(v * 32767.0));
    }
    return pcm;
}

inline bool writeMp3(const std::string& path, const std::vector<std::int16_t>& pcm, int channels, int rate) {
    lame_global_flags* lame = lame_init();
    if (!lame) return false;
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, 192);
    lame_set_quality(lame, 5);
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return false;
    }
    const int frames = static_cast<int>(pcm.size() / channels);
    std::vector<unsigned char> out(static_cast<std::size_t>(1.25 * frames + 7200) + 16384);
    int n;
    if (channels == 2) {
        n = lame_encode_buffer_interleaved(lame, const_cast<short*>(pcm.data()), frames, out.data(),
                                           static_cast<int>(out.size()));
    } else {
        n = lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, out.data(), static_cast<int>(out.size()));
    }
    if (n < 0) {
        lame_close(lame);
        return false;
    }
    int tail = lame_encode_flush(lame, out.data() + n, static_cast<int>(out.size()) - n);
    out.resize(static_cast<std::size_t>(n + (tail > 0 ? tail : 0)));
    // The tag frame goes first, replacing the placeholder the encoder left there.
    unsigned char tag[4096];
    std::size_t tagSize = lame_get_lametag_frame(lame, tag, sizeof tag);
    lame_close(lame);
    if (tagSize > 0 && tagSize <= out.size()) std::copy(tag, tag + tagSize, out.begin());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace testmp3
