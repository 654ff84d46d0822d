// The output side of the audio stand-in: the heard-position clock and the SDL mixer.
#include "platform/bass/Player.h"

#include <algorithm>
#include <cmath>

namespace bass::detail {

Player& player() {
    // Never destroyed: a device thread may still run while the process exits.
    static Player* instance = new Player;
    return *instance;
}

Stream* findStream(Player& p, DWORD handle) {
    if (handle == 0) return nullptr;
    for (auto& s : p.streams) {
        if (s->handle != handle) continue;
        if (s->decoding) {
            s->decoding->wait(s->pcm, s->rate);
            s->frames = s->pcm.size() / 2;
            s->decoding.reset();
        }
        return s.get();
    }
    return nullptr;
}

double heardFrame(Player& p, Stream& s, Clock::time_point now) {
    const double end = static_cast<double>(s.frames);
    if (p.driven) {
        double frame = std::round(p.drivenSeconds * s.rate);
        return std::clamp(frame, 0.0, end);
    }
    if (!s.playing || p.outputPaused) return s.anchorFrame;
    double elapsed = std::chrono::duration<double>(now - s.anchorTime).count();
    double frame = s.anchorFrame + std::max(elapsed, 0.0) * s.rate;
    if (p.device != 0) frame = std::min(frame, s.fedEnd);
    if (frame >= end) {
        frame = end;
        s.anchorFrame = end;
        s.playing = false;
    }
    return frame;
}

void placeStream(Player& p, Stream& s, double frame, Clock::time_point now) {
    s.anchorFrame = frame;
    s.anchorTime = now;
    s.feedFrame = frame;
    s.fedEnd = frame;
    if (frame >= static_cast<double>(s.frames)) s.playing = false;
    if (p.driven) p.drivenSeconds = frame / s.rate;
}

namespace {

// Mixes every playing stream into the device buffer. The heard position of each stream
// restarts from the start of the block handed over now and may run up to its end.
void SDLCALL fillDevice(void* userdata, Uint8* bytes, int length) {
    Player& p = *static_cast<Player*>(userdata);
    auto* out = reinterpret_cast<std::int16_t*>(bytes);
    const std::size_t frames = static_cast<std::size_t>(length) / 4;
    std::lock_guard<std::mutex> lock(p.mutex);
    std::size_t mixFrames = std::min(frames, p.mix.size() / 2);
    std::fill(p.mix.begin(), p.mix.begin() + 2 * mixFrames, 0);
    const Clock::time_point now = Clock::now();
    if (!p.outputPaused && !p.driven) {
        for (auto& sp : p.streams) {
            Stream& s = *sp;
            if (!s.playing) continue;
            s.anchorFrame = std::min(s.feedFrame, static_cast<double>(s.frames));
            s.anchorTime = now;
            const double step = static_cast<double>(s.rate) / p.outputRate;
            const std::int32_t gain = s.volume;
            for (std::size_t i = 0; i < mixFrames; ++i) {
                double pos = s.feedFrame;
                auto index = static_cast<std::size_t>(pos);
                if (index >= s.frames) break;
                std::size_t next = std::min(index + 1, s.frames - 1);
                double frac = pos - static_cast<double>(index);
                for (int c = 0; c < 2; ++c) {
                    double a = s.pcm[2 * index + c], b = s.pcm[2 * next + c];
                    p.mix[2 * i + c] += static_cast<std::int32_t>(a + (b - a) * frac) * gain / 100;
                }
                s.feedFrame += step;
            }
            s.fedEnd = std::min(s.feedFrame, static_cast<double>(s.frames));
        }
    }
    for (std::size_t i = 0; i < 2 * mixFrames; ++i)
        out[i] = static_cast<std::int16_t>(std::clamp(p.mix[i], -32768, 32767));
    std::fill(out + 2 * mixFrames, out + 2 * frames, 0);
}

}  // namespace

bool openDevice(Player& p) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = p.outputRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = fillDevice;
    want.userdata = &p;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    p.mix.assign(2 * 8192, 0);
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    if (have.samples > 8192) p.mix.assign(2 * static_cast<std::size_t>(have.samples), 0);
    p.device = id;
    p.sdlAudioStarted = true;
    return true;
}

void closeDevice(Player& p) {
    if (p.device != 0) SDL_CloseAudioDevice(p.device);
    p.device = 0;
    if (p.sdlAudioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    p.sdlAudioStarted = false;
}

}  // namespace bass::detail
