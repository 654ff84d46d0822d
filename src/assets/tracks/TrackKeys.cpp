#include "assets/tracks/TrackKeys.h"

#include <bit>
#include <cinttypes>

#include "assets/tracks/Tracks.h"
#include "platform/win32/messagebox.h"

static_assert(std::endian::native == std::endian::little,
              "track files hold little-endian floats, read as they are");

namespace tracks {
namespace {

// Streams that cannot tell their length (pipes) may still deliver no more than this.
constexpr std::uint64_t kUnseekableLimit = 256u << 20;

constexpr const char* kCaption = "Problems With File";

// Bytes from the current position to the end, or -1 when the stream cannot seek.
long long bytesLeft(std::FILE* stream) {
    const long here = std::ftell(stream);
    if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(stream);
    std::fseek(stream, here, SEEK_SET);
    if (end < here) return -1;
    return static_cast<long long>(end) - here;
}

}  // namespace

KeyPosition locate(float t, std::uint32_t count) {
    float x = t * TRACK_KEYS_PER_SECOND;
    // Negative times (and NaN) are outside what callers pass; they get the first key
    // rather than an undefined conversion.
    if (!(x >= 0.0f)) x = 0.0f;
    if (x >= 4294967296.0f) return {0, 0.0f, false};
    const std::uint32_t i = static_cast<std::uint32_t>(x);
    if (static_cast<std::uint64_t>(i) + 2 <= count) return {i, x - static_cast<float>(i), true};
    return {0, 0.0f, false};
}

bool readKeyCount(std::FILE* stream, std::uint32_t n, std::size_t keySize,
                  std::uint32_t& count) {
    count = 0;
    if (!stream) return false;
    const long start = std::ftell(stream);
    std::uint32_t claimed = n;
    if (n == 0) {
        unsigned char raw[4];
        if (std::fread(raw, 1, sizeof raw, stream) != sizeof raw) {
            MessageBoxA(nullptr, "File ends before the key count of a track", kCaption, MB_OK);
            if (start >= 0) std::fseek(stream, start, SEEK_SET);
            return false;
        }
        std::memcpy(&claimed, raw, sizeof claimed);
    }
    const std::uint64_t needed = static_cast<std::uint64_t>(claimed) * keySize;
    const long long left = bytesLeft(stream);
    const bool fits = left >= 0 ? needed <= static_cast<std::uint64_t>(left)
                                : needed <= kUnseekableLimit;
    if (!fits) {
        char text[160];
        if (left >= 0) {
            std::snprintf(text, sizeof text,
                          "Track claims %" PRIu32 " keys (%" PRIu64
                          " bytes) but the file holds only %lld more bytes",
                          claimed, needed, left);
        } else {
            std::snprintf(text, sizeof text,
                          "Track claims %" PRIu32 " keys (%" PRIu64 " bytes), more than a stream may hold",
                          claimed, needed);
        }
        MessageBoxA(nullptr, text, kCaption, MB_OK);
        if (start >= 0) std::fseek(stream, start, SEEK_SET);
        return false;
    }
    count = claimed;
    return true;
}

void* allocateKeys(std::size_t keySize, std::uint32_t n) {
    const std::size_t bytes = keySize * n;
    void* keys = ::operator new[](bytes, std::nothrow);
    if (!keys) {
        char text[128];
        std::snprintf(text, sizeof text, "Out of memory for %" PRIu32 " track keys", n);
        MessageBoxA(nullptr, text, kCaption, MB_OK);
        return nullptr;
    }
    std::memset(keys, 0, bytes);
    return keys;
}

bool readKeyBytes(std::FILE* stream, void* keys, std::size_t keySize, std::uint32_t n) {
    const std::size_t bytes = keySize * n;
    const std::size_t got = std::fread(keys, 1, bytes, stream);
    if (got == bytes) return true;
    // Clear the partly read key too, so every unread key is exactly zero.
    const std::size_t whole = got / keySize * keySize;
    std::memset(static_cast<unsigned char*>(keys) + whole, 0, bytes - whole);
    return false;
}

}  // namespace tracks
