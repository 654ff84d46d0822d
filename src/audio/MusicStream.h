// The one music stream of the show: its playback position is the show's clock.
#pragma once

#include "platform/bass/bass.h"

class MusicStream {
public:
    DWORD handle = 0;

    void open(const char* path);
    void release();
    void play(int volume);
    float positionSeconds() const;
    float lengthSeconds() const;
    void seekSeconds(float seconds);
    // 256 magnitudes of the 512-sample FFT at the playing position.
    void spectrum(float* out512) const;
    void pauseOutput();
    void resumeOutput();
    // The playback keys, once per frame: I, O, J, K, N, M in that order.
    void pollPlaybackKeys();
};
