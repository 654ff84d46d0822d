#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// The span of a note in samples, clipped to the bus.
struct Span {
    size_t first = 0;
    size_t count = 0;
};
Span spanOf(const Bus& bus, double start, double length) {
    const long s0 = std::lround(start * kSampleRate);
    const long n = std::lround(length * kSampleRate);
    Span sp;
    if (s0 < 0 || static_cast<size_t>(s0) >= bus.frames() || n <= 0) return sp;
    sp.first = static_cast<size_t>(s0);
    sp.count = std::min(static_cast<size_t>(n), bus.frames() - sp.first);
    return sp;
}

double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// Linear attack and release at the ends of a note, to keep edges click-free.
double edgeEnvelope(double t, double length, double attack, double release) {
    double e = 1.0;
    if (t < attack) e = t / attack;
    const double left = length - t;
    if (left < release) e = std::min(e, std::max(0.0, left / release));
    return e;
}

void panGains(float pan, float& l, float& r) {
    const double a = (pan + 1.0) * 0.25 * kPi;
    l = static_cast<float>(std::cos(a) * 1.4142135);
    r = static_cast<float>(std::sin(a) * 1.4142135);
}
}  // namespace

void Bus::mixInto(Bus& dst, float gain) const {
    const size_t n = std::min(frames(), dst.frames());
    for (size_t i = 0; i < n; ++i) {
        dst.left[i] += left[i] * gain;
        dst.right[i] += right[i] * gain;
    }
}

double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

void Svf::set(double cutoffHz, double q) {
    cutoffHz = std::clamp(cutoffHz, 10.0, kSampleRate * 0.45);
    g = std::tan(kPi * cutoffHz / kSampleRate);
    k = 1.0 / q;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

double Svf::process(double x, double* band, double* high) {
    const double v3 = x - ic2;
    const double v1 = a1 * ic1 + a2 * v3;
    const double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    if (band) *band = v1;
    if (high) *high = x - k * v1 - v2;
    return v2;
}

double SawOsc::next(double freqHz) {
    const double dt = freqHz / kSampleRate;
    double value = 2.0 * phase - 1.0 - blep(phase, dt);
    phase += dt;
    if (phase >= 1.0) phase -= 1.0;
    return value;
}

void renderKick(Bus& bus, double start, float velocity) {
    const double length = 0.36;
    const Span sp = spanOf(bus, start, length);
    Noise noise(7);
    double phase = 0.0;
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double f = 47.0 + 125.0 * std::exp(-t / 0.032) + 60.0 * std::exp(-t / 0.005);
        phase += f / kSampleRate;
        const double body = std::sin(kTwoPi * phase) * (t < 0.055 ? 1.0 : std::exp(-(t - 0.055) / 0.055)) * edgeEnvelope(t, length, 0.0015, 0.05);
        const double click = noise.next() * std::exp(-t / 0.0025) * 0.25;
        const float s = static_cast<float>((body + click) * velocity);
        bus.left[sp.first + i] += s;
        bus.right[sp.first + i] += s;
    }
}

void renderClap(Bus& bus, double start, float velocity, uint32_t seed) {
    const double length = 0.35;
    const Span sp = spanOf(bus, start, length);
    Noise noise(seed);
    Svf fl, fr;
    fl.set(1400.0, 1.4);
    fr.set(1650.0, 1.4);
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        // Three quick slaps then the diffuse tail, as hands clapping together.
        double env = 0.0;
        for (int b = 0; b < 3; ++b) {
            const double tb = t - b * 0.0105;
            if (tb >= 0.0) env = std::max(env, std::exp(-tb / 0.006));
        }
        if (t >= 0.03) env = std::max(env, 0.8 * std::exp(-(t - 0.03) / 0.09));
        env *= edgeEnvelope(t, length, 0.0005, 0.03);
        double bl, br;
        fl.process(noise.next(), &bl);
        fr.process(noise.next(), &br);
        bus.left[sp.first + i] += static_cast<float>(bl * env * velocity * 2.2);
        bus.right[sp.first + i] += static_cast<float>(br * env * velocity * 2.2);
    }
}

void renderSnareBody(Bus& bus, double start, float velocity) {
    const double length = 0.25;
    const Span sp = spanOf(bus, start, length);
    double phase = 0.0;
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += (176.0 + 30.0 * std::exp(-t / 0.012)) / kSampleRate;
        const double s = std::sin(kTwoPi * phase) * std::exp(-t / 0.075) * edgeEnvelope(t, length, 0.001, 0.04);
        bus.left[sp.first + i] += static_cast<float>(s * velocity);
        bus.right[sp.first + i] += static_cast<float>(s * velocity);
    }
}

void renderHat(Bus& bus, double start, float velocity, bool open, uint32_t seed) {
    const double length = open ? 0.32 : 0.09;
    const double decay = open ? 0.11 : 0.022;
    const Span sp = spanOf(bus, start, length);
    Noise noise(seed);
    Svf f;
    f.set(open ? 7500.0 : 8500.0, 0.9);
    float gl, gr;
    panGains(open ? 0.25f : -0.2f, gl, gr);
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double high;
        f.process(noise.next(), nullptr, &high);
        const double s = high * std::exp(-t / decay) * edgeEnvelope(t, length, 0.0005, 0.02) * velocity;
        bus.left[sp.first + i] += static_cast<float>(s * gl);
        bus.right[sp.first + i] += static_cast<float>(s * gr);
    }
}

void renderCrash(Bus& bus, double start, float velocity, uint32_t seed) {
    const double length = 2.6;
    const Span sp = spanOf(bus, start, length);
    Noise nl(seed), nr(seed + 1);
    Svf fl, fr;
    fl.set(4800.0, 0.7);
    fr.set(5200.0, 0.7);
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double env = std::exp(-t / 0.75) * edgeEnvelope(t, length, 0.001, 0.3) * velocity;
        double hl, hr;
        fl.process(nl.next(), nullptr, &hl);
        fr.process(nr.next(), nullptr, &hr);
        bus.left[sp.first + i] += static_cast<float>(hl * env);
        bus.right[sp.first + i] += static_cast<float>(hr * env);
    }
}

void renderRiser(Bus& bus, double start, double length, float velocity, uint32_t seed) {
    const Span sp = spanOf(bus, start, length);
    Noise nl(seed), nr(seed + 3);
    Svf fl, fr;
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double x = t / length;
        if (i % 32 == 0) {
            const double cutoff = 250.0 * std::pow(40.0, x);
            fl.set(cutoff, 2.5);
            fr.set(cutoff * 1.07, 2.5);
        }
        double bl, br;
        fl.process(nl.next(), &bl);
        fr.process(nr.next(), &br);
        const double env = x * x * edgeEnvelope(t, length, 0.01, 0.01) * velocity;
        bus.left[sp.first + i] += static_cast<float>(bl * env);
        bus.right[sp.first + i] += static_cast<float>(br * env);
    }
}

void renderBass(Bus& bus, double start, double length, double note, float velocity, double brightness) {
    // The sine sub only under low notes: higher ones would smear the lowest band between kicks.
    const double sub = note < 40 ? 0.35 : 0.0;
    const Span sp = spanOf(bus, start, length);
    const double f = midiToHz(note);
    SawOsc a, b;
    b.phase = 0.37;
    double subPhase = 0.0;
    Svf filter;
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % 16 == 0) filter.set(140.0 + brightness * 1800.0 * std::exp(-t / 0.07), 1.6);
        const double raw = 0.5 * a.next(f) + 0.5 * b.next(f * 1.003);
        subPhase += f / kSampleRate;
        const double s = (filter.process(raw) + sub * std::sin(kTwoPi * subPhase)) *
                         edgeEnvelope(t, length, 0.003, 0.025) * velocity;
        bus.left[sp.first + i] += static_cast<float>(s);
        bus.right[sp.first + i] += static_cast<float>(s);
    }
}

void renderPad(Bus& bus, double start, double length, double note, float velocity, double cutoffStart,
               double cutoffEnd) {
    const double release = 0.35;
    const double total = length + release;
    const Span sp = spanOf(bus, start, total);
    const double f = midiToHz(note);
    SawOsc o1, o2, o3;
    o2.phase = 0.31;
    o3.phase = 0.67;
    Svf fl, fr;
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % 32 == 0) {
            const double c = cutoffStart * std::pow(cutoffEnd / cutoffStart, std::min(1.0, t / length));
            fl.set(c, 0.9);
            fr.set(c * 1.05, 0.9);
        }
        const double s1 = o1.next(f * 0.99481), s2 = o2.next(f), s3 = o3.next(f * 1.00521);
        double env = std::min(1.0, t / 0.18);
        if (t > length) env *= std::max(0.0, 1.0 - (t - length) / release);
        const double vl = fl.process(s1 + 0.6 * s2) * env * velocity;
        const double vr = fr.process(s3 + 0.6 * s2) * env * velocity;
        bus.left[sp.first + i] += static_cast<float>(vl);
        bus.right[sp.first + i] += static_cast<float>(vr);
    }
}

void renderPluck(Bus& bus, double start, double length, double note, float velocity, float pan,
                 double brightness) {
    const Span sp = spanOf(bus, start, length);
    const double f = midiToHz(note);
    SawOsc a, b;
    b.phase = 0.5;
    Svf filter;
    float gl, gr;
    panGains(pan, gl, gr);
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % 16 == 0) filter.set(300.0 + brightness * 5200.0 * std::exp(-t / 0.09), 2.0);
        const double pulse = a.next(f) - 0.8 * b.next(f);  // two offset saws: a hollow pulse
        const double s = filter.process(pulse) * std::exp(-t / (length * 0.55 + 0.02)) *
                         edgeEnvelope(t, length, 0.002, 0.02) * velocity;
        bus.left[sp.first + i] += static_cast<float>(s * gl);
        bus.right[sp.first + i] += static_cast<float>(s * gr);
    }
}

void renderLead(Bus& bus, double start, double length, double note, float velocity) {
    const Span sp = spanOf(bus, start, length);
    const double f = midiToHz(note);
    SawOsc a, b;
    b.phase = 0.21;
    Svf filter;
    filter.set(3200.0, 1.1);
    double vibPhase = 0.0;
    for (size_t i = 0; i < sp.count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        vibPhase += 5.5 / kSampleRate;
        const double depth = std::min(1.0, std::max(0.0, (t - 0.15) / 0.3)) * 0.004;
        const double fm = f * (1.0 + depth * std::sin(kTwoPi * vibPhase));
        const double raw = a.next(fm) * 0.6 + b.next(fm * 1.006) * 0.4;
        const double s = filter.process(raw) * edgeEnvelope(t, length, 0.008, 0.06) *
                         (0.8 + 0.2 * std::exp(-t / 0.1)) * velocity;
        bus.left[sp.first + i] += static_cast<float>(s);
        bus.right[sp.first + i] += static_cast<float>(s);
    }
}

void applyFeedbackDelay(Bus& bus, double delaySeconds, float feedback, float wet) {
    const size_t d = static_cast<size_t>(std::lround(delaySeconds * kSampleRate));
    const size_t n = bus.frames();
    if (d == 0 || d >= n) return;
    std::vector<float> dl(n, 0.0f), dr(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const float tapL = i >= d ? dl[i - d] : 0.0f;
        const float tapR = i >= d ? dr[i - d] : 0.0f;
        // Ping-pong: the repeats alternate sides.
        dl[i] = 0.5f * (bus.left[i] + bus.right[i]) + feedback * tapR;
        dr[i] = feedback * tapL;
        bus.left[i] += wet * tapL;
        bus.right[i] += wet * tapR;
    }
}

void applySmallReverb(Bus& bus, float wet) {
    // Schroeder: four damped combs in parallel, two allpasses in series, per side.
    const int combL[4] = {1557, 1617, 1491, 1422};
    const int combR[4] = {1580, 1640, 1514, 1445};
    const int allpass[2] = {556, 441};
    const size_t n = bus.frames();
    for (int side = 0; side < 2; ++side) {
        std::vector<float>& x = side == 0 ? bus.left : bus.right;
        const int* comb = side == 0 ? combL : combR;
        std::vector<float> out(n, 0.0f);
        for (int c = 0; c < 4; ++c) {
            std::vector<float> line(comb[c], 0.0f);
            float damp = 0.0f;
            size_t pos = 0;
            for (size_t i = 0; i < n; ++i) {
                const float y = line[pos];
                damp = y * 0.6f + damp * 0.4f;
                line[pos] = x[i] + damp * 0.80f;
                out[i] += y;
                if (++pos == line.size()) pos = 0;
            }
        }
        for (int a = 0; a < 2; ++a) {
            std::vector<float> line(allpass[a], 0.0f);
            size_t pos = 0;
            for (size_t i = 0; i < n; ++i) {
                const float buf = line[pos];
                const float y = -out[i] + buf;
                line[pos] = out[i] + buf * 0.5f;
                out[i] = y;
                if (++pos == line.size()) pos = 0;
            }
        }
        for (size_t i = 0; i < n; ++i) x[i] += wet * 0.25f * out[i];
    }
}

}  // namespace assetgen
