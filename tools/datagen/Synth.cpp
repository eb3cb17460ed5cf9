#include "Synth.h"

#include <algorithm>
#include <array>
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

// A level that moves in straight lines between random points, rate times a
// second: the slow unevenness of a rumble, or the fast one of a crackle.
class Grain {
public:
    Grain(std::uint32_t seed, double rate, double depth)
        : noise_(seed ^ 0xA5A5A5A5u), rate_(rate), depth_(depth), from_(Point()), to_(Point()) {}

    double At(double t)
    {
        if (rate_ <= 0) return 1;
        const double position = t * rate_;
        while (position >= static_cast<double>(index_ + 1)) {
            from_ = to_;
            to_ = Point();
            ++index_;
        }
        return from_ + (to_ - from_) * (position - static_cast<double>(index_));
    }

private:
    double Point() { return 1 - depth_ * (noise_.Next() + 1) / 2; }

    NoiseSource noise_;
    double rate_, depth_;
    double from_, to_;
    std::size_t index_ = 0;
};

// The filters of one layer, one or two stages each (12 or 24 dB an octave).
class FilterChain {
public:
    double Run(const Layer& layer, double value, double progress, double rate)
    {
        const int stages = layer.rolloff == 24 ? 2 : 1;
        for (int s = 0; s < stages; ++s) {
            if (layer.lowpass.used)
                value = low_[s].Low(value, Glide(layer.lowpass, progress), layer.resonance, rate);
            if (layer.highpass.used)
                value = high_[s].High(value, Glide(layer.highpass, progress), layer.resonance, rate);
        }
        return value;
    }

private:
    std::array<Filter, 2> low_, high_;
};

// One playing of a layer: its oscillator or noise, its filters and grain.
class Voice {
public:
    Voice(const Layer& layer, std::uint32_t seed)
        : layer_(layer), noise_(seed), grain_(seed, layer.grainRate, layer.grainDepth), held_(noise_.Next()) {}

    double Next(double frequency, double t, double progress, double rate)
    {
        double value = Source(frequency, t, progress, rate);
        if (layer_.drive > 0) value = std::tanh(layer_.drive * value) / std::tanh(layer_.drive);
        return filters_.Run(layer_, value, progress, rate) * grain_.At(t);
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
    Grain grain_;
    FilterChain filters_;
    double phase_ = 0;
    double held_;
};

// Each hit of a layer draws new noise: a seed far from every layer's own.
std::uint32_t HitSeed(std::uint32_t seed, std::size_t hit)
{
    return seed + static_cast<std::uint32_t>(hit) * 0x9E3779B9u;
}

void MixHit(const Layer& layer, const std::vector<PlayedNote>& notes, double length, double start, double gain,
            std::uint32_t seed, double rate, std::vector<double>& mix)
{
    const auto first = static_cast<std::size_t>(std::lround(start * rate));
    const auto count = static_cast<std::size_t>(std::lround(length * rate));
    const std::size_t last = std::min(mix.size(), first + count);
    Voice voice(layer, seed);
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / rate;
        const double progress = t / length;
        const Moment now = MomentAt(layer, notes, t, progress);
        if (now.frequency <= 0) continue;
        mix[i] += voice.Next(now.frequency, t, progress, rate) * now.level * gain;
    }
}

void MixLayer(const Layer& layer, double soundLength, double rate, std::vector<double>& mix)
{
    const double length = LayerLength(layer, soundLength);
    if (length <= 0) return;
    const std::vector<PlayedNote> notes = PlayLayer(layer, length);
    for (std::size_t h = 0; h < layer.hits.size(); ++h) {
        const Hit& hit = layer.hits[h];
        MixHit(layer, notes, length, layer.start + hit.time, layer.gain * hit.level, HitSeed(layer.seed, h), rate, mix);
    }
}

// Takes away what lies below hearing, so no stretch of the sound sits off centre.
void CutSubsonic(std::vector<double>& mix, double rate)
{
    constexpr double kCutoff = 20;
    Filter filter;
    for (double& v : mix) v = filter.High(v, kCutoff, 0.7071, rate);
}

double Loudest(const std::vector<double>& mix)
{
    double loudest = 0;
    for (const double v : mix) loudest = std::max(loudest, std::abs(v));
    return loudest;
}

// Soft saturation: the loudest sample stays where it is, the rest comes up.
void Saturate(std::vector<double>& mix, double drive)
{
    const double loudest = Loudest(mix);
    if (drive <= 0 || loudest <= 0) return;
    for (double& v : mix) v = std::tanh(drive * v / loudest) / std::tanh(drive) * loudest;
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
    Saturate(mix, recipe.drive);
    CutSubsonic(mix, rate);
    Fade(mix, 0.002, rate, false);
    Fade(mix, recipe.fade, rate, true);

    const double loudest = Loudest(mix);
    const double scale = loudest > 0 ? recipe.peak * 32767 / loudest : 0;
    std::vector<std::int16_t> samples;
    samples.reserve(mix.size());
    for (const double v : mix)
        samples.push_back(static_cast<std::int16_t>(std::clamp(std::lround(v * scale), -32767L, 32767L)));
    return samples;
}

}  // namespace DataGen
