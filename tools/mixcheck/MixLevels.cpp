#include "MixLevels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace MixCheck {
namespace {

constexpr double FullScale = 32768.0;
constexpr std::size_t SubBlockFrames = SampleRate / 10;  // 100 ms: a block's hop
constexpr std::size_t SubBlocksPerBlock = 4;             // 400 ms blocks, 75 % overlap
constexpr double AbsoluteGate = -70.0;
constexpr double RelativeGate = -10.0;
constexpr double SilenceDb = -200.0;  // what a level of nothing at all reads as

struct TBiquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    double Step(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

// BS.1770's two stages, from their analogue prototypes by the bilinear
// transform: the recommendation tabulates them for 48 kHz only, and these
// give its table exactly at that rate.
TBiquad HeadShelf()
{
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(std::numbers::pi * f0 / SampleRate);
    const double vh = std::pow(10.0, gainDb / 20.0), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

TBiquad LowCut()
{
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(std::numbers::pi * f0 / SampleRate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// BS.1770's weighting of both channels: the power of each frame, summed over
// the channels.
class TKWeighting {
public:
    double FramePower(const std::int16_t* frame)
    {
        double power = 0;
        for (int ch = 0; ch < Channels; ++ch) {
            const double y = cut_[ch].Step(shelf_[ch].Step(frame[ch] / FullScale));
            power += y * y;
        }
        return power;
    }

private:
    std::array<TBiquad, Channels> shelf_{HeadShelf(), HeadShelf()};
    std::array<TBiquad, Channels> cut_{LowCut(), LowCut()};
};

// The K-weighted mean power of each 100 ms stretch.
std::vector<double> SubBlockPowers(std::span<const std::int16_t> samples)
{
    TKWeighting weighting;
    std::vector<double> power(samples.size() / Channels / SubBlockFrames, 0.0);
    for (std::size_t f = 0; f < power.size() * SubBlockFrames; ++f)
        power[f / SubBlockFrames] += weighting.FramePower(&samples[f * Channels]) / SubBlockFrames;
    return power;
}

double Decibels(double amplitudeRatio) { return amplitudeRatio > 0 ? 20.0 * std::log10(amplitudeRatio) : SilenceDb; }

double LoudnessOfPower(double power) { return power > 0 ? -0.691 + 10.0 * std::log10(power) : SilenceDb; }

std::vector<double> BlockPowers(std::span<const std::int16_t> samples)
{
    const std::vector<double> sub = SubBlockPowers(samples);
    std::vector<double> blocks;
    for (std::size_t i = 0; i + SubBlocksPerBlock <= sub.size(); ++i) {
        double sum = 0;
        for (std::size_t j = 0; j < SubBlocksPerBlock; ++j) sum += sub[i + j];
        blocks.push_back(sum / SubBlocksPerBlock);
    }
    return blocks;
}

// Mean power of the blocks louder than the gate, in LUFS.
double GatedLoudness(const std::vector<double>& blocks, double gate)
{
    double sum = 0;
    std::size_t count = 0;
    for (double p : blocks)
        if (LoudnessOfPower(p) > gate) sum += p, ++count;
    return count ? LoudnessOfPower(sum / double(count)) : SilenceDb;
}

double IntegratedLoudness(const std::vector<double>& blocks)
{
    return GatedLoudness(blocks, GatedLoudness(blocks, AbsoluteGate) + RelativeGate);
}

double WindowLoudness(std::span<const std::int16_t> samples)
{
    TKWeighting weighting;
    const std::size_t frames = samples.size() / Channels;
    double power = 0;
    for (std::size_t f = 0; f < frames; ++f) power += weighting.FramePower(&samples[f * Channels]);
    return frames ? LoudnessOfPower(power / double(frames)) : SilenceDb;
}

// Whole frames only, so the channels stay in step.
std::size_t FirstSoundingFrame(std::span<const std::int16_t> samples)
{
    const auto first = std::find_if(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; });
    return std::size_t(first - samples.begin()) / Channels * Channels;
}

std::size_t PastLastSoundingFrame(std::span<const std::int16_t> samples)
{
    const auto last = std::find_if(samples.rbegin(), samples.rend(), [](std::int16_t s) { return s != 0; });
    return (std::size_t(last.base() - samples.begin()) + Channels - 1) / Channels * Channels;
}

// Pearson's correlation of the two channels about zero, as a phase meter shows it.
double ChannelCorrelation(std::span<const std::int16_t> samples)
{
    double leftRight = 0, left = 0, right = 0;
    for (std::size_t i = 0; i + 1 < samples.size(); i += Channels) {
        const double l = samples[i], r = samples[i + 1];
        leftRight += l * r, left += l * l, right += r * r;
    }
    return left > 0 && right > 0 ? leftRight / std::sqrt(left * right) : 0.0;
}

}  // namespace

TLevels MeasureLevels(std::span<const std::int16_t> samples)
{
    TLevels levels;
    int largest = 0;
    double sumOfSquares = 0;
    for (std::int16_t s : samples) {
        largest = std::max(largest, std::abs(int(s)));
        if (s == INT16_MAX || s == INT16_MIN) ++levels.clipped;
        sumOfSquares += double(s) * s;
    }
    levels.peak = Decibels(largest / FullScale);
    levels.rms = samples.empty() ? SilenceDb : Decibels(std::sqrt(sumOfSquares / double(samples.size())) / FullScale);
    const std::vector<double> blocks = BlockPowers(samples);
    levels.loudness = IntegratedLoudness(blocks);
    levels.loudestMoment = blocks.empty() ? WindowLoudness(samples)
                                          : LoudnessOfPower(*std::max_element(blocks.begin(), blocks.end()));
    levels.correlation = ChannelCorrelation(samples);
    return levels;
}

std::span<const std::int16_t> TrimSilence(std::span<const std::int16_t> samples)
{
    const std::size_t from = FirstSoundingFrame(samples);
    if (from == samples.size()) return {};
    return samples.subspan(from, PastLastSoundingFrame(samples) - from);
}

std::size_t LongestQuietRun(std::span<const std::int16_t> samples, int quietest)
{
    std::size_t run = 0, longest = 0;
    for (std::size_t i = 0; i + 1 < samples.size(); i += Channels) {
        const bool quiet = std::abs(int(samples[i])) <= quietest && std::abs(int(samples[i + 1])) <= quietest;
        run = quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

std::span<const std::int16_t> FromFirstSound(std::span<const std::int16_t> samples, std::size_t frames)
{
    const std::size_t from = FirstSoundingFrame(samples);
    return samples.subspan(from, std::min(frames * Channels, samples.size() - from));
}

std::size_t FindSound(std::span<const std::int16_t> mix, std::span<const std::int16_t> sound, std::size_t firstFrame,
                      std::size_t stepFrames)
{
    std::size_t best = firstFrame * Channels;
    double leastResidue = std::numeric_limits<double>::max();
    for (std::size_t at = best; at + sound.size() <= mix.size(); at += stepFrames * Channels) {
        double residue = 0;
        for (std::size_t i = 0; i < sound.size(); ++i) {
            const double d = double(mix[at + i]) - sound[i];
            residue += d * d;
        }
        if (residue < leastResidue) leastResidue = residue, best = at;
    }
    return best;
}

std::vector<std::int16_t> Subtract(std::span<const std::int16_t> mix, std::span<const std::int16_t> sound)
{
    std::vector<std::int16_t> rest(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const int heard = i < sound.size() ? int(mix[i]) - sound[i] : mix[i];
        rest[i] = std::int16_t(std::clamp(heard, int(INT16_MIN), int(INT16_MAX)));
    }
    return rest;
}

}  // namespace MixCheck
