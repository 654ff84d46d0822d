// The instruments of the music: each renders one note into a stereo bus at a start time.
// Everything is plain per-sample arithmetic with fixed seeds, so the same build always
// produces the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 44100;

struct Bus {
    std::vector<float> left, right;
    explicit Bus(size_t n = 0) : left(n, 0.0f), right(n, 0.0f) {}
    size_t frames() const { return left.size(); }
    void mixInto(Bus& dst, float gain) const;
};

double midiToHz(double note);

// Zavalishin's trapezoidal state-variable filter: stable under fast cutoff changes.
struct Svf {
    double ic1 = 0, ic2 = 0, g = 0, k = 1, a1 = 0, a2 = 0, a3 = 0;
    void set(double cutoffHz, double q);
    // Returns the low-pass output; band-pass and high-pass through the out parameters.
    double process(double x, double* band = nullptr, double* high = nullptr);
};

// Band-limited sawtooth (polyBLEP) with phase in [0, 1).
struct SawOsc {
    double phase = 0;
    double next(double freqHz);
};

struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed * 2654435761u + 12345u) {}
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<int32_t>(state) * (1.0f / 2147483648.0f);
    }
};

// Drums. velocity scales loudness; body and sub let sections shape the low end.
void renderKick(Bus& bus, double start, float velocity);
void renderClap(Bus& bus, double start, float velocity, uint32_t seed);
void renderSnareBody(Bus& bus, double start, float velocity);  // the tonal crack under the clap
void renderHat(Bus& bus, double start, float velocity, bool open, uint32_t seed);
void renderCrash(Bus& bus, double start, float velocity, uint32_t seed);
void renderRiser(Bus& bus, double start, double length, float velocity, uint32_t seed);

// Pitched voices. length in seconds; pan -1 (left) .. 1 (right).
void renderBass(Bus& bus, double start, double length, double note, float velocity, double brightness);
void renderPad(Bus& bus, double start, double length, double note, float velocity, double cutoffStart,
               double cutoffEnd);
void renderPluck(Bus& bus, double start, double length, double note, float velocity, float pan,
                 double brightness);
void renderLead(Bus& bus, double start, double length, double note, float velocity);

// Effects applied to a whole bus.
void applyFeedbackDelay(Bus& bus, double delaySeconds, float feedback, float wet);
void applySmallReverb(Bus& bus, float wet);

}  // namespace assetgen
