#include "Arrangement.h"

#include <algorithm>
#include <cmath>

#include "Image.h"  // Rng
#include "Synth.h"

namespace assetgen {

const std::vector<Segment>& songSegments() {
    // Scene changes at 29.2, 58.8, 73.6, 103.4 and 129.9 s. The box room ends on its 64th
    // beat at 103.2 s: a short stop before the equalizer drop. The equalizer's 56 beats end
    // at 129.3 s and a snare fill bridges to the finale.
    static const std::vector<Segment> segments = {
        {Section::Intro, -0.4, 64},     {Section::Disco, 29.2, 64},      {Section::Tunnel, 58.8, 32},
        {Section::BoxRoom, 73.6, 64},   {Section::Equalizer, 103.4, 56}, {Section::Finale, 129.9, 64},
    };
    return segments;
}

namespace {

struct Chord {
    int bass;      // MIDI note of the bass root (low octave)
    int notes[4];  // pad voicing
};
// The main loop: Am7 - Fmaj7 - Cadd9 - G6, one chord per bar.
constexpr Chord kMainLoop[4] = {
    {33, {57, 60, 64, 67}},  // Am7
    {29, {53, 57, 60, 64}},  // Fmaj7
    {36, {55, 60, 62, 64}},  // Cadd9
    {31, {55, 59, 62, 64}},  // G6
};
// The breakdown's lift: Fmaj7 - G6 - Em7 - Am7.
constexpr Chord kLiftLoop[4] = {
    {29, {53, 57, 60, 64}},  // Fmaj7
    {31, {55, 59, 62, 64}},  // G6
    {28, {55, 59, 62, 64}},  // Em7
    {33, {57, 60, 64, 67}},  // Am7
};

struct MelodyNote {
    double beat, length;
    int note;
};
// A four-bar hook over the progression.
constexpr MelodyNote kHook[] = {
    {0, 0.75, 76},  {0.75, 0.75, 79}, {1.5, 1.0, 81},  {2.5, 0.5, 79},  {3, 1, 76},
    {4, 0.75, 72},  {4.75, 0.75, 74}, {5.5, 2.5, 76},  {8, 0.75, 79},   {8.75, 0.75, 76},
    {9.5, 0.5, 74}, {10, 1, 72},      {11, 1, 74},     {12, 0.75, 71},  {12.75, 0.75, 74},
    {13.5, 1.5, 79}, {15, 1, 81},
};

struct Mix {
    Bus drums, claps, bass, pads, stabs, lead, fx;  // claps also feed the room
    std::vector<double> kicks;
    uint32_t seed = 1;
    const Chord* loop = kMainLoop;  // the progression the sections play now
    int transpose = 0;              // semitones, for the key change
    explicit Mix(size_t n) : drums(n), claps(n), bass(n), pads(n), stabs(n), lead(n), fx(n) {}
};

Chord chordAt(const Mix& m, double beat) {
    Chord c = m.loop[static_cast<int>(beat / 4.0) % 4];
    c.bass += m.transpose;
    for (int& n : c.notes) n += m.transpose;
    return c;
}

void kick(Mix& m, const Segment& s, double beat, float vel = 1.0f) {
    const double t = s.beatTime(beat);
    if (t < 0.0) return;
    renderKick(m.drums, t, vel);
    m.kicks.push_back(t);
}

void clap(Mix& m, const Segment& s, double beat, float vel, float body) {
    const double t = s.beatTime(beat);
    renderClap(m.claps, t, vel, m.seed++);
    if (body > 0.0f) renderSnareBody(m.drums, t, body);
}

void hats(Mix& m, const Segment& s, double fromBeat, double toBeat, bool sixteenths, bool openOffbeats,
          float vel) {
    Rng feel(m.seed++);
    for (double b = std::ceil(fromBeat * 4) / 4; b < toBeat; b += 0.25) {
        const double frac = b - std::floor(b);
        // A light shuffle: the second and fourth sixteenths come a little late.
        const double swing = (frac == 0.25 || frac == 0.75) ? 0.035 : 0.0;
        const float human = 0.9f + 0.2f * feel.uniform();
        if (openOffbeats && frac == 0.5) {
            renderHat(m.drums, s.beatTime(b), vel * 0.9f * human, true, m.seed++);
        } else if (sixteenths || frac == 0.5) {
            const float accent = frac == 0.0 ? 0.55f : (frac == 0.5 ? 1.0f : 0.7f);
            renderHat(m.drums, s.beatTime(b + swing), vel * accent * human, false, m.seed++);
        }
    }
}

// Disco octave bass: root on the beat, the octave above on the off-beat.
void octaveBass(Mix& m, const Segment& s, double fromBeat, double toBeat, float vel, double bright) {
    for (double b = fromBeat; b < toBeat; b += 0.5) {
        const Chord c = chordAt(m, b);
        const bool off = b - std::floor(b) >= 0.5;
        renderBass(m.bass, s.beatTime(b), kBeatSeconds * (off ? 0.42 : 0.3), c.bass + (off ? 12 : 0), vel * (off ? 0.9f : 1.0f),
                   bright);
    }
}

void pads(Mix& m, const Segment& s, double fromBeat, double toBeat, float vel, double cutoffFrom,
          double cutoffTo, int octave = 0) {
    for (double b = fromBeat; b < toBeat; b += 4.0) {
        const double len = std::min(4.0, toBeat - b);
        const double x0 = (b - fromBeat) / (toBeat - fromBeat);
        const double x1 = (b + len - fromBeat) / (toBeat - fromBeat);
        const double c0 = cutoffFrom * std::pow(cutoffTo / cutoffFrom, x0);
        const double c1 = cutoffFrom * std::pow(cutoffTo / cutoffFrom, x1);
        // The intro's first bar begins before the file does: its chord starts with the file.
        const double start = std::max(0.0, s.beatTime(b));
        const double length = s.beatTime(b + len) - start;
        for (int n : chordAt(m, b).notes) renderPad(m.pads, start, length, n + 12 * octave, vel, c0, c1);
    }
}

// Chord stabs on the off-beats, the disco strings-and-keys hit.
void stabs(Mix& m, const Segment& s, double fromBeat, double toBeat, float vel, double bright, bool everyOffbeat) {
    for (double b = fromBeat + 0.5; b < toBeat; b += 1.0) {
        const int inBar = static_cast<int>(b) % 4;
        if (!everyOffbeat && inBar != 1 && inBar != 3) continue;
        const Chord c = chordAt(m, b);
        float pan = -0.3f;
        for (int n : c.notes) {
            renderPluck(m.stabs, s.beatTime(b), 0.2, n, vel, pan, bright);
            pan += 0.2f;
        }
    }
}

void arpeggio(Mix& m, const Segment& s, double fromBeat, double toBeat, float vel, double bright, int octave) {
    static const int pattern[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    int step = 0;
    for (double b = fromBeat; b < toBeat; b += 0.25, ++step) {
        const Chord c = chordAt(m, b);
        const int idx = pattern[step % 8];
        const int note = (idx == 4 ? c.notes[0] + 12 : c.notes[idx]) + 12 * octave;
        const float pan = (step % 2 == 0) ? -0.45f : 0.45f;
        renderPluck(m.lead, s.beatTime(b), kBeatSeconds * 0.24, note, vel, pan, bright);
    }
}

void melody(Mix& m, const Segment& s, double fromBeat, double toBeat, float vel) {
    for (double base = fromBeat; base < toBeat; base += 16.0)
        for (const MelodyNote& n : kHook) {
            const double b = base + n.beat;
            if (b >= toBeat) break;
            renderLead(m.lead, s.beatTime(b), std::min(n.length, toBeat - b) * kBeatSeconds * 0.95,
                       n.note + m.transpose, vel);
        }
}

void snareRoll(Mix& m, const Segment& s, double fromBeat, double toBeat, double step) {
    for (double b = fromBeat; b < toBeat - 1e-9; b += step) {
        const float x = static_cast<float>((b - fromBeat) / (toBeat - fromBeat));
        clap(m, s, b, 0.25f + 0.5f * x, 0.15f + 0.35f * x);
    }
}

void fourOnTheFloor(Mix& m, const Segment& s, double fromBeat, double toBeat, float vel = 1.0f) {
    for (double b = fromBeat; b < toBeat; b += 1.0) kick(m, s, b, vel);
}

void backbeat(Mix& m, const Segment& s, double fromBeat, double toBeat, float vel, float body) {
    for (double b = std::floor(fromBeat) + 1.0; b < toBeat; b += 2.0) clap(m, s, b, vel, body);
}

void intro(Mix& m, const Segment& s) {
    // A filtered intro: shimmering pads two octaves up, a light kick, hats, claps and a high
    // arpeggio, nothing heavy below 700 Hz. The opening picture flashes with the beat only
    // while the low end stays light; the bass arrives with the drop at 29.2 s.
    pads(m, s, 0, 64, 0.06f, 2500.0, 6000.0, 2);
    for (double b = 0; b < 62; b += 1.0) kick(m, s, b, static_cast<float>(0.2 + 0.1 * b / 62.0));
    hats(m, s, 16, 32, false, false, 0.18f);
    hats(m, s, 32, 62, true, false, 0.2f);
    backbeat(m, s, 32, 60, 0.35f, 0.0f);
    arpeggio(m, s, 32, 62, 0.06f, 0.5, 2);
    for (double b = 60; b < 64; b += 0.25) clap(m, s, b, 0.2f + 0.12f * static_cast<float>(b - 60), 0.0f);
    renderRiser(m.fx, s.beatTime(56), 8 * kBeatSeconds, 0.22f, 11);
}

void disco(Mix& m, const Segment& s) {
    renderCrash(m.fx, s.start, 0.35f, 21);
    fourOnTheFloor(m, s, 0, 63);
    backbeat(m, s, 0, 62, 0.5f, 0.75f);
    hats(m, s, 0, 63, true, true, 0.24f);
    octaveBass(m, s, 0, 63, 0.38f, 0.6);
    pads(m, s, 0, 64, 0.10f, 1400.0, 1800.0);
    stabs(m, s, 0, 63, 0.09f, 0.7, false);
    melody(m, s, 32, 64, 0.11f);
    renderRiser(m.fx, s.beatTime(60), 4 * kBeatSeconds, 0.2f, 23);
}

void tunnel(Mix& m, const Segment& s) {
    renderCrash(m.fx, s.start, 0.3f, 31);
    fourOnTheFloor(m, s, 0, 31);
    hats(m, s, 0, 31, true, false, 0.22f);
    backbeat(m, s, 0, 30, 0.3f, 0.3f);
    for (double b = 0.5; b < 31; b += 1.0)  // rolling off-beat bass
        renderBass(m.bass, s.beatTime(b), kBeatSeconds * 0.4, chordAt(m, b).bass + 12, 0.36f, 0.5);
    pads(m, s, 0, 32, 0.09f, 600.0, 3000.0);
    arpeggio(m, s, 0, 32, 0.13f, 0.8, 1);
    renderRiser(m.fx, s.beatTime(28), 4 * kBeatSeconds, 0.2f, 33);
}

void boxRoom(Mix& m, const Segment& s) {
    // Breakdown: half-time kick under big pads and the hook over the lifting progression,
    // then the main loop returns for the build back up.
    m.loop = kLiftLoop;
    pads(m, s, 0, 32, 0.12f, 900.0, 2000.0);
    for (double b = 0; b < 32; b += 2.0) kick(m, s, b, 0.9f);
    for (double b = 0; b < 32; b += 4.0)
        renderBass(m.bass, s.beatTime(b), kBeatSeconds * 1.6, chordAt(m, b).bass + 12, 0.3f, 0.15);
    hats(m, s, 0, 32, false, false, 0.14f);
    melody(m, s, 0, 32, 0.11f);
    m.loop = kMainLoop;
    pads(m, s, 32, 64, 0.12f, 2000.0, 3500.0);
    fourOnTheFloor(m, s, 32, 64);
    hats(m, s, 32, 64, true, false, 0.2f);
    octaveBass(m, s, 32, 64, 0.34f, 0.45);
    arpeggio(m, s, 32, 64, 0.08f, 0.55, 1);
    backbeat(m, s, 32, 56, 0.35f, 0.35f);
    snareRoll(m, s, 56, 60, 0.5);
    snareRoll(m, s, 60, 64, 0.25);
    renderRiser(m.fx, s.beatTime(48), 16 * kBeatSeconds, 0.25f, 41);
}

void equalizer(Mix& m, const Segment& s) {
    renderCrash(m.fx, s.start, 0.4f, 51);
    fourOnTheFloor(m, s, 0, 56, 1.0f);
    backbeat(m, s, 0, 56, 0.5f, 0.7f);
    hats(m, s, 0, 56, true, true, 0.25f);
    // Everything at full energy, with stabs and the hook loud enough in the low mids that
    // every equalizer bar gets its hits; after 32 beats the key rises a whole tone.
    for (int half = 0; half < 2; ++half) {
        const double from = half == 0 ? 0.0 : 32.0, to = half == 0 ? 32.0 : 56.0;
        m.transpose = half == 0 ? 0 : 2;
        octaveBass(m, s, from, to, 0.4f, 0.75);
        pads(m, s, from, to, 0.09f, 2000.0, 2600.0);
        stabs(m, s, from, to, 0.16f, 0.9, true);
        arpeggio(m, s, from, to, 0.1f, 0.7, 1);
        melody(m, s, from, to, 0.18f);
    }
    m.transpose = 0;
    snareRoll(m, s, 30, 32, 0.25);
    renderCrash(m.fx, s.beatTime(32), 0.35f, 55);
    // Bridge to the finale: 1.3 beats of snare roll and a short rise.
    const double fillEnd = (129.9 - s.start) / kBeatSeconds;
    snareRoll(m, s, 56, fillEnd, 0.25);
    renderRiser(m.fx, s.beatTime(52), fillEnd * kBeatSeconds - 52 * kBeatSeconds, 0.22f, 53);
}

void finale(Mix& m, const Segment& s) {
    renderCrash(m.fx, s.start, 0.35f, 61);
    pads(m, s, 0, 56, 0.13f, 1200.0, 2400.0);
    arpeggio(m, s, 0, 56, 0.08f, 0.6, 1);
    fourOnTheFloor(m, s, 8, 56);
    hats(m, s, 8, 56, true, true, 0.2f);
    backbeat(m, s, 8, 56, 0.4f, 0.5f);
    octaveBass(m, s, 8, 56, 0.36f, 0.5);
    melody(m, s, 8, 56, 0.1f);
    // The closing chord under the logo: A minor add9, held to the end.
    const double hold = kSongSeconds - s.beatTime(56);
    for (int n : {45, 57, 64, 67, 71, 72, 76}) renderPad(m.pads, s.beatTime(56), hold, n, 0.11f, 2200.0, 900.0);
    renderBass(m.bass, s.beatTime(56), hold, 33, 0.3f, 0.1);
    kick(m, s, 56, 1.0f);
    renderCrash(m.fx, s.beatTime(56), 0.35f, 63);
}

// Gain curve of the sidechain pump: pads and bass duck under every kick.
std::vector<float> pumpCurve(const std::vector<double>& kicks, size_t n, float depth) {
    std::vector<float> g(n, 1.0f);
    const size_t len = static_cast<size_t>(0.28 * kSampleRate);
    for (double k : kicks) {
        const size_t s0 = static_cast<size_t>(std::lround(k * kSampleRate));
        for (size_t i = 0; i < len && s0 + i < n; ++i) {
            const float x = static_cast<float>(i) / len;
            const float duck = 1.0f - depth * (1.0f - x) * (1.0f - x);
            g[s0 + i] = std::min(g[s0 + i], duck);
        }
    }
    return g;
}

// The level at which the mix meets the master chain (Master.h).
constexpr float kMixGain = 0.8f;
constexpr float kBedGain = 0.6f;
constexpr float kIntroBedGain = 0.88f;  // the intro is nearly all bed: it keeps the song's loudness range

}  // namespace

void renderSong(std::vector<float>& left, std::vector<float>& right, SongStats* stats) {
    const size_t n = static_cast<size_t>(std::lround(kSongSeconds * kSampleRate));
    Mix m(n);
    for (const Segment& s : songSegments()) {
        switch (s.section) {
            case Section::Intro: intro(m, s); break;
            case Section::Disco: disco(m, s); break;
            case Section::Tunnel: tunnel(m, s); break;
            case Section::BoxRoom: boxRoom(m, s); break;
            case Section::Equalizer: equalizer(m, s); break;
            case Section::Finale: finale(m, s); break;
        }
    }
    applyFeedbackDelay(m.lead, kBeatSeconds * 0.75, 0.38f, 0.35f);
    Bus space(n);
    m.pads.mixInto(space, 1.0f);
    m.claps.mixInto(space, 0.35f);
    m.lead.mixInto(space, 0.6f);
    applySmallReverb(space, 1.0f);

    const std::vector<float> padPump = pumpCurve(m.kicks, n, 0.7f);
    const std::vector<float> bassPump = pumpCurve(m.kicks, n, 0.45f);
    left.assign(n, 0.0f);
    right.assign(n, 0.0f);
    const size_t fadeStart = static_cast<size_t>((kSongSeconds - kFinalFadeSeconds) * kSampleRate);
    const size_t drop = static_cast<size_t>(songSegments()[1].start * kSampleRate);
    for (size_t i = 0; i < n; ++i) {
        const float padsL = (space.left[i] - 0.6f * m.lead.left[i] - 0.35f * m.claps.left[i]) * padPump[i];
        const float padsR = (space.right[i] - 0.6f * m.lead.right[i] - 0.35f * m.claps.right[i]) * padPump[i];
        const float bed = i < drop ? kIntroBedGain : kBedGain;
        // The bed above the kick and bass sits a little back: it carries most of the
        // loudness a listener hears, while the sync bands read the low end.
        float l = m.drums.left[i] + m.bass.left[i] * bassPump[i] +
                  bed * (m.claps.left[i] + padsL + m.stabs.left[i] * padPump[i] + m.lead.left[i] + m.fx.left[i]);
        float r = m.drums.right[i] + m.bass.right[i] * bassPump[i] +
                  bed * (m.claps.right[i] + padsR + m.stabs.right[i] * padPump[i] + m.lead.right[i] + m.fx.right[i]);
        l *= kMixGain;
        r *= kMixGain;
        if (i >= fadeStart) {
            const float x = 1.0f - static_cast<float>(i - fadeStart) / static_cast<float>(n - fadeStart);
            l *= x * x;
            r *= x * x;
        }
        left[i] = l;
        right[i] = r;
    }
    if (stats) {
        const auto& segments = songSegments();
        for (size_t k = 0; k < segments.size() && k < 6; ++k) {
            const size_t a = static_cast<size_t>(std::max(0.0, segments[k].start) * kSampleRate);
            const size_t b = std::min(n, static_cast<size_t>(segments[k].beatTime(segments[k].beats) * kSampleRate));
            double sum = 0.0;
            for (size_t i = a; i < b; ++i) sum += 0.5 * (left[i] * left[i] + right[i] * right[i]);
            stats->sectionRms[k] = b > a ? std::sqrt(sum / static_cast<double>(b - a)) : 0.0;
        }
    }
}

}  // namespace assetgen
