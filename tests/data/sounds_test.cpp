// The generated sound effects: each is whole and in a format the game plays,
// loads in the mixer and lasts about what its moment and hold-off allow.
#include "platform/Audio.h"
#include "platform/FileBytes.h"
#include "platform/WaveFile.h"
#include "runtime/MyWave.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Length of a PCM wave file in seconds, from its fmt and data chunks.
double WaveSeconds(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto le = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = v << 8 | std::uint8_t(b.at(at + std::size_t(i)));
        return v;
    };
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return -1;
    std::uint32_t byteRate = 0;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = le(at + 4, 4);
        if (b.compare(at, 4, "fmt ") == 0) {
            if (le(at + 8, 2) != 1) return -1;  // PCM
            byteRate = le(at + 16, 4);
        }
        if (b.compare(at, 4, "data") == 0 && byteRate > 0) return double(size) / byteRate;
        at += 8 + size + (size & 1);
    }
    return -1;
}

TEST(SoundEffects, EveryEffectIsWholeAndInAFormatTheGamePlays)
{
    for (std::string_view path : Sound::All) {
        std::string why;
        EXPECT_TRUE(Audio::CheckWaveBytes(Platform::ReadFileBytes(std::string(path), Audio::MaxWaveFileBytes), why))
            << path << ": " << why;
    }
}

TEST(SoundEffects, EveryEffectLoadsInTheMixer)
{
    Audio::Open(Audio::TBackend::Device);
    for (std::string_view path : Sound::All) EXPECT_TRUE(Audio::LoadWave(path)) << path;
    Audio::Close();
}

TEST(SoundEffects, LengthsFitTheirMoments)
{
    struct TLength {
        std::string_view path;
        double min, max;
    };
    // A tick is about 51 ms: a sound with a hold-off of n ticks lasts about n ticks.
    const TLength lengths[] = {
        {Sound::TitleCall, 2.0, 3.0},  {Sound::Bomb, 2.1, 2.6},     {Sound::Fire, 0.6, 0.9},
        {Sound::Break, 1.2, 1.7},      {Sound::Open, 1.2, 1.7},     {Sound::Collapse, 0.05, 0.15},
        {Sound::Bullet, 0.05, 0.5},    {Sound::WeakShort, 0.02, 0.1}, {Sound::Laser, 0.02, 0.1},
        {Sound::Banish, 0.02, 0.3},    {Sound::HitBit, 0.02, 0.2},  {Sound::HitBit2, 0.02, 0.2},
        {Sound::Pan, 0.05, 0.5},
    };
    static_assert(std::size(lengths) == Sound::All.size());
    for (const TLength& l : lengths) {
        const double seconds = WaveSeconds(std::string(l.path));
        EXPECT_GE(seconds, l.min) << l.path;
        EXPECT_LE(seconds, l.max) << l.path;
    }
}

}  // namespace
