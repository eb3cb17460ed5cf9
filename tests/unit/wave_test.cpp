#include "platform/Audio.h"
#include "runtime/MyWave.h"
#include "support/SoundLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class WaveHoldOff : public ::testing::Test {
protected:
    void SetUp() override
    {
        Audio::Open(Audio::TBackend::Silent);
        LoadWaves();
        ResetWaveHold();
        Audio::StartLog();
    }
    void TearDown() override { Audio::Close(); }
};

TEST_F(WaveHoldOff, HoldOfOneDropsTheRestOfTheTickOnly)
{
    PlayWaveHold(Sound::Collapse, 1);
    PlayWave(Sound::Pan);
    EXPECT_EQ(PlayedWaves(), std::vector<std::string>{std::string(Sound::Collapse)});
    TickWaveHold();
    PlayWave(Sound::Pan);
    EXPECT_EQ(PlayedWaves().back(), Sound::Pan);
    EXPECT_EQ(CurrentSound, Sound::Pan);
}

TEST_F(WaveHoldOff, TheCurrentSoundOutlivesTheCallersText)
{
    PlayWave(std::string("dat/") + "pan.wav");
    EXPECT_EQ(CurrentSound, Sound::Pan);
}

TEST_F(WaveHoldOff, BombHoldsFortyEightTicks)
{
    ForcePlayWaveHold(Sound::Bomb, 48);
    for (int tick = 1; tick < 48; ++tick) {
        TickWaveHold();
        PlayWave(Sound::HitBit);
    }
    EXPECT_EQ(PlayedWaves().size(), 1u);
    TickWaveHold();
    PlayWave(Sound::HitBit);
    EXPECT_EQ(PlayedWaves().size(), 2u);
}

TEST_F(WaveHoldOff, ForcedPlaysIgnoreAndReplaceTheHold)
{
    ForcePlayWaveHold(Sound::Bomb, 48);
    ForcePlayWave(Sound::Bullet);
    EXPECT_EQ(WaveHold, 0) << "ForcePlayWave leaves no hold-off";
    EXPECT_EQ(PlayedWaves().back(), Sound::Bullet);
    PlayWaveHold(Sound::Fire, 16);
    ForcePlayWaveHold(Sound::Open, 30);
    EXPECT_EQ(WaveHold, 30);
    EXPECT_EQ(PlayedWaves().back(), Sound::Open);
}

TEST_F(WaveHoldOff, HoldPlayDuringAHoldIsDroppedAndKeepsTheOldCount)
{
    PlayWaveHold(Sound::Collapse, 2);
    PlayWaveHold(Sound::Collapse, 2);
    EXPECT_EQ(PlayedWaves().size(), 1u);
    EXPECT_EQ(WaveHold, 2);
}

TEST_F(WaveHoldOff, CollapseEveryFrameIsHeardEverySecondTick)
{
    int heard = 0;
    for (int tick = 0; tick < 10; ++tick) {
        TickWaveHold();
        const std::size_t before = PlayedWaves().size();
        PlayWaveHold(Sound::Collapse, 2);
        heard += PlayedWaves().size() > before;
    }
    EXPECT_EQ(heard, 5);
}

TEST_F(WaveHoldOff, StopDuringAHoldDoesNothingAndResetFreesTheTitleCall)
{
    ForcePlayWaveHold(Sound::Break, 30);
    StopWave();
    EXPECT_EQ(CurrentSound, Sound::Break);
    ResetWaveHold();
    PlayWave(Sound::TitleCall);
    EXPECT_EQ(PlayedWaves().back(), Sound::TitleCall);
    StopWave();
    EXPECT_TRUE(CurrentSound.empty());
    EXPECT_EQ(Audio::Log().back().kind, Audio::TEventKind::WaveStop);
}

}  // namespace
