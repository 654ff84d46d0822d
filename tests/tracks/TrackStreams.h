// Streams of raw bytes for the track tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

// A temporary file holding `bytes`, positioned at its start.
inline std::FILE* streamOf(const std::vector<unsigned char>& bytes) {
    std::FILE* f = std::tmpfile();
    EXPECT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

template <class T>
void append(std::vector<unsigned char>& bytes, const T& value) {
    const auto* p = reinterpret_cast<const unsigned char*>(&value);
    bytes.insert(bytes.end(), p, p + sizeof(T));
}

// Fills a track of any kind with `keys` the way a loader does, through readFrom.
template <class Track, class Key>
void fill(Track& track, std::initializer_list<Key> keys) {
    std::vector<unsigned char> bytes;
    for (const Key& k : keys) append(bytes, k);
    std::FILE* f = streamOf(bytes);
    EXPECT_TRUE(track.readFrom(f, static_cast<std::uint32_t>(keys.size())));
    std::fclose(f);
}
