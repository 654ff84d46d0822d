// The audio library calls over the player. Choices where the library's own behaviour is
// not pinned down:
// - Devices: -1 (default) and 1 (the first real output) play through SDL; 0 is "no sound".
//   Any other number fails. Without a usable sound device (SDL audio fails to start,
//   GLIMMERHOP_SILENT=1, SDL_AUDIODRIVER=dummy, device 0 or the driven clock) the output is
//   a silent clock that still keeps real time, and BASS_Init succeeds.
// - A second BASS_Init without BASS_Free fails, as the library does.
// - An unknown or 0 handle: lengths and byte conversions give 0xFFFFFFFFFFFFFFFF,
//   positions 0, seconds -1.0f, data requests 0xFFFFFFFF, everything else FALSE.
// - Byte positions are 4 bytes per frame; seconds convert to the nearest whole frame.
//   A seek past the length lands on the length (the stream has then ended); a byte
//   position above 2^63 (a negative time converted to bytes) is refused: FALSE, the
//   position stays.
// - BASS_StreamPlay resumes output paused by BASS_Pause, so that a show started after
//   a capture plays; a stream that has played to its end starts again from 0.
// - BASS_ChannelSetAttributes: freq must be 0 (the stream's own rate) or -1, volume
//   0..100 or -1, pan -100..100 or -101 (-1/-101 leave the value as it is).
// - BASS_ChannelGetData supports BASS_DATA_FFT512 only; it returns the 2048 bytes of
//   stream data the FFT read.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/bass/Player.h"
#include "platform/bass/bass.h"
#include "platform/bass/clock.h"
#include "platform/bass/spectrum.h"

using namespace bass::detail;

namespace {

constexpr QWORD kError64 = std::numeric_limits<QWORD>::max();
constexpr QWORD kBytesPerFrame = 4;

bool silentRequested(int device, const Player& p) {
    if (device == 0 || p.driven) return true;
    const char* silent = std::getenv("GLIMMERHOP_SILENT");
    if (silent && std::strcmp(silent, "1") == 0) return true;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver && std::strcmp(driver, "dummy") == 0;
}

// Re-anchors frozen streams when the output starts again.
void resumeStreams(Player& p, Clock::time_point now) {
    p.outputPaused = false;
    for (auto& s : p.streams) {
        s->anchorTime = now;
        s->feedFrame = s->anchorFrame;
        s->fedEnd = s->anchorFrame;
    }
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD, HWND, const void*) {
    if (device < -1 || device > 1) return FALSE;
    Player& p = player();
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        if (p.initialized) return FALSE;
        p.initialized = true;
        p.outputRate = freq > 0 ? static_cast<int>(freq) : 44100;
        p.outputPaused = false;
        if (!silentRequested(device, p)) openDevice(p);
    }
    if (p.device != 0) SDL_PauseAudioDevice(p.device, 0);
    return TRUE;
}

BOOL BASS_Free() {
    Player& p = player();
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        if (!p.initialized) return FALSE;
    }
    closeDevice(p);  // outside the lock: closing waits for a running callback
    std::lock_guard<std::mutex> lock(p.mutex);
    p.streams.clear();
    p.initialized = false;
    p.outputPaused = false;
    return TRUE;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD) {
    Player& p = player();
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        if (!p.initialized || !file) return 0;
    }
    auto stream = std::make_unique<Stream>();
    bool decoded = false;
    if (mem) {
        decoded = bass::decodeMp3Memory(static_cast<const unsigned char*>(file) + offset,
                                        static_cast<std::size_t>(length), stream->pcm, stream->rate);
    } else if (offset == 0 && length == 0) {
        // The rest of the file decodes while the caller goes on loading; the first call
        // that needs the samples waits for them (see findStream).
        stream->decoding = std::make_unique<bass::Mp3Decode>();
        decoded = stream->decoding->start(static_cast<const char*>(file));
    } else {
        // A part of a file: read that part and decode it from memory.
        std::string path(static_cast<const char*>(file));
        for (char& c : path)
            if (c == '\\') c = '/';
        if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
            std::vector<unsigned char> bytes;
            if (std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0) {
                unsigned char chunk[65536];
                std::size_t n;
                while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
                    bytes.insert(bytes.end(), chunk, chunk + n);
                    if (length != 0 && bytes.size() >= length) break;
                }
                if (length != 0 && bytes.size() > length) bytes.resize(static_cast<std::size_t>(length));
            }
            std::fclose(f);
            decoded = bass::decodeMp3Memory(bytes.data(), bytes.size(), stream->pcm, stream->rate);
        }
    }
    if (!decoded) return 0;
    stream->frames = stream->pcm.size() / 2;
    std::lock_guard<std::mutex> lock(p.mutex);
    if (!p.initialized) return 0;
    stream->handle = p.nextHandle++;
    if (p.nextHandle == 0) p.nextHandle = 0x10001;
    HSTREAM handle = stream->handle;
    p.streams.push_back(std::move(stream));
    return handle;
}

BOOL BASS_StreamFree(HSTREAM handle) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    for (auto it = p.streams.begin(); it != p.streams.end(); ++it) {
        if ((*it)->handle != handle || handle == 0) continue;
        p.streams.erase(it);
        return TRUE;
    }
    return FALSE;
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    Stream* s = findStream(p, handle);
    if (!s) return FALSE;
    if (freq != 0 && freq != -1) return FALSE;
    if (volume != -1 && (volume < 0 || volume > 100)) return FALSE;
    if (pan != -101 && (pan < -100 || pan > 100)) return FALSE;
    if (volume != -1) s->volume = volume;
    if (pan != -101) s->pan = pan;
    return TRUE;
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD) {
    Player& p = player();
    bool resumeDevice = false;
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        Stream* s = findStream(p, handle);
        if (!s) return FALSE;
        const Clock::time_point now = Clock::now();
        if (p.outputPaused) {
            resumeStreams(p, now);
            resumeDevice = p.device != 0;
        }
        double from = heardFrame(p, *s, now);
        if (flush || from >= static_cast<double>(s->frames)) from = 0.0;
        s->playing = true;
        placeStream(p, *s, from, now);
    }
    if (resumeDevice) SDL_PauseAudioDevice(p.device, 0);
    return TRUE;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    Stream* s = findStream(p, handle);
    if (!s) return 0;
    auto frame = static_cast<QWORD>(heardFrame(p, *s, Clock::now()));
    return frame * kBytesPerFrame;
}

QWORD BASS_StreamGetLength(HSTREAM handle) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    Stream* s = findStream(p, handle);
    if (!s) return kError64;
    return static_cast<QWORD>(s->frames) * kBytesPerFrame;
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    Stream* s = findStream(p, handle);
    if (!s || pos == kError64) return -1.0f;
    return static_cast<float>(static_cast<double>(pos / kBytesPerFrame) / s->rate);
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    Stream* s = findStream(p, handle);
    if (!s || !std::isfinite(pos)) return kError64;
    // A negative time wraps around to a huge byte count, as an unsigned result would.
    auto frames = static_cast<std::int64_t>(std::llround(static_cast<double>(pos) * s->rate));
    return static_cast<QWORD>(frames) * kBytesPerFrame;
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    Stream* s = findStream(p, handle);
    if (!s) return FALSE;
    if (pos > static_cast<QWORD>(std::numeric_limits<std::int64_t>::max())) return FALSE;
    QWORD frame = std::min<QWORD>(pos / kBytesPerFrame, s->frames);
    placeStream(p, *s, static_cast<double>(frame), Clock::now());
    return TRUE;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    constexpr DWORD kError32 = 0xFFFFFFFFu;
    if (!buffer || length != BASS_DATA_FFT512) return kError32;
    Player& p = player();
    const std::int16_t* pcm = nullptr;
    std::size_t frames = 0, position = 0;
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        Stream* s = findStream(p, handle);
        if (!s) return kError32;
        pcm = s->pcm.data();
        frames = s->frames;
        position = static_cast<std::size_t>(heardFrame(p, *s, Clock::now()));
    }
    // The samples stay put: only the main thread frees streams.
    bass::spectrum512(pcm, frames, position, static_cast<float*>(buffer));
    return static_cast<DWORD>(bass::kFftSize * kBytesPerFrame);
}

BOOL BASS_Pause() {
    Player& p = player();
    SDL_AudioDeviceID device;
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        if (!p.initialized) return FALSE;
        device = p.device;
    }
    // Stop the callbacks first; they take the same mutex.
    if (device != 0) SDL_PauseAudioDevice(device, 1);
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.outputPaused) return TRUE;
    const Clock::time_point now = Clock::now();
    for (auto& s : p.streams) {
        double frame = heardFrame(p, *s, now);
        s->anchorFrame = frame;
        s->feedFrame = frame;
        s->fedEnd = frame;
    }
    p.outputPaused = true;
    return TRUE;
}

BOOL BASS_Start() {
    Player& p = player();
    {
        std::lock_guard<std::mutex> lock(p.mutex);
        if (!p.initialized) return FALSE;
        if (!p.outputPaused) return TRUE;
        resumeStreams(p, Clock::now());
    }
    if (p.device != 0) SDL_PauseAudioDevice(p.device, 0);
    return TRUE;
}

namespace bass {

void useDrivenClock(bool driven) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.driven = driven;
}

bool drivenClock() {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    return p.driven;
}

void setDrivenPosition(double seconds) {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.drivenSeconds = seconds;
}

double drivenPosition() {
    Player& p = player();
    std::lock_guard<std::mutex> lock(p.mutex);
    return p.drivenSeconds;
}

}  // namespace bass
