// The measures the sound tests rely on, tried on sounds whose faults are known:
// each finds what it is for, and passes what is not.
#include "SoundMeasures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

using namespace SoundMeasures;
using TSound = std::vector<std::int16_t>;

// A tone with a fast attack and a slow decay, as a sound effect's layer is.
TSound Tone(double hz, double seconds)
{
    TSound sound;
    for (int i = 0; i < int(seconds * kRate); ++i) {
        const double t = i / kRate;
        const double level = std::min(1.0, t / 0.005) * std::exp(-3 * t);
        sound.push_back(std::int16_t(std::lround(20000 * level * std::sin(2 * std::numbers::pi * hz * t))));
    }
    return sound;
}

TSound Noise(double seconds)
{
    TSound sound;
    std::uint32_t state = 7;
    for (int i = 0; i < int(seconds * kRate); ++i) {
        state = state * 1664525u + 1013904223u;
        sound.push_back(std::int16_t((int(state >> 20) - 2048) * 4));
    }
    return sound;
}

TEST(SoundMeasures, TheClickDetectorFindsStepsAndPassesCleanSounds)
{
    for (const TSound& clean : {Tone(440, 0.3), Tone(60, 0.5), Noise(0.3)}) EXPECT_LT(WorstClick(clean).value, 1.6);
    for (TSound stepped : {Tone(440, 0.3), Tone(60, 0.5)}) {
        const std::size_t middle = stepped.size() / 2;
        for (std::size_t i = middle; i < stepped.size(); ++i) stepped[i] = std::int16_t(stepped[i] + 650);  // 2 %
        const TFinding click = WorstClick(stepped);
        EXPECT_GT(click.value, 3.0);
        EXPECT_NEAR(click.seconds, double(middle) / kRate, 0.001);
    }
}

TEST(SoundMeasures, TheWindowedMeanFindsAnOffsetStretchAndPassesLowTones)
{
    EXPECT_LT(WorstWindowMean(Tone(50, 1.0), 0.06).value, 0.01);
    TSound offset = Tone(300, 1.0);
    for (std::size_t i = 4410; i < 4410 + 2646; ++i) offset[i] = std::int16_t(offset[i] - 3000);
    const TFinding stretch = WorstWindowMean(offset, 0.06);
    EXPECT_GT(stretch.value, 0.08);
    EXPECT_NEAR(stretch.seconds, 0.1, 0.002);
}

TEST(SoundMeasures, SpectrumAndContourReadThreeKnownBursts)
{
    // 1 kHz bursts of 50 ms with round edges, 150 ms apart, the last 12 dB down.
    TSound sound(std::size_t(0.5 * kRate), 0);
    const double amplitudes[] = {20000, 20000, 5000};
    for (int b = 0; b < 3; ++b) {
        for (int i = 0; i < int(0.05 * kRate); ++i) {
            const double t = i / kRate, edge = std::sin(std::numbers::pi * t / 0.05);
            sound[std::size_t(b * 0.15 * kRate) + std::size_t(i)] =
                std::int16_t(std::lround(amplitudes[b] * edge * edge * std::sin(2 * std::numbers::pi * 1000 * t)));
        }
    }
    const TSpectrum spectrum = Spectrum(sound);
    EXPECT_NEAR(spectrum.Centroid(), 1000, 30);
    EXPECT_LT(spectrum.ShareAbove(3000), 1e-4);
    const std::vector<double> contour = LevelContour(sound, 0.01);
    EXPECT_EQ(CountBursts(contour, 6), 3);
    EXPECT_NEAR(SoundingSeconds(contour, 0.01, 20), 0.35, 0.02);
}

}  // namespace
