// Whole-file MP3 decoding with libmpg123 into 16-bit stereo.
#include <cstdio>
#include <string>

#include <mpg123.h>

#include "platform/bass/spectrum.h"

namespace bass {
namespace {

bool libraryReady() {
    static const bool ready = mpg123_init() == MPG123_OK;
    return ready;
}

mpg123_handle* newDecoder() {
    if (!libraryReady()) return nullptr;
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    if (!mh) return nullptr;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
    // Accept every rate, but only 16-bit signed stereo, so that no conversion is needed later.
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return mh;
}

// Reads decoded audio until the decoder has no more; the first format is the stream's.
bool drain(mpg123_handle* mh, std::vector<std::int16_t>& stereo, int& rate) {
    long foundRate = 0;
    unsigned char buffer[32768];
    for (;;) {
        size_t done = 0;
        int rc = mpg123_read(mh, buffer, sizeof buffer, &done);
        if (rc == MPG123_NEW_FORMAT) {
            int channels = 0, encoding = 0;
            long r = 0;
            mpg123_getformat(mh, &r, &channels, &encoding);
            if (foundRate == 0) foundRate = r;
        }
        if (done > 0) {
            const auto* samples = reinterpret_cast<const std::int16_t*>(buffer);
            stereo.insert(stereo.end(), samples, samples + done / sizeof(std::int16_t));
        }
        if (rc == MPG123_OK || rc == MPG123_NEW_FORMAT) continue;
        break;  // MPG123_DONE, MPG123_NEED_MORE (end of fed data) or an error
    }
    stereo.resize(stereo.size() / 2 * 2);
    if (foundRate <= 0 || stereo.empty()) {
        stereo.clear();
        return false;
    }
    rate = static_cast<int>(foundRate);
    return true;
}

}  // namespace

bool decodeMp3(const char* path, std::vector<std::int16_t>& stereo, int& rate) {
    stereo.clear();
    if (!path) return false;
    std::string native(path);
    for (char& c : native)
        if (c == '\\') c = '/';
    mpg123_handle* mh = newDecoder();
    if (!mh) return false;
    bool ok = false;
    if (mpg123_open(mh, native.c_str()) == MPG123_OK) {
        ok = drain(mh, stereo, rate);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return ok;
}

bool decodeMp3Memory(const unsigned char* data, std::size_t size, std::vector<std::int16_t>& stereo, int& rate) {
    stereo.clear();
    if (!data || size == 0) return false;
    mpg123_handle* mh = newDecoder();
    if (!mh) return false;
    bool ok = false;
    if (mpg123_open_feed(mh) == MPG123_OK) {
        if (mpg123_feed(mh, data, size) == MPG123_OK) ok = drain(mh, stereo, rate);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return ok;
}

}  // namespace bass
