#include "assets/FileChecks.h"

#include <cstdarg>
#include <cstring>

#include "platform/win32/messagebox.h"

bool FileCheck::fail(std::size_t atOffset, const char* format, ...) {
    if (!ok) return false;
    ok = false;
    offset = atOffset;
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    return false;
}

void FileCheck::describe(char* out, std::size_t outSize) const {
    if (ok)
        std::snprintf(out, outSize, "OK");
    else if (line > 0)
        std::snprintf(out, outSize, "line %u: %s", line, message);
    else
        std::snprintf(out, outSize, "%s at byte %zu", message, offset);
}

bool ByteReader::skip(std::size_t n) {
    if (remaining() < n) return false;
    pos += n;
    return true;
}

bool ByteReader::u16(std::uint16_t& value) {
    if (remaining() < 2) return false;
    value = static_cast<std::uint16_t>(data[pos] | (data[pos + 1] << 8));
    pos += 2;
    return true;
}

bool ByteReader::u32(std::uint32_t& value) {
    if (remaining() < 4) return false;
    value = static_cast<std::uint32_t>(data[pos]) | (static_cast<std::uint32_t>(data[pos + 1]) << 8) |
            (static_cast<std::uint32_t>(data[pos + 2]) << 16) |
            (static_cast<std::uint32_t>(data[pos + 3]) << 24);
    pos += 4;
    return true;
}

bool ByteReader::f32(float& value) {
    std::uint32_t bits = 0;
    if (!u32(bits)) return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool readWholeStream(std::FILE* stream, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (!stream || std::fseek(stream, 0, SEEK_SET) != 0) return false;
    std::uint8_t chunk[16384];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, stream);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) break;
    }
    return !std::ferror(stream);
}

void reportBadFile(const char* path, const FileCheck& check) {
    char where[320];
    check.describe(where, sizeof where);
    char text[1024];
    std::snprintf(text, sizeof text, "%s: %s", path ? path : "", where);
    MessageBoxA(nullptr, text, "Bad Data File", MB_OK);
}
