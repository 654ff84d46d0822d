// Locating a track's keys in a file without trusting the counts it states.
#pragma once

#include "assets/FileChecks.h"

// Reads the span of one track at the reader's position: with a given count `n` the keys
// follow directly; with n = 0 a uint32 count comes first. When `mayEnd` is set and n is 0,
// data that ends right here means an empty track. False (with the fault recorded) when
// the count or the keys do not fit what the data still holds.
bool readTrackSpan(ByteReader& reader, std::uint32_t n, std::size_t keySize, bool mayEnd,
                   const char* what, TrackSpan& span, FileCheck& check);
