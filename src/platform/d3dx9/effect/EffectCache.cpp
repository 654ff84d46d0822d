#include "platform/d3dx9/effect/EffectCache.h"

#include <list>
#include <mutex>
#include <unordered_map>

#include "platform/d3dx9/effect/CompiledEffect.h"

namespace fx {
namespace {

// What an entry keeps alive: its key, its messages and the texts of its effect, which
// outweigh the rest of it.
std::size_t footprint(const std::string& key, const CachedEffect& value) {
    std::size_t bytes = key.size() + value.errors.size() + sizeof(CachedEffect) + 256;
    if (const CompiledEffect* e = value.effect.get()) {
        bytes += sizeof(CompiledEffect) + e->description.hlsl.size() + e->description.generatedHlsl.size();
        for (const CompiledProgram& p : e->programs)
            bytes += sizeof p + p.vertexGlsl.size() + p.fragmentGlsl.size() +
                     p.members.size() * sizeof(UniformMember) + p.samplers.size() * sizeof(SamplerBinding);
        bytes += e->description.parameters.size() * sizeof(Parameter);
    }
    return bytes;
}

struct Entry {
    CachedEffect value;
    std::size_t bytes = 0;
    std::list<std::string>::iterator age;  // its place in `order`
};

struct Cache {
    std::mutex mutex;
    std::unordered_map<std::string, Entry> entries;
    std::list<std::string> order;  // most recently used first
    std::size_t bytes = 0;
    std::size_t limit = kDefaultEffectCacheLimit;

    void trim() {
        while (bytes > limit && !order.empty()) {
            auto found = entries.find(order.back());
            bytes -= found->second.bytes;
            entries.erase(found);
            order.pop_back();
        }
    }
};

Cache& cache() {
    static Cache c;
    return c;
}

}  // namespace

bool findCachedEffect(const std::string& key, CachedEffect& out) {
    Cache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    auto found = c.entries.find(key);
    if (found == c.entries.end()) return false;
    c.order.splice(c.order.begin(), c.order, found->second.age);
    out = found->second.value;
    return true;
}

void cacheEffect(const std::string& key, CachedEffect value) {
    Cache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    const std::size_t bytes = footprint(key, value) + key.size();  // the key is held twice
    if (c.entries.count(key) || bytes > c.limit) return;
    c.order.push_front(key);
    c.entries.emplace(key, Entry{std::move(value), bytes, c.order.begin()});
    c.bytes += bytes;
    c.trim();
}

void setEffectCacheLimit(std::size_t bytes) {
    Cache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.limit = bytes;
    c.trim();
}

std::size_t effectCacheBytes() {
    Cache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.bytes;
}

}  // namespace fx
