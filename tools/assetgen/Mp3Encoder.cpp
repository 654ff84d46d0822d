#include "Mp3Encoder.h"

#include <cstdio>
#include <cstring>

#include <lame/lame.h>

#include "Synth.h"

namespace assetgen {

std::vector<uint8_t> encodeMp3(const std::vector<float>& left, const std::vector<float>& right, int kbps) {
    std::vector<uint8_t> out;
    if (left.size() != right.size()) return out;
    lame_global_flags* gf = lame_init();
    if (!gf) return out;
    lame_set_in_samplerate(gf, kSampleRate);
    lame_set_out_samplerate(gf, kSampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_brate(gf, kbps);
    lame_set_quality(gf, 5);
    lame_set_write_id3tag_automatic(gf, 0);
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        std::fprintf(stderr, "assetgen: lame_init_params failed\n");
        lame_close(gf);
        return out;
    }
    constexpr int kChunk = 8192;
    std::vector<unsigned char> buffer(kChunk * 5 / 4 + 7200);
    for (size_t pos = 0; pos < left.size(); pos += kChunk) {
        const int count = static_cast<int>(std::min<size_t>(kChunk, left.size() - pos));
        const int bytes = lame_encode_buffer_ieee_float(gf, left.data() + pos, right.data() + pos, count,
                                                        buffer.data(), static_cast<int>(buffer.size()));
        if (bytes < 0) {
            std::fprintf(stderr, "assetgen: lame encoding failed (%d)\n", bytes);
            lame_close(gf);
            return {};
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
    }
    const int tail = lame_encode_flush(gf, buffer.data(), static_cast<int>(buffer.size()));
    if (tail > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + tail);
    // The first frame was written as a placeholder for the info tag; fill it in now.
    unsigned char tag[2880];
    const size_t tagSize = lame_get_lametag_frame(gf, tag, sizeof tag);
    if (tagSize > 0 && tagSize <= out.size()) std::memcpy(out.data(), tag, tagSize);
    lame_close(gf);
    return out;
}

}  // namespace assetgen
