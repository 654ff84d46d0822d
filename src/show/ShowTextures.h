// The show's named pictures: (file, name) pairs, then a null file path.
#pragma once

namespace show {
extern const char* const kShowTextureList[];
constexpr int kShowTextureCount = 28;
}  // namespace show
