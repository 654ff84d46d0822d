// Effect files are untrusted text and the stack is small: every stage that recurses over
// that text stops at one depth and says so ("... nests too deeply"), instead of running
// off the end of the stack. Written effects nest a few levels; fxc refuses far less.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/d3dx9/effect/EffectLexer.h"

namespace fx {

constexpr int kMaxNesting = 128;
// Struct types within struct types, as parameters and as their reflected members.
constexpr int kMaxStructDepth = 8;

// One level of a recursive reader for as long as it lives.
class NestingLevel {
public:
    explicit NestingLevel(int& depth) : depth_(depth) { ++depth_; }
    ~NestingLevel() { --depth_; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
    bool tooDeep() const { return depth_ > kMaxNesting; }

private:
    int& depth_;
};

// The first token that opens a bracket deeper than kMaxNesting, or that lengthens a chain
// of prefix operators and casts (`- - -x`, `(float)(int)x`) past it; npos when none does.
// The parser checks the whole file with it once, so that neither its own readers nor the
// shader compiler ever meet such text.
std::size_t tooDeeplyNested(const std::vector<Token>& tokens);

}  // namespace fx
