// PLACEHOLDER until the real show lands: clears the screen to a colour that follows the
// music time, so that the program around it (dialog, window, frame loop, keys, outro)
// can run for real.
#pragma once

#include "audio/MusicStream.h"

class Show {
public:
    MusicStream music;

    Show() = default;
    ~Show();
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;

    void load();
    void renderFrame(float t);
    void renderOutro(float t);
};
