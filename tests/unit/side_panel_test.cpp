// The side panel: the energy gauge and its blinking "MAX", the ships in
// reserve with the entering ship, the stage name and the zero-padded score.
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "graphics/UnitScreenBuf.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SidePanel : public ::testing::Test {
protected:
    TGameRuntime runtime;
    TScreenBufSide& panel = *ScreenBufSide;

    void Draw()
    {
        panel.ClearBuf();
        panel.DrawStatus();
    }
    TPixel At(std::int32_t x, std::int32_t y) { return panel.Work.Row(y)[x]; }
    // How many pixels of the box have exactly this colour.
    std::int32_t Count(TColor color, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
    {
        std::int32_t n = 0;
        for (std::int32_t y = top; y < bottom; ++y)
            for (std::int32_t x = left; x < right; ++x) n += ColorOf(At(x, y)) == color;
        return n;
    }
    bool ShipAt(std::int32_t cx, std::int32_t cy)
    {
        const TPixel p = At(cx, cy);
        return p.g == 20 && p.b == 30;  // the fixture ship's colour
    }
};

TEST(PanelTexts, StageNamesAndZeroPaddedScores)
{
    EXPECT_EQ(StageName(0).View(), "Stage0");
    EXPECT_EQ(StageName(9).View(), "Stage9");
    EXPECT_EQ(StageName(10).View(), "Another");
    EXPECT_EQ(StageName(11).View(), "Another");
    const std::pair<std::int32_t, const char*> scores[] = {
        {0, "00000"}, {42, "00042"}, {99999, "99999"}, {123456, "123456"}, {2147483647, "2147483647"}};
    for (const auto& [score, text] : scores) EXPECT_EQ(ZeroPad5(score).View(), text);
}

TEST_F(SidePanel, TheGaugeShowsEnergyInHundredthsOfItsWidth)
{
    const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 0}, {19, 0}, {20, 1}, {1000, 50}, {1999, 99}, {2000, 100}};
    for (const auto& [energy, columns] : cases) {
        Mine->energy = energy;
        Draw();
        for (std::int32_t c = 0; c < 100; ++c) {
            const TPixel p = At(144 + c, 448 + 10);
            const auto blue = std::uint8_t(c * 255 / 99);
            const TPixel lit = MakeTriple(std::uint8_t(255 - blue), 128, blue);
            ASSERT_EQ(p, c < columns ? lit : TPixel{}) << "energy " << energy << ", column " << c;
        }
    }
}

TEST_F(SidePanel, MaxBlinksRedBlueYellowAtFullEnergyOnly)
{
    const TColor red = RGB(255, 64, 64), blue = RGB(64, 64, 255), yellow = RGB(255, 255, 64);
    const TColor sequence[] = {red, red, blue, blue, blue, yellow, yellow, yellow, red, red, red, blue};
    Mine->energy = 2000;
    for (std::size_t frame = 0; frame < std::size(sequence); ++frame) {
        Draw();
        for (TColor c : {red, blue, yellow}) {
            const std::int32_t n = Count(c, 244, 450, 320, 480);
            if (c == sequence[frame]) EXPECT_GT(n, 0) << "frame " << frame;
            else EXPECT_EQ(n, 0) << "frame " << frame;
        }
    }
    const std::int32_t phase = panel.MaxBlink;
    Mine->energy = 1999;
    Draw();
    EXPECT_EQ(panel.MaxBlink, phase) << "the phase waits below full energy";
    for (TColor c : {red, blue, yellow}) EXPECT_EQ(Count(c, 244, 450, 320, 480), 0);
}

TEST_F(SidePanel, ReserveShipsAreIconsUpToFiveThenOneIconAndACount)
{
    const TColor grey = RGB(192, 192, 192);
    for (std::int32_t lives : {0, 1, 5, 6, 12}) {
        Mine->lives = lives;
        Mine->entering = false;
        Draw();
        const std::int32_t icons = lives > 5 ? 1 : lives;
        for (std::int32_t i = 0; i < 6; ++i)
            EXPECT_EQ(ShipAt(144 + 32 * i, 512), i < icons) << lives << " lives, icon " << i;
        const std::int32_t text = Count(grey, 160, 500, 240, 535);
        if (lives > 5) EXPECT_GT(text, 0) << "\"x" << lives << "\"";
        else EXPECT_EQ(text, 0) << lives << " lives";
    }
}

TEST_F(SidePanel, TheEnteringShipLeavesFromTheFirstIconAndTheRestFollow)
{
    Mine->lives = 2;
    Mine->entering = true;
    Mine->x = 400;  // beyond the playfield's right edge: the panel's x 144
    Mine->y = 512;
    Draw();
    EXPECT_TRUE(ShipAt(144, 512)) << "the entering ship";
    EXPECT_TRUE(ShipAt(176, 512));
    EXPECT_TRUE(ShipAt(208, 512));
    EXPECT_FALSE(ShipAt(240, 512));
    Mine->x = 390;
    Mine->y = 480;
    Draw();
    EXPECT_TRUE(ShipAt(390 - 256, 480)) << "drawn where it flies, in panel coordinates";
    EXPECT_TRUE(ShipAt(390 - 256 + 32, 512)) << "the icons follow 32 pixels behind";
    EXPECT_FALSE(ShipAt(144, 512));
}

TEST_F(SidePanel, TheStageNameAndAFiveDigitScoreFitThePanel)
{
    // Drawn into the work bitmap's margin, nothing may pass the panel's right edge.
    for (std::int32_t stage : {9, 10}) {
        panel.ClearBuf();
        panel.DrawStageName(stage);
        EXPECT_EQ(Count(clWhite, 288, 128, 300, 160), 0) << StageName(stage).View();
    }
    panel.ClearBuf();
    panel.DrawScore(88888);
    EXPECT_EQ(Count(clWhite, 288, 280, 300, 312), 0) << "the last digit stays inside";
    EXPECT_GT(Count(clWhite, 270, 280, 288, 312), 0) << "and is drawn";
}

TEST_F(SidePanel, NameAndScoreAreWhiteTextAndTheWindowIsShownAtTheRight)
{
    panel.ClearBuf();
    panel.DrawStageName(3);
    panel.DrawScore(42);
    EXPECT_GT(Count(clWhite, 188, 128, 300, 160), 0) << "the stage name";
    EXPECT_GT(Count(clWhite, 215, 268, 290, 290), 0) << "\"score\"";
    EXPECT_GT(Count(clWhite, 203, 283, 300, 312), 0) << "the score";
    panel.Present();
    const TBitmap& client = runtime.Form().Client();
    EXPECT_EQ(client.Row(140)[256 + 70], panel.Work.Row(128 + 140)[128 + 70]);
    EXPECT_EQ(client.Row(0)[255], TPixel{}) << "the playfield's side is untouched";
}

}  // namespace
