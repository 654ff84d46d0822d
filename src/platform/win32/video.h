// SDL's video subsystem, started the same way by every part of the platform layer.
#pragma once

namespace win32 {

// Starts SDL's video subsystem (each call is one SDL_InitSubSystem reference, to be
// matched by SDL_QuitSubSystem). With an X display and no driver named in
// SDL_VIDEODRIVER, X11 is asked for first: left to itself, SDL now and then settles on
// its screenless offscreen driver even though the X server is there. False when no
// driver starts.
bool startVideo();

}  // namespace win32
