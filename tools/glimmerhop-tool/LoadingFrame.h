// The loading picture at a given fade, drawn with the show's own loading effect,
// texture and quad, for the loading frames of a captured run. Show::load draws the same
// picture, but times its fade by the wall clock; a capture needs it at fixed steps.
#pragma once

class Show;

namespace tool {
void drawLoadingFrame(Show& show, float fade);
}  // namespace tool
