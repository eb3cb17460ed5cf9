#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace DataGen {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// Fixed-seed xorshift, so the same recipe always gives the same noise.
class NoiseSource {
public:
    explicit NoiseSource(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
    double Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
    }

private:
    std::uint32_t state_;
};

// State-variable filter in the trapezoidal form: stable for any cutoff,
// so a sweep may move it freely from one sample to the next.
class Filter {
public:
    double Low(double in, double cutoff, double q, double rate) { Step(in, cutoff, q, rate); return low_; }
    double High(double in, double cutoff, double q, double rate)
    {
        Step(in, cutoff, q, rate);
        return in - band_ / q - low_;
    }

private:
    void Step(double in, double cutoff, double q, double rate)
    {
        const double g = std::tan(std::numbers::pi * std::min(cutoff, 0.45 * rate) / rate);
        const double k = 1 / q;
        const double a1 = 1 / (1 + g * (g + k));
        const double a2 = g * a1;
        const double a3 = g * a2;
        const double v3 = in - ic2_;
        band_ = a1 * ic1_ + a2 * v3;
        low_ = ic2_ + a2 * ic1_ + a3 * v3;
        ic1_ = 2 * band_ - ic1_;
        ic2_ = 2 * low_ - ic2_;
    }
    double ic1_ = 0, ic2_ = 0, band_ = 0, low_ = 0;
};

double Glide(const Sweep& sweep, double progress)
{
    return sweep.from * std::pow(sweep.to / sweep.from, std::clamp(progress, 0.0, 1.0));
}

// The envelope at time t, started from firstLevel in place of its first point's
// level: a tune's note picks up where the note before it left off.
double EnvelopeAt(const std::vector<EnvPoint>& points, double t, double firstLevel)
{
    if (points.empty()) return 1;
    if (t <= points.front().time) return firstLevel;
    EnvPoint from{points.front().time, firstLevel};
    for (std::size_t i = 1; i < points.size(); ++i) {
        const EnvPoint& to = points[i];
        if (t < to.time) return from.level + (to.level - from.level) * (t - from.time) / (to.time - from.time);
        from = to;
    }
    return from.level;
}

double FirstLevel(const std::vector<EnvPoint>& points) { return points.empty() ? 1 : points.front().level; }

// Softens the step of a band-limited edge (polyBLEP), so high notes do not alias.
double EdgeCorrection(double phase, double step)
{
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1;
    }
    if (phase > 1 - step) {
        const double t = (phase - 1) / step;
        return t * t + t + t + 1;
    }
    return 0;
}

double Oscillator(Wave wave, double phase, double step, double duty)
{
    switch (wave) {
    case Wave::Sine: return std::sin(kTwoPi * phase);
    case Wave::Saw: return 2 * phase - 1 - EdgeCorrection(phase, step);
    case Wave::Square:
        // Less the pulse's own mean (2 duty - 1), so a narrow pulse stays centred.
        return (phase < duty ? 1.0 : -1.0) + EdgeCorrection(phase, step) -
               EdgeCorrection(std::fmod(phase + 1 - duty, 1.0), step) - (2 * duty - 1);
    case Wave::Triangle: return 1 - 4 * std::abs(phase - 0.5);
    case Wave::Noise: break;
    }
    return 0;
}

// A stretch that sounds without a break: a whole layer, or a tune's notes
// between rests. It opens over kOpening and closes over the layer's release,
// on a raised-cosine curve, which has no corner for the ear to hear.
struct Stretch {
    double from = 0;
    double to = 0;
};

constexpr double kOpening = 0.002;

double Gate(const Stretch& stretch, double t, double release)
{
    const double opening = (t - stretch.from) / kOpening;
    const double closing = release > 0 ? (stretch.to - t) / release : 1.0;
    const double open = std::clamp(std::min(opening, closing), 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(std::numbers::pi * open);
}

// A note as it is played (a plain layer plays as one long note): where it
// lies, the stretch it belongs to, and the level its envelope starts from.
struct PlayedNote {
    double start = 0;
    double end = 0;
    double frequency = 0;
    double firstLevel = 0;
    Stretch stretch;
};

void MarkStretches(std::vector<PlayedNote>& notes)
{
    for (std::size_t i = 0; i < notes.size();) {
        std::size_t end = i;
        while (end < notes.size() && (notes[end].frequency > 0) == (notes[i].frequency > 0)) ++end;
        for (std::size_t k = i; k < end; ++k) notes[k].stretch = {notes[i].start, notes[end - 1].end};
        i = end;
    }
}

std::vector<PlayedNote> PlayTune(const Layer& layer)
{
    std::vector<PlayedNote> notes;
    double start = 0;
    for (const TuneNote& note : layer.tune) {
        PlayedNote played{start, start + note.beats * layer.beatSeconds, note.frequency, FirstLevel(layer.envelope), {}};
        if (!notes.empty() && notes.back().frequency > 0) {
            const PlayedNote& before = notes.back();
            played.firstLevel = EnvelopeAt(layer.envelope, before.end - before.start, before.firstLevel);
        }
        notes.push_back(played);
        start = played.end;
    }
    MarkStretches(notes);
    return notes;
}

double LayerLength(const Layer& layer, double soundLength)
{
    if (layer.length >= 0) return layer.length;
    if (!layer.tune.empty()) return PlayTune(layer).back().end;
    return soundLength - layer.start;
}

// A plain layer's one note glides along its pitch sweep.
std::vector<PlayedNote> PlayLayer(const Layer& layer, double length)
{
    if (!layer.tune.empty()) return PlayTune(layer);
    return {PlayedNote{0, length, 0, FirstLevel(layer.envelope), Stretch{0, length}}};
}

// Where a layer is at one moment: its pitch and its level (0 = silent).
struct Moment {
    double frequency = 0;
    double level = 0;
};

Moment MomentAt(const Layer& layer, const std::vector<PlayedNote>& notes, double t, double progress)
{
    const auto note = std::find_if(notes.begin(), notes.end(), [t](const PlayedNote& n) { return t < n.end; });
    if (note == notes.end()) return Moment{};
    const double frequency = layer.tune.empty() ? Glide(layer.pitch, progress) : note->frequency;
    if (frequency <= 0) return Moment{};
    const double level = EnvelopeAt(layer.envelope, t - note->start, note->firstLevel) *
                         Gate(note->stretch, t, layer.release);
    return Moment{frequency, level};
}

// One playing of a layer: its oscillator or noise and its filters.
class Voice {
public:
    Voice(const Layer& layer, std::uint32_t seed) : layer_(layer), noise_(seed), held_(noise_.Next()) {}

    double Next(double frequency, double t, double progress, double rate)
    {
        double value = Source(frequency, t, progress, rate);
        if (layer_.lowpass.used) value = lowpass_.Low(value, Glide(layer_.lowpass, progress), layer_.resonance, rate);
        if (layer_.highpass.used)
            value = highpass_.High(value, Glide(layer_.highpass, progress), layer_.resonance, rate);
        return value;
    }

private:
    double Source(double frequency, double t, double progress, double rate)
    {
        if (layer_.vibratoDepth != 0)
            frequency *= std::pow(2.0, layer_.vibratoDepth * std::sin(kTwoPi * layer_.vibratoRate * t) / 12);
        const double step = std::min(frequency / rate, 0.5);
        phase_ += step;
        const bool wrapped = phase_ >= 1;
        phase_ -= std::floor(phase_);
        if (layer_.wave != Wave::Noise) return Oscillator(layer_.wave, phase_, step, Glide(layer_.duty, progress));
        if (!layer_.pitch.used || wrapped) held_ = noise_.Next();
        return held_;
    }

    const Layer& layer_;
    NoiseSource noise_;
    Filter lowpass_, highpass_;
    double phase_ = 0;
    double held_;
};

void MixLayer(const Layer& layer, double soundLength, double rate, std::vector<double>& mix)
{
    const double length = LayerLength(layer, soundLength);
    if (length <= 0) return;
    const std::vector<PlayedNote> notes = PlayLayer(layer, length);
    const auto first = static_cast<std::size_t>(std::lround(layer.start * rate));
    const auto count = static_cast<std::size_t>(std::lround(length * rate));
    const std::size_t last = std::min(mix.size(), first + count);
    Voice voice(layer, layer.seed);
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / rate;
        const double progress = t / length;
        const Moment now = MomentAt(layer, notes, t, progress);
        if (now.frequency <= 0) continue;
        mix[i] += voice.Next(now.frequency, t, progress, rate) * now.level * layer.gain;
    }
}

// Takes away what lies below hearing, so no stretch of the sound sits off centre.
void CutSubsonic(std::vector<double>& mix, double rate)
{
    constexpr double kCutoff = 20;
    Filter filter;
    for (double& v : mix) v = filter.High(v, kCutoff, 0.7071, rate);
}

void Fade(std::vector<double>& mix, double seconds, double rate, bool atEnd)
{
    const auto length = std::min(mix.size(), static_cast<std::size_t>(std::max(1.0, seconds * rate)));
    for (std::size_t i = 0; i < length; ++i) {
        const double level = static_cast<double>(i) / static_cast<double>(length);
        mix[atEnd ? mix.size() - 1 - i : i] *= level;
    }
}

}  // namespace

std::vector<std::int16_t> RenderRecipe(const Recipe& recipe, int sampleRate)
{
    const auto rate = static_cast<double>(sampleRate);
    std::vector<double> mix(static_cast<std::size_t>(std::lround(recipe.length * rate)), 0.0);
    for (const Layer& layer : recipe.layers) MixLayer(layer, recipe.length, rate, mix);
    CutSubsonic(mix, rate);
    Fade(mix, 0.002, rate, false);
    Fade(mix, recipe.fade, rate, true);

    double loudest = 0;
    for (const double v : mix) loudest = std::max(loudest, std::abs(v));
    const double scale = loudest > 0 ? recipe.peak * 32767 / loudest : 0;
    std::vector<std::int16_t> samples;
    samples.reserve(mix.size());
    for (const double v : mix)
        samples.push_back(static_cast<std::int16_t>(std::clamp(std::lround(v * scale), -32767L, 32767L)));
    return samples;
}

}  // namespace DataGen
