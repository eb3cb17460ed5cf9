// The mix meter's figures, on signals whose levels are known: BS.1770's own
// calibration tone, its gates, and where a sound lies in a mix.
#include "MixLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

using MixCheck::Channels;
using MixCheck::SampleRate;

enum class TSide { Both, LeftOnly };

// A sine at a level in dBFS (its peak), as 16-bit stereo frames.
std::vector<std::int16_t> Tone(double hertz, double dbfs, double seconds, TSide side = TSide::Both)
{
    const double amplitude = 32767.0 * std::pow(10.0, dbfs / 20.0);
    const std::size_t frames = std::size_t(seconds * SampleRate);
    std::vector<std::int16_t> samples(frames * Channels, 0);
    for (std::size_t f = 0; f < frames; ++f) {
        const auto s = std::int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * hertz * double(f) / SampleRate)));
        samples[f * Channels] = s;
        if (side == TSide::Both) samples[f * Channels + 1] = s;
    }
    return samples;
}

std::vector<std::int16_t> Joined(std::vector<std::int16_t> a, const std::vector<std::int16_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(MixLevels, ToneLevelsFollowTheCalibration)
{
    // BS.1770: a full-scale 997 Hz sine in one channel reads -3.01 LUFS (here
    // 1 dB down, clear of clipping); the K-weighting lifts the highs by about
    // 4 dB and cuts the lowest bass.
    struct TCase {
        double hertz, dbfs;
        TSide side;
        double loudness, rms;
    };
    const TCase cases[] = {
        {997, -1, TSide::LeftOnly, -4.01, -7.02}, {997, -1, TSide::Both, -1.0, -4.01},
        {997, -20, TSide::Both, -20.0, -23.01},   {10000, -20, TSide::Both, -16.65, -23.01},
        {20, -20, TSide::Both, -33.97, -23.01},
    };
    for (const TCase& c : cases) {
        const MixCheck::TLevels levels = MixCheck::MeasureLevels(Tone(c.hertz, c.dbfs, 3.0, c.side));
        EXPECT_NEAR(levels.loudness, c.loudness, 0.1) << c.hertz << " Hz at " << c.dbfs;
        EXPECT_NEAR(levels.loudestMoment, c.loudness, 0.1) << c.hertz << " Hz at " << c.dbfs;
        EXPECT_NEAR(levels.rms, c.rms, 0.05) << c.hertz << " Hz at " << c.dbfs;
        EXPECT_NEAR(levels.peak, c.dbfs, 0.05) << c.hertz << " Hz at " << c.dbfs;
        EXPECT_EQ(levels.clipped, 0u);
    }
}

TEST(MixLevels, GatesLeaveOutSilenceAndPassagesTenDecibelsDown)
{
    // Four seconds at -20 LUFS, then four at a lower level. The blocks that
    // straddle the change keep part of the tone, so the gated figures sit a
    // little under -20.
    struct TCase {
        const char* then;
        std::vector<std::int16_t> second;
        double loudness;
    };
    const TCase cases[] = {
        {"silence", std::vector<std::int16_t>(4 * SampleRate * Channels, 0), -20.17},
        {"a tone 20 dB down", Tone(997, -40, 4.0), -20.17},
        {"a tone 6 dB down", Tone(997, -26, 4.0), -22.04},
    };
    for (const TCase& c : cases) {
        const MixCheck::TLevels levels = MixCheck::MeasureLevels(Joined(Tone(997, -20, 4.0), c.second));
        EXPECT_NEAR(levels.loudness, c.loudness, 0.1) << c.then;
        EXPECT_NEAR(levels.loudestMoment, -20.0, 0.05) << c.then;
    }
}

TEST(MixLevels, FullScaleSamplesCountAsClipped)
{
    struct TCase {
        std::vector<std::int16_t> samples;
        std::size_t clipped;
        double peak;
    };
    const TCase cases[] = {
        {{32767, 0}, 1, 0.0},       {{-32768, 32767}, 2, 0.0},     {{32766, -32767}, 0, 0.0},
        {{16384, -8192}, 0, -6.02}, {{0, 0}, 0, -200.0},
    };
    for (const TCase& c : cases) {
        const MixCheck::TLevels levels = MixCheck::MeasureLevels(c.samples);
        EXPECT_EQ(levels.clipped, c.clipped) << c.samples[0] << " " << c.samples[1];
        EXPECT_NEAR(levels.peak, c.peak, 0.01) << c.samples[0] << " " << c.samples[1];
    }
}

TEST(MixLevels, ASoundShorterThanABlockIsMeasuredWhole)
{
    const MixCheck::TLevels levels = MixCheck::MeasureLevels(Tone(997, -20, 0.1));
    EXPECT_NEAR(levels.loudestMoment, -20.0, 0.1);
    EXPECT_EQ(levels.loudness, -200.0);  // no whole block to integrate
}

TEST(MixLevels, CorrelationTellsWhetherTheChannelsAreInPhase)
{
    // A part whose right channel is the left turned over cancels out when
    // the two are summed: it reads -1.
    const std::vector<std::int16_t> both = Tone(440, -12, 1.0);
    std::vector<std::int16_t> opposite = both, otherTone = both;
    const std::vector<std::int16_t> fifth = Tone(660, -12, 1.0);
    for (std::size_t i = 1; i < both.size(); i += Channels) {
        opposite[i] = std::int16_t(-both[i]);
        otherTone[i] = fifth[i];
    }
    struct TCase {
        const char* what;
        std::vector<std::int16_t> samples;
        double correlation;
    };
    const TCase cases[] = {
        {"the same on both sides", both, 1.0},
        {"one side turned over", opposite, -1.0},
        {"another tone on the right", otherTone, 0.0},
        {"the left alone", Tone(440, -12, 1.0, TSide::LeftOnly), 0.0},
    };
    for (const TCase& c : cases)
        EXPECT_NEAR(MixCheck::MeasureLevels(c.samples).correlation, c.correlation, 0.01) << c.what;
}

TEST(MixLevels, TheLongestQuietRunNeedsBothChannelsQuiet)
{
    struct TCase {
        std::vector<std::int16_t> samples;
        int quietest;
        std::size_t frames;
    };
    const TCase cases[] = {
        {{0, 0, 3, -3, 0, 0, 0, 0, 500, 0}, 3, 4},  // within 3 of zero, both ways
        {{0, 0, 0, 40, 0, 0, 0, 0}, 33, 2},         // one loud side breaks the run
        {{900, 900, -900, 900}, 33, 0},
        {{}, 33, 0},
    };
    for (const TCase& c : cases) EXPECT_EQ(MixCheck::LongestQuietRun(c.samples, c.quietest), c.frames);
}

TEST(MixLevels, SilenceIsTrimmedInWholeFrames)
{
    struct TCase {
        std::vector<std::int16_t> samples;
        std::vector<std::int16_t> trimmed, fromFirstSoundTwoFrames;
    };
    const TCase cases[] = {
        {{0, 0, 0, 5, 7, 0, 0, 0}, {0, 5, 7, 0}, {0, 5, 7, 0}},
        {{0, 0, 3, 0, 0, 0, 0, 4, 0, 0}, {3, 0, 0, 0, 0, 4}, {3, 0, 0, 0}},
        {{1, 2}, {1, 2}, {1, 2}},
        {{0, 0, 0, 0}, {}, {}},
    };
    for (const TCase& c : cases) {
        const auto trimmed = MixCheck::TrimSilence(c.samples);
        EXPECT_EQ(std::vector<std::int16_t>(trimmed.begin(), trimmed.end()), c.trimmed);
        const auto from = MixCheck::FromFirstSound(c.samples, 2);
        EXPECT_EQ(std::vector<std::int16_t>(from.begin(), from.end()), c.fromFirstSoundTwoFrames);
    }
}

TEST(MixLevels, ASoundIsFoundInTheMixAndTakenAwayExactly)
{
    // The mixer starts a sound at the start of a buffer; the sound's own
    // first sample may fall later in it.
    constexpr std::size_t Buffer = 1024, Phase = 37;
    const std::vector<std::int16_t> music = Joined(Tone(220, -12, 0.3), Tone(330, -14, 0.3));
    const std::vector<std::int16_t> effect = Tone(1760, -10, 0.05, TSide::LeftOnly);
    for (const std::size_t buffer : {0u, 1u, 2u, 9u}) {
        const std::size_t start = (buffer * Buffer + Phase) * Channels;
        std::vector<std::int16_t> mix = music;
        for (std::size_t i = 0; i < effect.size(); ++i) mix[start + i] = std::int16_t(mix[start + i] + effect[i]);
        EXPECT_EQ(MixCheck::FindSound(mix, effect, Phase, Buffer), start) << "buffer " << buffer;
        const auto rest = MixCheck::Subtract(std::span(mix).subspan(start, effect.size()), effect);
        EXPECT_TRUE(std::equal(rest.begin(), rest.end(), music.begin() + std::ptrdiff_t(start))) << "buffer " << buffer;
    }
}

}  // namespace
