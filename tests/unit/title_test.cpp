// The title: the black pause while the call plays, the smeared line closing
// in, the prompt once it is bright, and the confirm key at any moment.
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "game/UnitTitle.h"
#include "runtime/MyWave.h"
#include "platform/Keys.h"
#include "runtime/MyTime.h"
#include "runtime/UnitMain.h"
#include "support/GameRuntime.h"
#include "support/SoundLog.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class Title : public ::testing::Test {
protected:
    TGameRuntime runtime;
    const TBitmap& window() { return runtime.Form().Client(); }
    // How many pixels of the box are not black.
    std::int32_t Lit(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
    {
        std::int32_t n = 0;
        for (std::int32_t y = top; y < bottom; ++y)
            for (std::int32_t x = left; x < right; ++x) n += !(window().Row(y)[x] == TPixel{});
        return n;
    }
    std::int32_t TitleLine() { return Lit(0, 150, 416, 160); }
    std::int32_t PromptArea() { return Lit(0, 400, 416, 416); }
};

TEST_F(Title, SilenceThenFadeInThenThePrompt)
{
    EXPECT_EQ(TickSlots.at(1).Callback, TitleTick) << "start-up ends at the title";
    EXPECT_EQ(TitleFade, -150);
    std::int32_t firstLine = 0, firstPrompt = 0;
    for (std::int32_t tick = 1; tick <= 140; ++tick) {
        runtime.Tick();
        if (!firstLine && TitleLine() > 0) firstLine = tick;
        if (!firstPrompt && PromptArea() > 0) firstPrompt = tick;
    }
    EXPECT_EQ(firstLine, 52) << "50 black ticks, then the line starts black (fade 0) and brightens";
    EXPECT_EQ(firstPrompt, 136);
    EXPECT_EQ(TitleFade, 255);
    EXPECT_EQ(Lit(0, 0, 416, 150), 0) << "nothing else is drawn";
}

TEST_F(Title, TheSmearNarrowsAndBrightensIntoOneLine)
{
    // The strip's lit columns at two points of the fade.
    const auto span = [&]() {
        std::int32_t left = 416, right = -1;
        for (std::int32_t x = 0; x < 416; ++x)
            for (std::int32_t y = 0; y < 10; ++y)
                if (!(TitleStrip->Row(y)[x] == TPixel{})) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right - left;
    };
    runtime.Tick(60);  // fade 27
    const std::int32_t early = span();
    runtime.Tick(75);  // fade 252
    const std::int32_t late = span();
    EXPECT_GT(early, late + 100) << "the copies close in";
    std::uint8_t brightest = 0;
    for (std::int32_t x = 0; x < 416; ++x)
        for (std::int32_t y = 0; y < 10; ++y) brightest = std::max(brightest, TitleStrip->Row(y)[x].g);
    EXPECT_GE(brightest, 240);
}

TEST_F(Title, ConfirmDuringTheBlackPauseStartsAtOnceWithoutDrawingTheTitle)
{
    runtime.Tick(5);
    runtime.Press(VK::Space);
    runtime.Tick();
    EXPECT_EQ(TickSlots.at(1).Callback, GameTick);
    EXPECT_EQ(StageNo, 0);
    EXPECT_EQ(TitleLine(), 0);
}

TEST_F(Title, EnteringTheTitlePlaysTheCallEvenAfterAHoldOff)
{
    ForcePlayWaveHold(Sound::Break, 30);
    Audio::StartLog();
    EnterTitle();
    EXPECT_EQ(PlayedWaves(), std::vector<std::string>{"dat/titlecall.wav"});
}

TEST_F(Title, HoldingEnterThroughAGameOverDoesNotStartANewGame)
{
    runtime.Press(VK::Return);
    runtime.Tick();
    ASSERT_EQ(TickSlots.at(1).Callback, GameTick);
    runtime.Release(VK::Return);
    Mine->lives = 0;
    Mine->invulnFrames = 0;
    Mine->entering = false;
    Mine->hit();
    runtime.Tick(3);
    runtime.Press(VK::Return);
    runtime.Tick();
    EXPECT_EQ(TickSlots.at(1).Callback, TitleTick) << "the game-over wait ends early";
    runtime.Tick(10);
    EXPECT_EQ(TickSlots.at(1).Callback, TitleTick) << "the held key was consumed: it starts nothing";
    runtime.Release(VK::Return);
    runtime.Press(VK::Return);
    runtime.Tick();
    EXPECT_EQ(TickSlots.at(1).Callback, GameTick) << "a fresh press does";
}

}  // namespace
