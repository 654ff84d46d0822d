// Inside the audio stand-in: the streams, the output (an SDL device or a silent clock)
// and the heard position. Shared by the API functions and the device callback, under
// one mutex.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include <SDL.h>

#include "platform/bass/spectrum.h"
#include "platform/win32/win32types.h"

namespace bass::detail {

using Clock = std::chrono::steady_clock;

struct Stream {
    DWORD handle = 0;
    std::vector<std::int16_t> pcm;  // interleaved stereo frames
    std::size_t frames = 0;
    // A decode still running: pcm and frames are empty until findStream takes its result.
    std::unique_ptr<bass::Mp3Decode> decoding;
    int rate = 44100;
    int volume = 100;  // 0..100
    int pan = 0;       // -100..100, kept but not applied
    bool playing = false;  // started and not yet played to its end

    // The heard position: anchorFrame at anchorTime, advancing at the stream's rate while
    // playing. With a device, it may not run past fedEnd, the end of what was handed over.
    double anchorFrame = 0.0;
    Clock::time_point anchorTime{};
    double fedEnd = 0.0;
    double feedFrame = 0.0;  // the device callback's read cursor
};

struct Player {
    std::mutex mutex;
    bool initialized = false;
    int outputRate = 44100;
    SDL_AudioDeviceID device = 0;  // 0: silent output over the monotonic clock
    bool sdlAudioStarted = false;
    bool outputPaused = false;
    std::vector<std::unique_ptr<Stream>> streams;
    DWORD nextHandle = 0x10001;
    std::vector<std::int32_t> mix;  // the callback's accumulator, sized when the device opens
    bool driven = false;
    double drivenSeconds = 0.0;
};

Player& player();
// The stream of a handle, its decode finished (waited for if still running); the caller
// holds the mutex.
Stream* findStream(Player& p, DWORD handle);
// The heard position in frames now; marks the stream ended once it reaches the end.
double heardFrame(Player& p, Stream& s, Clock::time_point now);
// Moves the heard position (and the feed) to a frame.
void placeStream(Player& p, Stream& s, double frame, Clock::time_point now);
// Opens the SDL device at the player's output rate; false leaves the output silent.
bool openDevice(Player& p);
void closeDevice(Player& p);

}  // namespace bass::detail
