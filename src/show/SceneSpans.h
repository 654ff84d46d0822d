// The show's six scenes in the order they play: the name the tools give each, and where
// its span of music time ends. The show picks the scene it draws from this table, the
// tool names and times scenes by it, and the plot marks its bounds.
#pragma once

namespace show {

struct SceneSpan {
    const char* name;
    // Upper bound in music seconds, compared as a single-precision value: a scene owns
    // the times above the previous bound up to and including its own.
    float end;
};

inline constexpr int kSceneCount = 6;
inline constexpr SceneSpan kScenes[kSceneCount] = {
    {"floor intro", 29.2f}, {"disco dancers", 58.8f}, {"tunnel", 73.6f},
    {"box room", 103.4f},   {"equalizer", 129.9f},    {"finale", 160.0f},
};

// Index of the scene that draws time t. Past the last span the show starts over with
// its first scene.
constexpr int sceneAt(float t) {
    for (int i = 0; i < kSceneCount; ++i)
        if (!(t > kScenes[i].end)) return i;
    return 0;
}

// Where the span of scene `index` starts (0 for the first).
constexpr float sceneSpanStart(int index) { return index <= 0 ? 0.0f : kScenes[index - 1].end; }

}  // namespace show
