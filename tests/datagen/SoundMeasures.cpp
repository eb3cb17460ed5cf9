#include "SoundMeasures.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <deque>
#include <numbers>

namespace SoundMeasures {

namespace {

constexpr double kFullScale = 32767;
constexpr double kSilenceDb = -120;
constexpr double kHeardDb = -30;  // frames this close to the loudest count as sounding
constexpr std::size_t kFftSize = 2048;

double Level(std::int16_t sample) { return sample / kFullScale; }

double Seconds(std::size_t sample) { return static_cast<double>(sample) / kRate; }

std::vector<double> ThirdDifference(TSamples samples)
{
    std::vector<double> d(samples.size(), 0.0);
    for (std::size_t i = 3; i < samples.size(); ++i)
        d[i] = std::abs(Level(samples[i]) - 3 * Level(samples[i - 1]) + 3 * Level(samples[i - 2]) -
                        Level(samples[i - 3]));
    return d;
}

// max of values[i - width + 1 .. i] for every i (a monotonic queue).
std::vector<double> TrailingMax(const std::vector<double>& values, std::size_t width)
{
    std::vector<double> out(values.size());
    std::deque<std::size_t> queue;
    for (std::size_t i = 0; i < values.size(); ++i) {
        while (!queue.empty() && values[queue.back()] <= values[i]) queue.pop_back();
        queue.push_back(i);
        if (queue.front() + width <= i) queue.pop_front();
        out[i] = values[queue.front()];
    }
    return out;
}

void Fft(std::vector<std::complex<double>>& a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> turn = std::polar(1.0, -2 * std::numbers::pi / static_cast<double>(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < len / 2; ++k, w *= turn) {
                const auto u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

double Hann(std::size_t i, std::size_t n)
{
    return 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n));
}

double BinHz(std::size_t bin) { return static_cast<double>(bin) * kRate / kFftSize; }

std::size_t LastHeard(const std::vector<double>& contour, double dropDb)
{
    std::size_t last = 0;
    for (std::size_t i = 0; i < contour.size(); ++i)
        if (contour[i] >= -dropDb) last = i;
    return last;
}

}  // namespace

double Mean(TSamples samples)
{
    double sum = 0;
    for (const auto s : samples) sum += Level(s);
    return samples.empty() ? 0 : sum / static_cast<double>(samples.size());
}

TFinding WorstWindowMean(TSamples samples, double windowSeconds)
{
    const auto width = static_cast<std::size_t>(windowSeconds * kRate);
    const auto hop = static_cast<std::size_t>(kRate / 1000);
    std::vector<double> weights(width);
    double weightSum = 0;
    for (std::size_t i = 0; i < width; ++i) weightSum += weights[i] = Hann(i, width);
    TFinding worst;
    for (std::size_t from = 0; from + width <= samples.size(); from += hop) {
        double sum = 0;
        for (std::size_t i = 0; i < width; ++i) sum += weights[i] * Level(samples[from + i]);
        if (std::abs(sum / weightSum) > worst.value) worst = {std::abs(sum / weightSum), Seconds(from)};
    }
    return worst;
}

TFinding WorstClick(TSamples samples)
{
    constexpr std::size_t kNear = 220;   // 5 ms either side
    constexpr std::size_t kOwn = 3;      // the spike's own samples, left out of its neighbourhood
    constexpr double kFloor = 0.002;     // a step of 0.1 % full scale is no click
    const std::vector<double> d = ThirdDifference(samples);
    std::vector<double> reversed(d.rbegin(), d.rend());
    const std::vector<double> before = TrailingMax(d, kNear);
    std::vector<double> after = TrailingMax(reversed, kNear);
    std::reverse(after.begin(), after.end());
    TFinding worst;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const double left = i > kOwn ? before[i - kOwn - 1] : 0;
        const double right = i + kOwn + 1 < d.size() ? after[i + kOwn + 1] : 0;
        const double ratio = d[i] / (std::max(left, right) + kFloor);
        if (ratio > worst.value) worst = {ratio, Seconds(i)};
    }
    return worst;
}

TSpectrum Spectrum(TSamples samples)
{
    TSpectrum spectrum;
    spectrum.power.assign(kFftSize / 2, 0.0);
    std::vector<std::complex<double>> frame(kFftSize);
    for (std::size_t from = 0; from < samples.size(); from += kFftSize / 2) {
        for (std::size_t i = 0; i < kFftSize; ++i)
            frame[i] = from + i < samples.size() ? Level(samples[from + i]) * Hann(i, kFftSize) : 0.0;
        Fft(frame);
        for (std::size_t k = 0; k < kFftSize / 2; ++k) spectrum.power[k] += std::norm(frame[k]);
    }
    return spectrum;
}

double TSpectrum::ShareAbove(double hz) const
{
    double above = 0, total = 0;
    for (std::size_t k = 0; k < power.size(); ++k) {
        total += power[k];
        if (BinHz(k) >= hz) above += power[k];
    }
    return total > 0 ? above / total : 0;
}

double TSpectrum::Centroid() const
{
    double weighted = 0, total = 0;
    for (std::size_t k = 0; k < power.size(); ++k) {
        weighted += power[k] * BinHz(k);
        total += power[k];
    }
    return total > 0 ? weighted / total : 0;
}

std::vector<double> LevelContour(TSamples samples, double frameSeconds)
{
    const auto width = static_cast<std::size_t>(frameSeconds * kRate);
    std::vector<double> contour;
    for (std::size_t from = 0; from + width <= samples.size(); from += width) {
        double power = 0;
        for (std::size_t i = 0; i < width; ++i) power += Level(samples[from + i]) * Level(samples[from + i]);
        contour.push_back(power > 0 ? 10 * std::log10(power / static_cast<double>(width)) : kSilenceDb);
    }
    const double loudest = contour.empty() ? 0 : *std::max_element(contour.begin(), contour.end());
    for (double& level : contour) level = std::max(level - loudest, kSilenceDb);
    return contour;
}

int CountBursts(const std::vector<double>& contour, double riseDb)
{
    int bursts = 0;
    bool rising = true;
    double low = kSilenceDb, high = kSilenceDb;
    for (const double level : contour) {
        if (rising) {
            low = std::min(low, level);
            if (level >= low + riseDb && level >= kHeardDb) ++bursts, rising = false, high = level;
        } else {
            high = std::max(high, level);
            if (level <= high - riseDb) rising = true, low = level;
        }
    }
    return bursts;
}

double SoundingSeconds(const std::vector<double>& contour, double frameSeconds, double dropDb)
{
    return static_cast<double>(LastHeard(contour, dropDb) + 1) * frameSeconds;
}

std::vector<double> Shape(const std::vector<double>& contour, int points)
{
    const std::size_t last = LastHeard(contour, -kHeardDb);
    std::vector<double> shape;
    for (int p = 0; p < points; ++p) {
        const auto at = static_cast<std::size_t>(std::lround(static_cast<double>(last) * p / (points - 1)));
        shape.push_back(std::max(contour.at(at), kHeardDb));
    }
    return shape;
}

}  // namespace SoundMeasures
