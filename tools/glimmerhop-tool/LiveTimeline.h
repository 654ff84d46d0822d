// Moving about in the show while it plays in the live tool: where each key leads, the
// scene spans, and the loop over one scene.
#pragma once

namespace tool {

// The keys of the live window that move in time.
enum class TimeKey { Back, Forward, PreviousScene, NextScene, Home };

struct TimeModifiers {
    bool shift = false;
    bool ctrl = false;
};

// The music time a key leads to from `now`, kept inside 0..length. Left/Right step 1 s,
// with Shift 5 s, with Ctrl one frame (1/60 s) but only while paused (playing, Ctrl
// steps as the plain key). Page Up goes to the start of the scene `now` is in, or of the
// one before when `now` is within half a second of that start (so that pressing it twice
// walks back); Page Down to the next scene's start; Home to 0.
double seekTarget(TimeKey key, TimeModifiers modifiers, bool paused, double now, double length);

// The first time that scene `scene` (0..5) draws.
double sceneFirstTime(int scene);

// The span [start, end) of the scene that draws `t`.
struct SceneSpan {
    double start;
    double end;
};
SceneSpan sceneSpanOf(double t, double length);

// Looping one scene: after `t` reached the loop's end, where to go back to (negative:
// nowhere, keep playing).
double loopRestart(const SceneSpan& loop, double t);

}  // namespace tool
