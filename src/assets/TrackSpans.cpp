#include "assets/TrackSpans.h"

bool readTrackSpan(ByteReader& reader, std::uint32_t n, std::size_t keySize, bool mayEnd,
                   const char* what, TrackSpan& span, FileCheck& check) {
    span = TrackSpan{};
    std::uint32_t count = n;
    if (n == 0) {
        if (mayEnd && reader.remaining() == 0) {
            span.keysOffset = reader.pos;
            return true;
        }
        const std::size_t at = reader.pos;
        if (!reader.u32(count))
            return check.fail(at, "file ends inside the key count of the %s track", what);
    }
    const std::uint64_t bytes = static_cast<std::uint64_t>(count) * keySize;
    if (bytes > reader.remaining())
        return check.fail(reader.pos,
                          "%s track claims %u keys (%llu bytes) but only %zu bytes remain", what,
                          count, static_cast<unsigned long long>(bytes), reader.remaining());
    span.keysOffset = reader.pos;
    span.count = count;
    reader.pos += static_cast<std::size_t>(bytes);
    return true;
}
