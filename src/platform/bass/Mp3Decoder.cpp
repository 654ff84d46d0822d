// Whole-file MP3 decoding with libmpg123 into 16-bit stereo.
#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>

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

// Reads decoded audio until the decoder has no more (or, with firstOnly, until the first
// samples came out); the first format is the stream's. foundRate keeps that format across
// calls on the same decoder.
void drain(mpg123_handle* mh, std::vector<std::int16_t>& stereo, long& foundRate, bool firstOnly = false) {
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
            if (firstOnly) return;
        }
        if (rc == MPG123_OK || rc == MPG123_NEW_FORMAT) continue;
        return;  // MPG123_DONE, MPG123_NEED_MORE (end of fed data) or an error
    }
}

// The end of a decode: whole frames only, and nothing unless there was audio.
bool finish(std::vector<std::int16_t>& stereo, long foundRate, int& rate) {
    stereo.resize(stereo.size() / 2 * 2);
    if (foundRate <= 0 || stereo.empty()) {
        stereo.clear();
        return false;
    }
    rate = static_cast<int>(foundRate);
    return true;
}

bool drainAll(mpg123_handle* mh, std::vector<std::int16_t>& stereo, int& rate) {
    long foundRate = 0;
    drain(mh, stereo, foundRate);
    return finish(stereo, foundRate, rate);
}

std::string nativePath(const char* path) {
    std::string native(path);
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

}  // namespace

bool decodeMp3(const char* path, std::vector<std::int16_t>& stereo, int& rate) {
    stereo.clear();
    if (!path) return false;
    mpg123_handle* mh = newDecoder();
    if (!mh) return false;
    bool ok = false;
    if (mpg123_open(mh, nativePath(path).c_str()) == MPG123_OK) {
        ok = drainAll(mh, stereo, rate);
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
        if (mpg123_feed(mh, data, size) == MPG123_OK) ok = drainAll(mh, stereo, rate);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return ok;
}

Mp3Decode::~Mp3Decode() {
    if (worker_.joinable()) worker_.join();
}

bool Mp3Decode::start(const char* path) {
    if (!path || worker_.joinable()) return false;
    mpg123_handle* mh = newDecoder();
    if (!mh) return false;
    if (mpg123_open(mh, nativePath(path).c_str()) != MPG123_OK) {
        mpg123_delete(mh);
        return false;
    }
    // The first samples say whether this is music at all, and at which rate.
    long foundRate = 0;
    drain(mh, stereo_, foundRate, true);
    if (foundRate <= 0 || stereo_.empty()) {
        mpg123_close(mh);
        mpg123_delete(mh);
        stereo_.clear();
        return false;
    }
    rate_ = static_cast<int>(foundRate);
    // The length in the header (or an estimate) saves the copies of a growing buffer. A
    // header can claim anything: no more than ten minutes are reserved ahead.
    const off_t estimate = mpg123_length(mh);
    const off_t tenMinutes = static_cast<off_t>(foundRate) * 600;
    if (estimate > 0) stereo_.reserve(2 * static_cast<std::size_t>(std::min(estimate, tenMinutes)) + 65536);
    worker_ = std::thread([this, mh, foundRate]() mutable {
        drain(mh, stereo_, foundRate);
        mpg123_close(mh);
        mpg123_delete(mh);
    });
    return true;
}

bool Mp3Decode::wait(std::vector<std::int16_t>& stereo, int& rate) {
    if (!worker_.joinable()) return false;
    worker_.join();
    stereo = std::move(stereo_);
    stereo_.clear();
    return finish(stereo, rate_, rate);
}

}  // namespace bass
