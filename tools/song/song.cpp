// elka-song: renders the demo's soundtrack to a 44100 Hz stereo 16-bit WAV.
//
// A small synthesizer (drums, bass, pads, lead, plucks, bells, noise risers)
// and a sequencer that writes the piece section by section, so that the
// music changes where the demo's scenes change: each section starts where
// the timeline's schedule starts its scene, on the beat. 120 BPM, A minor;
// one beat is half a second. Everything is
// computed from fixed numbers and a fixed noise generator: the same program
// always writes the same file.
//
//   elka-song OUT.wav
//   elka-song --sections    lists where each section starts: scene, seconds, name
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "program_line.h"
#include "timeline/schedule.h"

namespace {

constexpr int rate = 44100;
constexpr double length_seconds = 152.0;
constexpr int total_frames = static_cast<int>(length_seconds * rate);
constexpr double beat = 0.5; // seconds, 120 BPM
constexpr double pi = 3.14159265358979323846;

// ---------------------------------------------------------------- buses

struct Bus {
    std::vector<float> l, r;
    Bus() : l(total_frames, 0.0f), r(total_frames, 0.0f) {}
};

Bus drums;      // dry drums
Bus music;      // dry tonal parts; ducked by the kick in the grooves
Bus reverb_send;
Bus echo_send;
std::vector<float> duck(total_frames, 0.0f); // how far the kick pushes the music down

struct Send {
    float reverb = 0.0f;
    float echo = 0.0f;
};

void put(Bus& dry, int i, float v, float pan, Send send)
{
    if (i < 0 || i >= total_frames)
        return;
    // Equal-power pan, pan from -1 (left) to 1 (right).
    float a = (pan + 1.0f) * 0.25f * static_cast<float>(pi);
    float gl = std::cos(a), gr = std::sin(a);
    dry.l[i] += v * gl;
    dry.r[i] += v * gr;
    if (send.reverb > 0) {
        reverb_send.l[i] += v * gl * send.reverb;
        reverb_send.r[i] += v * gr * send.reverb;
    }
    if (send.echo > 0) {
        echo_send.l[i] += v * gl * send.echo;
        echo_send.r[i] += v * gr * send.echo;
    }
}

int frame_at(double seconds) { return static_cast<int>(std::lround(seconds * rate)); }

double midi_hz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Fixed noise: a 32-bit LCG, one stream per call site so parts do not
// depend on each other's order.
struct Noise {
    std::uint32_t state;
    explicit Noise(std::uint32_t seed) : state(seed * 2654435761u + 12345u) {}
    float next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(static_cast<std::int32_t>(state)) / 2147483648.0f;
    }
};

// Topology-preserving state-variable filter.
struct Svf {
    double ic1 = 0, ic2 = 0, a1 = 0, a2 = 0, a3 = 0, k = 1;
    void set(double cutoff, double q)
    {
        cutoff = std::clamp(cutoff, 20.0, rate * 0.45);
        double g = std::tan(pi * cutoff / rate);
        k = 1.0 / q;
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    // Returns low-pass; band and high through the pointers.
    double run(double v0, double* band = nullptr, double* high = nullptr)
    {
        double v3 = v0 - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        if (band)
            *band = v1;
        if (high)
            *high = v0 - k * v1 - v2;
        return v2;
    }
};

double poly_blep(double t, double dt)
{
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

double saw(double phase, double dt) { return 2.0 * phase - 1.0 - poly_blep(phase, dt); }

double square(double phase, double dt, double width)
{
    double s = saw(phase, dt);
    double p2 = phase + (1.0 - width);
    p2 -= std::floor(p2);
    return 0.5 * (s - saw(p2, dt));
}

// Attack / release envelope over a note of `length` seconds (release after it).
double ar_envelope(double t, double length, double attack, double release)
{
    if (t < 0)
        return 0;
    double level = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    if (t > length)
        level *= std::max(0.0, 1.0 - (t - length) / release);
    return level;
}

// A 5 ms fade at the end of a hit of n frames, so that no hit ends in a step.
double tail(int j, int n) { return std::min(1.0, (n - j) / (0.005 * rate)); }

// ---------------------------------------------------------------- drums

void kick(double at, float gain, bool duck_music = true)
{
    int start = frame_at(at);
    int n = frame_at(0.8);
    double phase = 0;
    for (int j = 0; j < n; ++j) {
        double t = j / double(rate);
        double f = 45.0 + 110.0 * std::exp(-t * 30.0);
        phase += f / rate;
        double body = std::sin(2 * pi * phase) * std::exp(-t * 7.0);
        double click = std::exp(-t * 400.0) * 0.5;
        double v = std::tanh(1.6 * (body + click)) * gain * tail(j, n);
        put(drums, start + j, static_cast<float>(v), 0.0f, {});
        if (duck_music && start + j < total_frames)
            duck[start + j] = std::max(duck[start + j], static_cast<float>(std::exp(-t * 9.0)));
    }
}

void snare(double at, float gain, float reverb = 0.12f)
{
    static Noise noise(7);
    int start = frame_at(at);
    int n = frame_at(0.3);
    Svf filter;
    filter.set(3500, 0.8);
    double phase = 0;
    for (int j = 0; j < n; ++j) {
        double t = j / double(rate);
        phase += (180.0 + 60.0 * std::exp(-t * 60)) / rate;
        double tone = std::sin(2 * pi * phase) * std::exp(-t * 25.0);
        double band;
        filter.run(noise.next(), &band);
        double rattle = band * 1.6 * std::exp(-t * 16.0);
        double v = (0.55 * tone + rattle) * gain * tail(j, n);
        put(drums, start + j, static_cast<float>(v), 0.05f, {reverb, 0});
    }
}

// Noise through a high-pass, shaped by `envelope` (of the seconds into the
// hit) over a hit of `seconds`: the metal of hats and cymbals.
template <typename Envelope>
void noise_hit(Noise& noise, double at, double seconds, double cutoff, double q, float gain, double level, float pan,
               Send send, Envelope envelope)
{
    int start = frame_at(at);
    int n = frame_at(seconds);
    Svf filter;
    filter.set(cutoff, q);
    for (int j = 0; j < n; ++j) {
        double t = j / double(rate);
        double high;
        filter.run(noise.next(), nullptr, &high);
        double v = high * envelope(t) * gain * level * tail(j, n);
        put(drums, start + j, static_cast<float>(v), pan, send);
    }
}

void hat(double at, float gain, bool open, float pan = 0.25f)
{
    static Noise noise(11);
    double decay = open ? 9.0 : 55.0;
    noise_hit(noise, at, open ? 0.6 : 0.1, 8000, 0.7, gain, 0.5, pan, {0.05f, 0},
              [decay](double t) { return std::exp(-t * decay); });
}

void crash(double at, float gain)
{
    static Noise noise(13);
    noise_hit(noise, at, 3.5, 5000, 0.6, gain, 0.45, -0.2f, {0.2f, 0},
              [](double t) { return 0.6 * std::exp(-t * 1.6) + 0.4 * std::exp(-t * 12); });
}

void tom(double at, double note, float gain, float pan)
{
    int start = frame_at(at);
    int n = frame_at(0.8);
    double phase = 0;
    double f0 = midi_hz(note);
    for (int j = 0; j < n; ++j) {
        double t = j / double(rate);
        phase += f0 * (1.0 + 0.5 * std::exp(-t * 25)) / rate;
        double v = std::sin(2 * pi * phase) * std::exp(-t * 7.5) * gain * tail(j, n);
        put(drums, start + j, static_cast<float>(v), pan, {0.15f, 0});
    }
}

// Noise swept up through a band-pass: the build before a new section.
void riser(double from, double to, float gain, double f_start, double f_end)
{
    static Noise noise(17);
    int a = frame_at(from), b = frame_at(to);
    Svf filter;
    for (int i = a; i < b; ++i) {
        double x = double(i - a) / (b - a);
        if ((i - a) % 16 == 0)
            filter.set(f_start * std::pow(f_end / f_start, x), 2.0);
        double band;
        filter.run(noise.next(), &band);
        double v = band * gain * x * x;
        put(music, i, static_cast<float>(v), static_cast<float>(0.6 * std::sin(x * 12)), {0.3f, 0});
    }
}

// ---------------------------------------------------------------- tonal parts

void bass(double at, double length, double note, float gain, double cutoff = 700)
{
    int start = frame_at(at);
    int n = frame_at(length + 0.08);
    double f = midi_hz(note);
    double dt = f / rate;
    double phase = 0, sub = 0;
    Svf filter;
    for (int j = 0; j < n; ++j) {
        double t = j / double(rate);
        if (j % 16 == 0)
            filter.set(cutoff * (1.0 + 3.0 * std::exp(-t * 18.0)), 1.1);
        double osc = 0.6 * saw(phase, dt) + 0.7 * std::sin(2 * pi * sub);
        phase += dt;
        phase -= std::floor(phase);
        sub += dt;
        sub -= std::floor(sub);
        double env = ar_envelope(t, length, 0.004, 0.06);
        double v = std::tanh(filter.run(osc) * 1.3) * env * gain;
        put(music, start + j, static_cast<float>(v), 0.0f, {});
    }
}

// Three detuned saws per note through a low-pass; long attack and release.
void pad(double at, double length, const std::vector<double>& notes, float gain, double attack, double release,
         double cutoff_from, double cutoff_to, float reverb = 0.35f)
{
    int start = frame_at(at);
    int n = frame_at(length + release);
    int voice = 0;
    for (double note : notes) {
        const double detune[3] = {-0.11, 0.0, 0.12};
        for (int d = 0; d < 3; ++d) {
            double f = midi_hz(note + detune[d]);
            double dt = f / rate;
            double phase = std::fmod(0.31 * (voice * 3 + d), 1.0);
            float pan = static_cast<float>((d - 1) * 0.6);
            Svf filter;
            for (int j = 0; j < n; ++j) {
                double t = j / double(rate);
                if (j % 32 == 0) {
                    double x = std::min(1.0, t / std::max(length, 1e-3));
                    filter.set(cutoff_from + (cutoff_to - cutoff_from) * x, 0.8);
                }
                double osc = saw(phase, dt);
                phase += dt;
                phase -= std::floor(phase);
                double env = ar_envelope(t, length, attack, release);
                double v = filter.run(osc) * env * gain * 0.22;
                put(music, start + j, static_cast<float>(v), pan, {reverb, 0});
            }
        }
        ++voice;
    }
}

// Pulse lead with delayed vibrato; sent to the echo.
void lead(double at, double length, double note, float gain, float echo = 0.35f)
{
    int start = frame_at(at);
    int n = frame_at(length + 0.12);
    double f = midi_hz(note);
    double phase = 0;
    Svf filter;
    filter.set(3200, 0.9);
    for (int j = 0; j < n; ++j) {
        double t = j / double(rate);
        double vibrato = 1.0 + 0.004 * std::min(1.0, t / 0.4) * std::sin(2 * pi * 5.5 * t);
        double dt = f * vibrato / rate;
        double osc = 0.7 * square(phase, dt, 0.35) + 0.3 * saw(phase, dt);
        phase += dt;
        phase -= std::floor(phase);
        double env = ar_envelope(t, length, 0.01, 0.1) * (0.8 + 0.2 * std::exp(-t * 6));
        double v = filter.run(osc) * env * gain;
        put(music, start + j, static_cast<float>(v), 0.1f, {0.2f, echo});
    }
}

// A short filtered saw pluck for arpeggios.
void pluck(double at, double note, float gain, float pan)
{
    int start = frame_at(at);
    int n = frame_at(1.0);
    double f = midi_hz(note);
    double dt = f / rate;
    double phase = 0;
    Svf filter;
    for (int j = 0; j < n; ++j) {
        double t = j / double(rate);
        if (j % 16 == 0)
            filter.set(400 + 4000 * std::exp(-t * 14), 1.4);
        double osc = saw(phase, dt);
        phase += dt;
        phase -= std::floor(phase);
        double v = filter.run(osc) * std::exp(-t * 7) * gain * tail(j, n);
        put(music, start + j, static_cast<float>(v), pan, {0.15f, 0.4f});
    }
}

// Two-operator FM bell.
void bell(double at, double note, float gain, float pan, double decay = 2.2)
{
    int start = frame_at(at);
    int n = frame_at(std::min(6.0, 7.0 / decay + 0.1));
    double f = midi_hz(note);
    for (int j = 0; j < n; ++j) {
        double t = j / double(rate);
        double index = 2.0 * std::exp(-t * 4.0);
        double v = std::sin(2 * pi * f * t + index * std::sin(2 * pi * f * 3.5 * t)) * std::exp(-t * decay) *
                   std::min(1.0, t / 0.002) * gain * tail(j, n);
        put(music, start + j, static_cast<float>(v), pan, {0.45f, 0.3f});
    }
}

// ---------------------------------------------------------------- harmony

struct Chord {
    double root;              // bass note
    std::vector<double> pad;  // pad voicing
    std::vector<double> arp;  // notes for arpeggios, low to high
};

const Chord Am{33, {57, 60, 64}, {69, 72, 76, 81}};
const Chord F{29, {57, 60, 65}, {65, 69, 72, 77}};
const Chord C{36, {55, 60, 64}, {67, 72, 76, 79}};
const Chord G{31, {55, 59, 62}, {67, 71, 74, 79}};
const Chord E{28, {56, 59, 64}, {68, 71, 76, 80}};
const Chord Dm{38, {57, 62, 65}, {62, 65, 69, 74}};
const Chord Fmaj7{29, {57, 60, 64, 65}, {65, 69, 72, 76}};
const Chord Cmaj7{36, {55, 59, 64, 67}, {67, 71, 72, 76}};
const Chord Dm7{38, {57, 60, 62, 65}, {62, 65, 69, 72}};
const Chord Am7{33, {55, 60, 64, 67}, {69, 72, 76, 79}};
const Chord Esus{28, {57, 59, 64}, {69, 71, 76, 81}};

// Seconds of beat b from a section start.
double at_beat(double section, double b) { return section + b * beat; }

// Where `scene` starts, on the nearest beat. Every scene but scene 9
// (4.02 s) lasts whole beats, so from scene 10 on a section comes 0.02 s
// before its scene, too little to hear.
double section_start(int scene) { return std::round(scene_start_seconds(scene) / beat) * beat; }

// The two-second bars of a section from `start`, each with its chord.
template <typename Body> void each_bar(double start, const Chord* const* chords, int bars, Body body)
{
    for (int bar = 0; bar < bars; ++bar)
        body(bar, start + bar * 2.0, *chords[bar]);
}

struct Note {
    double beat, note, length;
};

// Lead phrases over four bars (Am F C G / Am F C E).
const std::vector<Note> phrase_a = {
    {0, 76, 1.5},  {1.5, 77, 0.5}, {2, 76, 1},     {3, 72, 1},     {4, 69, 1.5},  {5.5, 72, 0.5},
    {6, 77, 1.5},  {7.5, 76, 0.5}, {8, 76, 1},     {9, 79, 1},     {10, 76, 1},   {11, 72, 1},
    {12, 74, 2},   {14, 71, 1},    {15, 74, 1},
};
const std::vector<Note> phrase_b = {
    {0, 81, 1.5},  {1.5, 79, 0.5}, {2, 76, 1},     {3, 72, 1},     {4, 77, 1},    {5, 76, 0.5},
    {5.5, 74, 0.5}, {6, 72, 2},    {8, 72, 0.5},   {8.5, 74, 0.5}, {9, 76, 1},    {10, 79, 1.5},
    {11.5, 76, 0.5}, {12, 74, 1},  {13, 71, 1},    {14, 68, 2},
};

// Plays the notes of `phrase` from from_beat up to to_beat; with `bells`,
// a bell doubles each note an octave up.
void play_phrase(double start, const std::vector<Note>& phrase, double from_beat, double to_beat, float gain,
                 bool bells = false)
{
    for (const Note& n : phrase)
        if (n.beat >= from_beat && n.beat < to_beat) {
            double t = at_beat(start, n.beat - from_beat);
            lead(t, n.length * beat * 0.92, n.note, gain);
            if (bells)
                bell(t, n.note + 12, gain * 0.3f, 0.5f, 3.0);
        }
}

// ---------------------------------------------------------------- drum patterns

// Four on the floor, snare on 2 and 4, sixteenth hats, open hats on the offbeat.
void groove_bar(double bar, float gain)
{
    for (int b = 0; b < 4; ++b) {
        kick(at_beat(bar, b), 0.95f * gain);
        if (b % 2 == 1)
            snare(at_beat(bar, b), 0.55f * gain);
        hat(at_beat(bar, b + 0.5), 0.35f * gain, true);
        hat(at_beat(bar, b + 0.25), 0.22f * gain, false);
        hat(at_beat(bar, b + 0.75), 0.18f * gain, false, -0.25f);
    }
}

// The credits' steadier broken beat.
void credits_bar(double bar, float gain, bool fill)
{
    kick(at_beat(bar, 0), 0.95f * gain);
    kick(at_beat(bar, 1.5), 0.8f * gain);
    kick(at_beat(bar, 2.5), 0.85f * gain);
    snare(at_beat(bar, 1), 0.55f * gain);
    snare(at_beat(bar, 3), 0.55f * gain);
    snare(at_beat(bar, 3.75), 0.12f * gain);
    for (int e = 0; e < 8; ++e)
        hat(at_beat(bar, e * 0.5), (e % 2 ? 0.3f : 0.2f) * gain, false, e % 2 ? 0.3f : -0.1f);
    if (fill) {
        tom(at_beat(bar, 3), 50, 0.5f * gain, 0.4f);
        tom(at_beat(bar, 3.25), 47, 0.5f * gain, 0.1f);
        tom(at_beat(bar, 3.5), 43, 0.5f * gain, -0.2f);
        tom(at_beat(bar, 3.75), 40, 0.5f * gain, -0.4f);
    }
}

// ---------------------------------------------------------------- the piece

void intro(double)
{
    // The start picture and the five words, one chord per scene, each from
    // its own scene's start.
    const Chord* chords[6] = {&Am, &F, &C, &G, &Am, &F};
    for (int s = 0; s < 6; ++s) {
        double t0 = section_start(first_scene + s);
        const Chord& c = *chords[s];
        float level = 0.55f + 0.09f * s;
        pad(t0, 5.6, c.pad, level, s == 0 ? 3.0 : 1.2, 1.6, 500 + 150 * s, 900 + 200 * s);
        // A low drone from the second scene on, a soft pulse from the third.
        if (s >= 1)
            bass(t0, 5.8, c.root + 12, 0.12f + 0.02f * s, 300);
        // Bells: one slow arpeggio per scene, busier as it goes.
        int notes = 3 + s;
        for (int k = 0; k < notes; ++k) {
            double b = k * (12.0 / notes);
            bell(at_beat(t0, b), c.arp[k % c.arp.size()] + (k >= 4 ? 12 : 0), 0.10f + 0.012f * s,
                 static_cast<float>(((k % 3) - 1) * 0.5));
        }
        if (s >= 3)
            for (int e = 0; e < 24; ++e)
                hat(at_beat(t0, e * 0.5 + 0.25), 0.05f + 0.02f * (s - 3) + (e % 2 ? 0.02f : 0.0f), false,
                    e % 2 ? 0.5f : -0.5f);
        if (s >= 4)
            for (int bar = 0; bar < 3; ++bar) { // heartbeat
                kick(at_beat(t0, bar * 4), 0.45f, false);
                kick(at_beat(t0, bar * 4 + 0.75), 0.3f, false);
            }
    }
    // Build into the title over the last word: riser and a snare roll that
    // speeds up.
    const double last_word = section_start(4);
    riser(last_word, section_start(5), 0.5f, 300, 7000);
    for (double b = 0; b < 4; b += 0.5)
        snare(at_beat(last_word + 2, b), 0.12f + 0.03f * static_cast<float>(b), 0.2f);
    for (double b = 0; b < 4; b += 0.25)
        snare(at_beat(last_word + 4, b), 0.2f + 0.06f * static_cast<float>(b), 0.2f);
}

void title(double at)
{
    // Scene 5: the title lands on a crash and a held A minor; a tom fill in
    // its last second leads into the honeycomb.
    crash(at, 0.9f);
    kick(at, 1.0f);
    pad(at, 4.6, {45, 52, 57, 60, 64, 69}, 0.6f, 0.02, 0.8, 2500, 1200);
    bass(at, 4.0, 33, 0.5f, 400);
    lead(at, 1.4, 76, 0.2f);
    lead(at + 1.5, 0.45, 77, 0.2f);
    lead(at + 2, 1.9, 76, 0.2f);
    for (int b = 0; b < 8; b += 2)
        kick(at_beat(at, b), 0.7f);
    hat(at_beat(at, 1), 0.3f, true);
    hat(at_beat(at, 3), 0.3f, true);
    hat(at_beat(at, 5), 0.3f, true);
    hat(at_beat(at, 7), 0.3f, true);
    const double fill_at = section_start(6) - 1;
    const double fill[8] = {55, 52, 50, 47, 45, 43, 40, 38};
    for (int k = 0; k < 8; ++k)
        tom(at_beat(fill_at, k * 0.25), fill[k], 0.55f, static_cast<float>(0.5 - k * 0.14));
    snare(at_beat(fill_at, 1.75), 0.5f);
}

void honeycomb(double at)
{
    // Scene 6: the groove starts at half time, bass in eighths.
    crash(at, 0.7f);
    const Chord* chords[2] = {&Am, &F};
    each_bar(at, chords, 2, [](int, double t0, const Chord& c) {
        kick(at_beat(t0, 0), 0.95f);
        kick(at_beat(t0, 2.5), 0.7f);
        snare(at_beat(t0, 2), 0.55f);
        for (int e = 0; e < 8; ++e)
            hat(at_beat(t0, e * 0.5), e % 2 ? 0.3f : 0.15f, false);
        pad(t0, 1.9, c.pad, 0.55f, 0.05, 0.3, 1500, 1800);
        for (int e = 0; e < 8; ++e)
            bass(at_beat(t0, e * 0.5), 0.2, c.root + (e % 4 == 2 ? 12 : 0), 0.42f);
        for (int k = 0; k < 16; ++k)
            pluck(at_beat(t0, k * 0.25), c.arp[k % 4], 0.08f, k % 2 ? 0.4f : -0.4f);
    });
    const double tunnel_at = section_start(7);
    riser(tunnel_at - 2, tunnel_at, 0.25f, 800, 6000);
}

void tunnel(double at)
{
    // Scene 7: the full groove, ten bars: the lead's two phrases and a
    // turnaround.
    const Chord* chords[10] = {&Am, &F, &C, &G, &Am, &F, &C, &E, &Dm, &E};
    crash(at, 0.9f);
    each_bar(at, chords, 10, [](int bar, double t0, const Chord& c) {
        groove_bar(t0, 1.0f);
        pad(t0, 1.95, c.pad, 0.5f, 0.02, 0.25, 2200, 2200);
        const double pattern[8] = {0, 0, 12, 0, 0, 12, 0, 7};
        for (int e = 0; e < 8; ++e)
            bass(at_beat(t0, e * 0.5), 0.22, c.root + 12 + pattern[e], 0.45f, 900);
        if (bar == 4)
            crash(t0, 0.6f);
    });
    play_phrase(at, phrase_a, 0, 16, 0.22f);
    play_phrase(at + 8, phrase_b, 0, 16, 0.22f);
    lead(at + 16, 1.9, 77, 0.22f);
    lead(at + 18, 0.95, 76, 0.22f);
    lead(at + 19, 0.9, 80, 0.22f);
    // Into the stars: the drums stop on the last beat.
    const double stars_at = section_start(8);
    riser(stars_at - 2, stars_at, 0.2f, 1000, 9000);
}

void stars(double at)
{
    // Scene 8: airy: open major-seventh pads, bells in echo, a slow bass.
    const Chord* chords[5] = {&Fmaj7, &Cmaj7, &Dm7, &Am7, &Fmaj7};
    crash(at, 0.5f);
    each_bar(at, chords, 5, [](int, double t0, const Chord& c) {
        pad(t0, 1.9, c.pad, 0.55f, 0.5, 0.8, 1800, 3000, 0.6f);
        bass(t0, 1.8, c.root + 12, 0.22f, 250);
        for (int k = 0; k < 8; ++k) {
            double note = c.arp[(k * 3) % 4] + 12;
            bell(at_beat(t0, k * 0.5 + (k % 2 ? 0.25 : 0)), note, 0.09f, static_cast<float>(std::sin(k * 1.3) * 0.7), 3.0);
        }
        for (int e = 0; e < 4; ++e)
            hat(at_beat(t0, e + 0.5), 0.07f, false, 0.6f);
    });
}

void white_out(double at)
{
    // Scene 9: the swell to white: a rising suspended chord, a riser and a
    // snare roll, released by the crash of the bars closing in.
    pad(at, 4.0, {45, 52, 57, 59, 64, 71}, 0.5f, 3.5, 0.4, 600, 5000, 0.5f);
    bass(at, 4.0, 40, 0.3f, 300);
    riser(at, section_start(10), 0.65f, 200, 12000);
    for (double b = 0; b < 8; b += 0.25)
        snare(at_beat(at, b), 0.05f + 0.05f * static_cast<float>(b), 0.3f);
    for (int k = 0; k < 8; ++k)
        bell(at_beat(at, k), Esus.arp[k % 4] + 12, 0.05f + 0.01f * k, k % 2 ? 0.6f : -0.6f, 2.0);
}

void bars_close_in(double at)
{
    // Scene 10: a crash, then toms closing in over a pulsing bass.
    crash(at, 1.0f);
    const Chord* chords[2] = {&Am, &E};
    each_bar(at, chords, 2, [](int bar, double t0, const Chord& c) {
        for (int b = 0; b < 4; ++b)
            kick(at_beat(t0, b), 0.9f);
        for (int e = 0; e < 8; ++e) {
            tom(at_beat(t0, e * 0.5 + 0.25), 45 + (e % 4) * 3 - bar * 2, 0.3f, e % 2 ? 0.5f : -0.5f);
            bass(at_beat(t0, e * 0.5), 0.2, c.root + 12, 0.45f, 600);
        }
        pad(t0, 1.95, c.pad, 0.45f, 0.3, 0.2, 900, 2000);
    });
    snare(at_beat(at + 2, 3), 0.4f);
    snare(at_beat(at + 2, 3.5), 0.5f);
}

void credits(double at)
{
    // Scenes 11 to 19: the credits groove. Four bars to set it up, then one
    // three-bar unit per scene of names from scene 12 on, each with its own
    // chords and either a lead phrase or an arpeggio.
    struct Unit {
        const Chord* chords[3];
        int part; // 0: arpeggio, 1: phrase A, 2: phrase B, 3: long notes
    };
    const Chord* opening[4] = {&Am, &F, &C, &G};
    each_bar(at, opening, 4, [](int bar, double t0, const Chord& c) {
        credits_bar(t0, 1.0f, bar == 3);
        pad(t0, 1.95, c.pad, 0.45f, 0.05, 0.25, 1600, 1600);
        const double pattern[6][2] = {{0, 0}, {0.75, 0}, {1.5, 12}, {2.5, 0}, {3, 12}, {3.5, 7}};
        for (auto& p : pattern)
            bass(at_beat(t0, p[0]), 0.3, c.root + 12 + p[1], 0.45f, 800);
        for (int k = 0; k < 8; ++k)
            pluck(at_beat(t0, k * 0.5 + 0.25), c.arp[k % 4], 0.07f, k % 2 ? 0.5f : -0.5f);
    });
    crash(at, 0.8f);

    const Unit units[8] = {
        {{&Am, &F, &C}, 1}, {{&Am, &F, &G}, 0}, {{&Am, &F, &C}, 2}, {{&Dm, &F, &E}, 3},
        {{&Am, &F, &C}, 1}, {{&Am, &F, &G}, 0}, {{&Am, &F, &C}, 2}, {{&Dm, &E, &E}, 3},
    };
    for (int u = 0; u < 8; ++u) {
        const double u0 = section_start(12 + u);
        crash(u0, 0.6f);
        const int part = units[u].part;
        each_bar(u0, units[u].chords, 3, [part](int bar, double t0, const Chord& c) {
            credits_bar(t0, 1.0f, bar == 2);
            pad(t0, 1.95, c.pad, 0.45f, 0.05, 0.25, 1600, 1600);
            const double pattern[6][2] = {{0, 0}, {0.75, 0}, {1.5, 12}, {2.5, 0}, {3, 12}, {3.5, 7}};
            for (auto& p : pattern)
                bass(at_beat(t0, p[0]), 0.3, c.root + 12 + p[1], 0.45f, 800);
            if (part == 0)
                for (int k = 0; k < 16; ++k)
                    pluck(at_beat(t0, k * 0.25), c.arp[(k * 5 / 2) % 4] + (k % 8 == 7 ? 12 : 0), 0.08f,
                          k % 2 ? 0.5f : -0.5f);
            if (part == 3) {
                lead(t0, 1.9, c.arp[2], 0.18f);
                bell(t0, c.arp[3] + 12, 0.08f, 0.5f);
            }
        });
        if (units[u].part == 1)
            play_phrase(u0, phrase_a, 0, 12, 0.2f, u >= 4);
        if (units[u].part == 2)
            play_phrase(u0, phrase_b, 0, 12, 0.2f, u >= 4);
    }
}

void close_to_black(double at)
{
    // Scene 20: the bars close: drums fall away, the chord darkens.
    crash(at, 0.6f);
    kick(at, 0.9f);
    kick(at + 2, 0.6f);
    pad(at, 3.8, {57, 60, 64, 69}, 0.55f, 0.02, 1.0, 2500, 300);
    bass(at, 3.6, 33, 0.35f, 400);
    for (int k = 0; k < 8; ++k)
        pluck(at_beat(at, k), Am.arp[3 - (k % 4)], 0.06f * (1.0f - k / 9.0f), k % 2 ? 0.5f : -0.5f);
}

void end_cards(double first)
{
    // Scenes 21 and 22: two end cards: F, then A minor, bells ringing out;
    // the piece fades with the sequence.
    const double second = section_start(22);
    pad(first, 3.8, Fmaj7.pad, 0.45f, 0.8, 1.0, 900, 1400, 0.6f);
    bass(first, 3.8, 41, 0.18f, 250);
    bell(first, 77, 0.1f, -0.4f, 1.5);
    bell(first + 1, 76, 0.08f, 0.4f, 1.5);
    bell(first + 2, 72, 0.07f, -0.2f, 1.5);
    pad(second, 4.2, {45, 52, 57, 60, 64}, 0.45f, 0.8, 0.8, 1100, 600, 0.6f);
    bass(second, 4.0, 33, 0.18f, 250);
    bell(second, 81, 0.1f, 0.0f, 1.2);
    bell(second + 1, 76, 0.07f, 0.5f, 1.2);
    bell(second + 2, 69, 0.06f, -0.5f, 1.2);
}

// The piece, section by section: each is written from the start of its
// first scene and runs until the next section's scene.
struct Section {
    int scene;
    void (*write)(double at);
    const char* name;
};
const Section sections[] = {
    {first_scene, intro, "intro"},          // the start picture and the five words
    {5, title, "title"},
    {6, honeycomb, "honeycomb"},
    {7, tunnel, "tunnel"},
    {8, stars, "stars"},
    {9, white_out, "white out"},
    {10, bars_close_in, "bars close in"},
    {11, credits, "credits"},               // to scene 19
    {20, close_to_black, "close to black"},
    {21, end_cards, "end cards"},           // and scene 22
};

// ---------------------------------------------------------------- effects

// Freeverb-style reverb: eight damped combs and four all-passes per side.
void reverb(const Bus& in, Bus& out)
{
    const int combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    const int allpasses[4] = {556, 441, 341, 225};
    for (int side = 0; side < 2; ++side) {
        const std::vector<float>& x = side ? in.r : in.l;
        std::vector<float>& y = side ? out.r : out.l;
        int spread = side ? 23 : 0;
        std::vector<double> sum(total_frames, 0.0);
        for (int c = 0; c < 8; ++c) {
            std::vector<double> buf(combs[c] + spread, 0.0);
            size_t pos = 0;
            double store = 0;
            for (int i = 0; i < total_frames; ++i) {
                double o = buf[pos];
                store = o * 0.8 + store * 0.2; // damping
                buf[pos] = x[i] * 0.015 + store * 0.86;
                if (++pos == buf.size())
                    pos = 0;
                sum[i] += o;
            }
        }
        for (int a = 0; a < 4; ++a) {
            std::vector<double> buf(allpasses[a] + spread, 0.0);
            size_t pos = 0;
            for (int i = 0; i < total_frames; ++i) {
                double b = buf[pos];
                double o = -sum[i] + b;
                buf[pos] = sum[i] + b * 0.5;
                if (++pos == buf.size())
                    pos = 0;
                sum[i] = o;
            }
        }
        for (int i = 0; i < total_frames; ++i)
            y[i] += static_cast<float>(sum[i]);
    }
}

// Ping-pong echo at a dotted eighth, darkened on every repeat.
void echo(const Bus& in, Bus& out)
{
    const int delay = frame_at(0.375);
    std::vector<double> dl(delay, 0.0), dr(delay, 0.0);
    double lowl = 0, lowr = 0;
    size_t pos = 0;
    for (int i = 0; i < total_frames; ++i) {
        double ol = dl[pos], or_ = dr[pos];
        lowl += 0.35 * (ol - lowl);
        lowr += 0.35 * (or_ - lowr);
        // Left feeds right and right feeds left.
        dl[pos] = in.l[i] + in.r[i] * 0.3 + lowr * 0.45;
        dr[pos] = lowl * 0.45;
        if (++pos == static_cast<size_t>(delay))
            pos = 0;
        out.l[i] += static_cast<float>(ol);
        out.r[i] += static_cast<float>(or_);
    }
}

bool write_wav(const char* file_name, const std::vector<std::int16_t>& samples)
{
    std::FILE* f = std::fopen(file_name, "wb");
    if (!f)
        return false;
    auto u32 = [&](std::uint32_t v) {
        unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                              static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
        std::fwrite(b, 1, 4, f);
    };
    auto u16 = [&](std::uint16_t v) {
        unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
        std::fwrite(b, 1, 2, f);
    };
    std::uint32_t data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + data_bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(data_bytes);
    for (std::int16_t s : samples)
        u16(static_cast<std::uint16_t>(s));
    bool ok = std::ferror(f) == 0;
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    static const ProgramOption options[] = {{"--sections", false}};
    const ProgramLine line = {"elka-song",
                              "Usage: elka-song OUT.wav\n"
                              "  or:  elka-song --sections\n"
                              "Renders the eLka demo's song as a 44100 Hz 16-bit stereo WAV file, its\n"
                              "sections starting where the demo's scenes start.\n"
                              "\n"
                              "      --sections  list each section's scene, start (seconds) and name, and exit\n"
                              "      --help      show this help and exit\n"
                              "      --version   show the version and exit\n",
                              options, 1, 0, 1, "OUT.wav"};
    if (int status = answer_program_line(argc, argv, line); status >= 0)
        return status;
    const bool list_sections = argc == 2 && std::strcmp(argv[1], "--sections") == 0;
    if (argc != 2)
        return program_usage_error("elka-song", argc < 2 ? "missing OUT.wav" : "--sections takes no OUT.wav");
    for (const Section& section : sections) {
        if (list_sections)
            std::printf("%d\t%.3f\t%s\n", section.scene, section_start(section.scene), section.name);
        else
            section.write(section_start(section.scene));
    }
    if (list_sections)
        return 0;

    Bus wet;
    reverb(reverb_send, wet);
    echo(echo_send, wet);

    // Mix: the kick pushes the tonal parts down a little in the grooves.
    std::vector<float> left(total_frames), right(total_frames);
    for (int i = 0; i < total_frames; ++i) {
        float g = 1.0f - 0.4f * duck[i];
        left[i] = drums.l[i] + music.l[i] * g + wet.l[i];
        right[i] = drums.r[i] + music.r[i] * g + wet.r[i];
    }
    // Fade with the last end card, from its third second; nothing after
    // 151.8 s.
    const int fade_from = frame_at(section_start(22) + 2);
    for (int i = fade_from; i < total_frames; ++i) {
        double x = std::min(1.0, (i - fade_from) / double(frame_at(151.8) - fade_from));
        float g = static_cast<float>(0.5 * (1 + std::cos(pi * x)));
        left[i] *= g;
        right[i] *= g;
    }
    // Take out any DC the kick's saturation leaves (20 Hz high-pass).
    for (std::vector<float>* ch : {&left, &right}) {
        double x1 = 0, y1 = 0;
        const double a = std::exp(-2 * pi * 20.0 / rate);
        for (float& v : *ch) {
            double y = v - x1 + a * y1;
            x1 = v;
            y1 = y;
            v = static_cast<float>(y);
        }
    }
    // Level: the tunnel's full groove sits at about -14 dBFS RMS; a
    // look-ahead limiter keeps every peak at or below -1.5 dBFS, leaving
    // room for the MP3 encoder's overshoot.
    const int groove_from = frame_at(section_start(7)), groove_to = frame_at(section_start(8));
    double groove_power = 0;
    for (int i = groove_from; i < groove_to; ++i)
        groove_power += 0.5 * (double(left[i]) * left[i] + double(right[i]) * right[i]);
    double groove_rms = std::sqrt(groove_power / (groove_to - groove_from));
    const float scale = static_cast<float>(std::pow(10.0, -14.0 / 20.0) / groove_rms);
    const float ceiling = static_cast<float>(std::pow(10.0, -1.5 / 20.0));
    std::vector<float> gain(total_frames, 1.0f);
    for (int i = 0; i < total_frames; ++i) {
        float p = std::max(std::fabs(left[i]), std::fabs(right[i])) * scale;
        gain[i] = p > ceiling ? ceiling / p : 1.0f;
    }
    const float attack_step = 1.0f / frame_at(0.004); // reach any reduction within 4 ms ahead of the peak
    for (int i = total_frames - 2; i >= 0; --i)
        gain[i] = std::min(gain[i], gain[i + 1] + attack_step);
    const float release = static_cast<float>(1.0 - std::exp(-1.0 / (0.12 * rate)));
    float deepest = 1.0f;
    for (int i = 1; i < total_frames; ++i) {
        gain[i] = std::min(gain[i], gain[i - 1] + (1.0f - gain[i - 1]) * release);
        deepest = std::min(deepest, gain[i]);
    }
    for (int i = 0; i < total_frames; ++i) {
        left[i] *= scale * gain[i];
        right[i] *= scale * gain[i];
    }
    std::vector<std::int16_t> out(static_cast<size_t>(total_frames) * 2);
    for (int i = 0; i < total_frames; ++i) {
        out[2 * i] = static_cast<std::int16_t>(std::lround(std::clamp(left[i], -1.0f, 1.0f) * 32767.0f));
        out[2 * i + 1] = static_cast<std::int16_t>(std::lround(std::clamp(right[i], -1.0f, 1.0f) * 32767.0f));
    }
    if (!write_wav(argv[1], out)) {
        std::fprintf(stderr, "elka-song: cannot write %s\n", argv[1]);
        return 1;
    }
    std::fprintf(stderr, "elka-song: %s, %.1f s, gain %.2f dB, deepest limiting %.2f dB\n", argv[1], length_seconds,
                 20 * std::log10(scale), 20 * std::log10(deepest));
    return 0;
}
