#include "LiveTimeline.h"

#include <algorithm>

#include "ShowHost.h"

namespace tool {

namespace {
constexpr double kFrame = 1.0 / 60.0;
constexpr double kWalkBack = 0.5;  // Page Up this close to a scene start goes one further

// A span holds its end time (the timeline picks the first span whose end is not below t),
// so the first time of a scene lies just after the end of the one before.
constexpr double kAfterEnd = 0.001;

// Past the last span's end (the music runs on a little) still counts as the finale.
int sceneOf(double t) { return t > sceneStart(5) ? 5 : sceneIndexOf(static_cast<float>(t)); }
}  // namespace

double sceneFirstTime(int scene) { return scene <= 0 ? 0.0 : sceneStart(scene) + kAfterEnd; }

double seekTarget(TimeKey key, TimeModifiers mods, bool paused, double now, double length) {
    double target = now;
    const double step = mods.ctrl && paused ? kFrame : mods.shift ? 5.0 : 1.0;
    const int scene = sceneOf(now);
    switch (key) {
    case TimeKey::Back: target = now - step; break;
    case TimeKey::Forward: target = now + step; break;
    case TimeKey::Home: target = 0.0; break;
    case TimeKey::PreviousScene:
        target = sceneFirstTime(scene);
        if (now - target < kWalkBack && scene > 0) target = sceneFirstTime(scene - 1);
        break;
    case TimeKey::NextScene: target = scene < 5 ? sceneFirstTime(scene + 1) : length; break;
    }
    return std::clamp(target, 0.0, std::max(0.0, length));
}

SceneSpan sceneSpanOf(double t, double length) {
    const int scene = sceneOf(t);
    const double end = scene < 5 ? sceneStart(scene + 1) : length;
    const double start = sceneFirstTime(scene);
    return SceneSpan{start, std::max(start, std::min(end, length))};
}

double loopRestart(const SceneSpan& loop, double t) {
    return t >= loop.end || t < loop.start - 1e-6 ? loop.start : -1.0;
}

}  // namespace tool
