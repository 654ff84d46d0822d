// What the three track kinds share: finding the keys for a time, and reading a key array
// from a stream without trusting the count it claims.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

namespace tracks {

// Where time t falls: blend keys `index` and `index` + 1 by `fraction`, or (blend false)
// return the last key as it is.
struct KeyPosition {
    std::uint32_t index;
    float fraction;
    bool blend;
};
KeyPosition locate(float t, std::uint32_t count);

// Reads the key count (when n is 0) and checks that `keySize` x count bytes can still come
// from the stream. Refusals are reported in a message box and leave the stream where it
// was. On success `count` holds the number of keys to read.
bool readKeyCount(std::FILE* stream, std::uint32_t n, std::size_t keySize,
                  std::uint32_t& count);

// A zero-filled array of n keys, or null after reporting that it could not be had.
void* allocateKeys(std::size_t keySize, std::uint32_t n);

// Reads up to n keys; keys the stream could not deliver stay zero. True when all came.
bool readKeyBytes(std::FILE* stream, void* keys, std::size_t keySize, std::uint32_t n);

// The shared body of readFrom for every key type: the caller has already made the track
// empty.
template <class Key>
bool readTrack(std::FILE* stream, std::uint32_t n, std::uint32_t& count, Key*& keys) {
    std::uint32_t wanted = 0;
    if (!readKeyCount(stream, n, sizeof(Key), wanted)) return false;
    if (wanted == 0) return true;
    Key* array = static_cast<Key*>(allocateKeys(sizeof(Key), wanted));
    if (!array) return false;
    keys = array;
    count = wanted;
    return readKeyBytes(stream, array, sizeof(Key), wanted);
}

template <class Key>
void freeKeys(std::uint32_t& count, Key*& keys) {
    ::operator delete[](static_cast<void*>(keys), std::nothrow);
    keys = nullptr;
    count = 0;
}

}  // namespace tracks
