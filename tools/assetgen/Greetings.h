// The greeted groups (all invented), in the order of the cells of marrowby.png.
#pragma once

namespace assetgen {

constexpr int kGreetingCount = 16;
extern const char* const kGreetedGroups[kGreetingCount];

}  // namespace assetgen
