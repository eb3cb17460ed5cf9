// Sound recipes: parse errors name file and line; rendering is exact in length,
// never clips, is silent at both ends, and is the same every time; what the
// synth promises for every recipe (centred, no clicks) and what each of its
// directives does.
#include "SoundMeasures.h"
#include "Synth.h"
#include "SynthRecipe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* kRecipe = R"(# test
length 0.2
peak 0.5
layer saw
  pitch 440 880
  env 0:0 0.01:1 0.2:0.5
  lowpass 3000 800
layer noise
  pitch 4000
  gain 3
)";

TEST(SoundRecipe, FaultsNameTheFileAndLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"length 0.1\nlayer kazoo\n", "bomb.synth:2: unknown wave \"kazoo\""},
        {"length 0.1\nlayer sine\n  pitch fast\n", "bomb.synth:3: not a number: \"fast\""},
        {"length 0.1\nlayer sine\n  env 0:0 0.5:1 0.2:0\n", "bomb.synth:3: env times must not go backwards"},
        {"length 0.1\nlayer sine\n  notes 0.1 c5:1 h5:1\n", "bomb.synth:3: not a note: \"h5\""},
        {"pitch 440\n", "bomb.synth:1: \"pitch\" belongs inside a layer, or is unknown"},
        {"length 0.1\nlayer noise\n  rolloff 18\n", "bomb.synth:3: rolloff is 12 or 24"},
        {"length 0.1\nlayer noise\n  grain 30 1.5\n", "bomb.synth:3: grain depth must lie between 0 and 1"},
        {"length 0.1\nlayer noise\n  hits 0:1 0.2\n", "bomb.synth:3: expected a:b, got \"0.2\""},
        {"length 0.1\nlayer noise\n  release -0.1\n", "bomb.synth:3: release must not be negative"},
        {"layer sine\n", "bomb.synth: no length given"},
    };
    for (const auto& c : cases) {
        try {
            DataGen::ParseRecipe(c.text, "bomb.synth");
            ADD_FAILURE() << "no error for: " << c.text;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(SoundRecipe, NoteNamesFollowConcertPitch)
{
    EXPECT_DOUBLE_EQ(DataGen::NoteFrequency("a4"), 440.0);
    EXPECT_NEAR(DataGen::NoteFrequency("c4"), 261.626, 0.001);
    EXPECT_NEAR(DataGen::NoteFrequency("c+4"), DataGen::NoteFrequency("d-4"), 1e-9);
    EXPECT_DOUBLE_EQ(DataGen::NoteFrequency("a5"), 880.0);
    EXPECT_LT(DataGen::NoteFrequency("x4"), 0);
}

TEST(SoundRender, LengthPeakAndQuietEnds)
{
    const auto recipe = DataGen::ParseRecipe(kRecipe, "t");
    const auto samples = DataGen::RenderRecipe(recipe, 44100);
    ASSERT_EQ(samples.size(), 8820u);
    int loudest = 0;
    for (const auto s : samples) loudest = std::max(loudest, std::abs(int{s}));
    EXPECT_NEAR(loudest, 0.5 * 32767, 2);  // scaled to the peak even with a gain above 1
    EXPECT_EQ(samples.front(), 0);
    EXPECT_LE(std::abs(int{samples.back()}), 50);
}

TEST(SoundRender, SameRecipeSameSamples)
{
    const auto recipe = DataGen::ParseRecipe(kRecipe, "t");
    EXPECT_EQ(DataGen::RenderRecipe(recipe, 22050), DataGen::RenderRecipe(recipe, 22050));
}

std::vector<std::int16_t> Render(const std::string& text)
{
    return DataGen::RenderRecipe(DataGen::ParseRecipe(text, "t"), DataGen::kSoundSampleRate);
}

double Rms(std::span<const std::int16_t> samples)
{
    double power = 0;
    for (const auto s : samples) power += double(s) * double(s);
    return std::sqrt(power / double(samples.size()));
}

int Peak(const std::vector<std::int16_t>& sound)
{
    int peak = 0;
    for (const auto s : sound) peak = std::max(peak, std::abs(int{s}));
    return peak;
}

std::span<const std::int16_t> Stretch(const std::vector<std::int16_t>& sound, double from, double seconds)
{
    return std::span(sound).subspan(std::size_t(from * 44100), std::size_t(seconds * 44100));
}

TEST(SoundRender, ANarrowPulseStaysCentred)
{
    const auto sound = Render("length 0.5\nlayer square\n  pitch 110\n  duty 0.1 0.3\n");
    EXPECT_LT(std::abs(SoundMeasures::Mean(sound)), 0.005);
    EXPECT_LT(SoundMeasures::WorstWindowMean(sound, 0.06).value, 0.02);
}

TEST(SoundRender, WhatLiesBelowHearingIsTakenAway)
{
    // A 3 Hz swell under a quiet 400 Hz tone: once it is gone, the tone is the sound.
    const auto sound = Render("length 1\nlayer sine\n  pitch 3\nlayer sine\n  pitch 400\n  gain 0.1\n");
    EXPECT_GT(SoundMeasures::Spectrum(sound).ShareAbove(100), 0.8);
}

TEST(SoundRender, NoNoteNoLayerStartOrEndClicks)
{
    const char* recipes[] = {
        "length 0.6\nlayer saw\n  notes 0.12 d5:1 a4:1 d5:1 f5:1\n  env 0:0 0.01:1 0.1:0.7\n  lowpass 2500\n",
        "length 0.4\nlayer sine\n  notes 0.1 c5:1 r:1 e5:1\n",
        "length 0.4\nlayer square\n  pitch 300\n  length 0.2\n  lowpass 2000\n",
        "length 0.4\nlayer sine\n  start 0.1\n  pitch 500\n",
        "length 0.6\nlayer sine\n  pitch 200\n  length 0.2\n  hits 0:1 0.15:1\n",
    };
    for (const char* recipe : recipes) {
        const SoundMeasures::TFinding click = SoundMeasures::WorstClick(Render(recipe));
        EXPECT_LT(click.value, 2.0) << recipe << "at " << click.seconds << " s";
    }
}

TEST(SoundRender, ANoteTakesUpTheLevelTheNoteBeforeLeft)
{
    const auto sound = Render("length 0.4\nlayer sine\n  notes 0.1 a4:1 c5:1 e5:1 a5:1\n  env 0:0 0.01:1 0.1:0.6\n");
    for (const double change : {0.1, 0.2, 0.3})
        EXPECT_GT(Rms(Stretch(sound, change, 0.003)), 0.8 * Rms(Stretch(sound, change - 0.003, 0.003)))
            << "at " << change << " s";
}

TEST(SoundRender, HitsReplayTheLayerAtTheirLevelsWithFreshNoise)
{
    const auto sound = Render(
        "length 0.6\nlayer noise\n  length 0.1\n  hits 0:1 0.3:0.5\n  env 0:0 0.002:1 0.1:0\n  lowpass 3000\n");
    EXPECT_EQ(SoundMeasures::CountBursts(SoundMeasures::LevelContour(sound, 0.01), 6), 2);
    const auto first = Stretch(sound, 0.0, 0.1), second = Stretch(sound, 0.3, 0.1);
    EXPECT_NEAR(20 * std::log10(Rms(second) / Rms(first)), -6.0, 1.0);
    double product = 0;
    for (std::size_t i = 0; i < first.size(); ++i) product += double(first[i]) * double(second[i]);
    EXPECT_LT(std::abs(product) / double(first.size()) / (Rms(first) * Rms(second)), 0.3);  // not a copy
}

TEST(SoundRender, TheSteeperRolloffCutsFarMoreAboveTheCutoff)
{
    const std::string noise = "length 0.5\nlayer noise\n  lowpass 2000\n";
    const double gentle = SoundMeasures::Spectrum(Render(noise)).ShareAbove(6000);
    const double steep = SoundMeasures::Spectrum(Render(noise + "  rolloff 24\n")).ShareAbove(6000);
    EXPECT_LT(steep, gentle / 10);
}

TEST(SoundRender, DriveFillsTheSoundOutUnderTheSamePeak)
{
    const std::string decay = "length 0.5\npeak 0.8\nlayer sine\n  pitch 300\n  env 0:1 0.5:0\n";
    const auto clean = Render(decay), driven = Render("drive 2\n" + decay);
    EXPECT_GT(20 * std::log10(Rms(driven) / Rms(clean)), 2.0);
    EXPECT_EQ(Peak(driven), Peak(clean));
}

TEST(SoundRender, GrainMovesTheLevelWithinItsDepth)
{
    const auto deep = Render("length 1\nlayer sine\n  pitch 1000\n  grain 20 1\n");
    const auto shallow = Render("length 1\nlayer sine\n  pitch 1000\n  grain 20 0.5\n");
    const auto range = [](const std::vector<std::int16_t>& sound) {
        const auto contour = SoundMeasures::LevelContour(Stretch(sound, 0.05, 0.9), 0.005);
        return -*std::min_element(contour.begin(), contour.end());
    };
    EXPECT_GT(range(deep), 12.0);
    EXPECT_LT(range(shallow), 6.0 + 1.0);  // never below half the level
}

}  // namespace
