// A sound-effect recipe: layers of oscillators or noise, each with its own
// envelope, pitch sweep and filters, mixed and scaled to a peak level.
//
// Text form, one directive a line, "#" starts a comment:
//   length 0.30          whole sound in seconds
//   peak 0.8             loudest sample as a share of full scale
//   fade 0.02            fade-out at the end, seconds
//   drive 1.5            saturates the whole mix softly (tanh) before it is
//                        scaled to the peak: fuller for the same peak
//   layer square         starts a layer: sine, square, saw, triangle or noise
//     start 0.05         when the layer begins (s); default 0
//     length 0.2         how long it lasts (s); default to the end of the sound
//     pitch 880 220      Hz at the start and at the end (exponential glide);
//                        for noise, the rate at which it picks a new value
//     notes 0.12 c5:1 e5:1 r:1 g5:2   a tune instead of pitch: seconds per beat,
//                        then note:beats; the envelope starts again on every note,
//                        from the level the note before it left (from its first
//                        level after a rest)
//     duty 0.5 0.1       pulse width of square, start and end
//     vibrato 6 0.3      rate in Hz, depth in semitones
//     env 0:0 0.01:1 0.2:0   time:level points, linear between them
//     lowpass 4000 500   cutoff in Hz, start and end (exponential)
//     highpass 200       likewise
//     resonance 2        filter Q, default 0.707
//     rolloff 24         filter slope in dB an octave: 12 (default) or 24
//     drive 3            saturates the wave (tanh) before the filters: grit
//     grain 40 0.8       the level moves between random points 40 times a
//                        second, each between 1 - 0.8 and 1: a rumble or crackle
//     release 0.05       fade at the layer's end and before each rest (s);
//                        default 0.01, so no layer ever stops with a click
//     hits 0:1 0.3:0.6   the layer plays once from each time (s, after start),
//                        at that level, with new noise each time: a chain
//     gain 0.5           level of this layer in the mix
//     seed 7             noise seed
//
// The mix loses what lies below 20 Hz, which no one hears but which would
// push the waveform off centre.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace DataGen {

enum class Wave { Sine, Square, Saw, Triangle, Noise };

struct Sweep {
    double from = 0;
    double to = 0;
    bool used = false;
};

struct EnvPoint {
    double time = 0;
    double level = 0;
};

struct Hit {
    double time = 0;
    double level = 1;
};

struct TuneNote {
    double frequency = 0;  // 0 for a rest
    double beats = 0;
};

struct Layer {
    Wave wave = Wave::Sine;
    double start = 0;
    double length = -1;  // below 0: to the end of the sound
    Sweep pitch{440, 440, false};
    Sweep duty{0.5, 0.5, false};
    double vibratoRate = 0;
    double vibratoDepth = 0;
    std::vector<EnvPoint> envelope;
    Sweep lowpass;
    Sweep highpass;
    double resonance = 0.7071;
    int rolloff = 12;
    double drive = 0;  // 0: clean
    double grainRate = 0;
    double grainDepth = 0;
    double release = 0.01;
    std::vector<Hit> hits{Hit{}};
    double gain = 1;
    std::uint32_t seed = 1;
    double beatSeconds = 0;
    std::vector<TuneNote> tune;
};

struct Recipe {
    double length = 0;
    double peak = 0.8;
    double fade = 0.015;
    double drive = 0;  // 0: clean
    std::vector<Layer> layers;
};

// Throws std::runtime_error "<sourceName>:<line>: <what>" on any fault.
Recipe ParseRecipe(const std::string& text, const std::string& sourceName);

// Frequency of a note name such as "a4" (440 Hz), "c+5" or "b-3".
// Returns a negative value when the name is not a note.
double NoteFrequency(const std::string& name);

}  // namespace DataGen
