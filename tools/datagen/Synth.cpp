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

double EnvelopeAt(const std::vector<EnvPoint>& points, double t)
{
    if (points.empty()) return 1;
    if (t <= points.front().time) return points.front().level;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const EnvPoint& a = points[i - 1];
        const EnvPoint& b = points[i];
        if (t < b.time) return a.level + (b.level - a.level) * (t - a.time) / (b.time - a.time);
    }
    return points.back().level;
}

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

// Where a layer is at one moment: its pitch (0 = silent) and its envelope time.
struct Moment {
    double frequency = 0;
    double envelopeTime = 0;
};

double TuneLength(const Layer& layer)
{
    double beats = 0;
    for (const TuneNote& note : layer.tune) beats += note.beats;
    return beats * layer.beatSeconds;
}

Moment MomentAt(const Layer& layer, double t, double progress)
{
    if (layer.tune.empty()) return Moment{Glide(layer.pitch, progress), t};
    double noteStart = 0;
    for (const TuneNote& note : layer.tune) {
        const double noteEnd = noteStart + note.beats * layer.beatSeconds;
        if (t < noteEnd) return Moment{note.frequency, t - noteStart};
        noteStart = noteEnd;
    }
    return Moment{};
}

double LayerLength(const Layer& layer, double soundLength)
{
    if (layer.length >= 0) return layer.length;
    if (!layer.tune.empty()) return TuneLength(layer);
    return soundLength - layer.start;
}

void MixLayer(const Layer& layer, double soundLength, double rate, std::vector<double>& mix)
{
    const double length = LayerLength(layer, soundLength);
    if (length <= 0) return;
    const auto first = static_cast<std::size_t>(std::lround(layer.start * rate));
    const auto count = static_cast<std::size_t>(std::lround(length * rate));
    const std::size_t last = std::min(mix.size(), first + count);
    NoiseSource noise(layer.seed);
    Filter lowpass, highpass;
    double phase = 0;
    double held = noise.Next();
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / rate;
        const double progress = t / length;
        const Moment now = MomentAt(layer, t, progress);
        if (now.frequency <= 0) continue;
        double frequency = now.frequency;
        if (layer.vibratoDepth != 0)
            frequency *= std::pow(2.0, layer.vibratoDepth * std::sin(kTwoPi * layer.vibratoRate * t) / 12);
        const double step = std::min(frequency / rate, 0.5);
        phase += step;
        const bool wrapped = phase >= 1;
        phase -= std::floor(phase);
        double value;
        if (layer.wave == Wave::Noise) {
            if (!layer.pitch.used || wrapped) held = noise.Next();
            value = held;
        } else {
            value = Oscillator(layer.wave, phase, step, Glide(layer.duty, progress));
        }
        if (layer.lowpass.used) value = lowpass.Low(value, Glide(layer.lowpass, progress), layer.resonance, rate);
        if (layer.highpass.used) value = highpass.High(value, Glide(layer.highpass, progress), layer.resonance, rate);
        mix[i] += value * EnvelopeAt(layer.envelope, now.envelopeTime) * layer.gain;
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
