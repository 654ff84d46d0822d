// The compiled effects of this process, kept so that loading the same text again costs a
// lookup. Bounded by bytes: the live preview compiles a new text at every save, and the
// effects used least recently make room for it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace fx {

struct CompiledEffect;

struct CachedEffect {
    std::shared_ptr<const CompiledEffect> effect;  // null for a file that failed
    std::string errors;
};

// True with `out` filled when `key` is held; it becomes the most recently used.
bool findCachedEffect(const std::string& key, CachedEffect& out);
// Keeps `value` under `key`, dropping the least recently used until the cache fits.
void cacheEffect(const std::string& key, CachedEffect value);

// The show's effects and a workbench's recent saves fit many times over.
constexpr std::size_t kDefaultEffectCacheLimit = std::size_t{16} << 20;

// The bound (kDefaultEffectCacheLimit unless set) and what the cache holds now, by the
// same count.
void setEffectCacheLimit(std::size_t bytes);
std::size_t effectCacheBytes();

}  // namespace fx
