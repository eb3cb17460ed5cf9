// The barrier's hexagon and shimmer, and the playfield's background and
// weapon effects.
#include "graphics/UnitBrrBmp.h"
#include "graphics/UnitScreenBuf.h"
#include "runtime/MyRandom.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

TEST(Barrier, TheHexagonHasFlatPointsAndTwoPixelSlopes)
{
    TBrrBmp barrier;
    struct TCase {
        std::int32_t x, y;
        bool inside;
    };
    const TCase cases[] = {
        {44, 0, true},  {45, 95, true}, {43, 0, true},  {46, 0, true},  {42, 0, false}, {47, 0, false},
        {0, 21, false}, {1, 21, true},  {0, 22, true},  {89, 73, true}, {89, 74, false}, {88, 74, true},
        {-1, 50, false}, {90, 50, false}, {45, 96, false}, {45, -1, false},
    };
    for (const TCase& c : cases) EXPECT_EQ(barrier.IsInside(c.x, c.y), c.inside) << c.x << ", " << c.y;
    std::int32_t white = 0;
    for (std::int32_t y = 0; y < 96; ++y)
        for (std::int32_t x = 0; x < 90; ++x) white += barrier.IsInside(x, y);
    // Rows 22 … 73 are full; each slope row i and its mirror hold 4 + 4i pixels.
    std::int32_t expected = 52 * 90;
    for (std::int32_t i = 0; i < 22; ++i) expected += 2 * (4 + 4 * i);
    EXPECT_EQ(white, expected);
}

TEST(Barrier, EveryPictureIsBlackOutsideTheHexagonAndOnlyBlueAndBlackInside)
{
    TBrrBmp barrier;
    bool someBlue = false;
    for (int frame = 0; frame < 20; ++frame) {
        const TBitmap& picture = barrier.GetBitmap();
        for (std::int32_t y = 0; y < 96; ++y)
            for (std::int32_t x = 0; x < 90; ++x) {
                const TPixel p = picture.Row(y)[x];
                if (!barrier.IsInside(x, y)) {
                    ASSERT_EQ(p, TPixel{}) << x << ", " << y;
                }
                ASSERT_TRUE(p == TPixel{} || p == MakeTriple(0, 0, 255));
                someBlue = someBlue || p.b == 255;
            }
    }
    EXPECT_TRUE(someBlue);
}

TEST(Barrier, EachPictureIsAFreshRandomWindowOfTheTexture)
{
    TBrrBmp barrier;
    SetRandomSource([](std::int32_t) { return 7; });
    const TBitmap& picture = barrier.GetBitmap();
    for (std::int32_t x = 20; x < 70; ++x) EXPECT_EQ(picture.Row(40)[x], barrier.Texture.Row(47)[x + 7]);
    SetRandomSource(nullptr);
}

class Playfield : public ::testing::Test {
protected:
    TGameRuntime runtime;
    TScreenBufMain& field = *ScreenBufMain;
    TPixel At(std::int32_t x, std::int32_t y) { return field.Work.Row(y)[x]; }
    void TearDown() override { SetRandomSource(nullptr); }
};

TEST_F(Playfield, StarsFallAndComeBackAboveTheWindow)
{
    field.InitStars(0);
    TStar& star = field.Stars[0];
    star.y = 539;
    star.speed = 6;
    field.MoveStars(0);
    EXPECT_EQ(star.y, 127) << "recycled to just above the window in the same frame";
    for (const TStar& s : field.Stars) {
        EXPECT_GE(s.x, 128);
        EXPECT_LT(s.x, 384);
        EXPECT_GE(s.speed, 1);
        EXPECT_LE(s.speed, 6);
        EXPECT_EQ(s.dim, TPixel({std::uint8_t(s.color.b / 2), std::uint8_t(s.color.g / 2), std::uint8_t(s.color.r / 2)}));
    }
    TStar& other = field.Stars[1];
    other.y = 300;
    other.speed = 3;
    other.x = 200;
    other.color = MakeTriple(200, 100, 50);
    other.dim = MakeTriple(100, 50, 25);
    field.MoveStars(0);
    EXPECT_EQ(At(200, 303), other.color);
    EXPECT_EQ(At(200, 306), other.color) << "a streak speed + 1 long";
    EXPECT_EQ(At(199, 304), other.dim);
    EXPECT_EQ(At(201, 304), other.dim);
    EXPECT_EQ(At(200, 302), other.dim);
    EXPECT_EQ(At(200, 307), other.dim);
}

TEST_F(Playfield, StarColoursFollowTheStage)
{
    field.InitStars(10);
    for (const TStar& s : field.Stars) EXPECT_EQ(s.color, TPixel{}) << "the Another stage's stars are black";
    field.InitStars(14);
    for (const TStar& s : field.Stars) EXPECT_EQ(s.color, TPixel{}) << "every later stage number is the Another stage";
    field.InitStars(1);
    for (const TStar& s : field.Stars) {
        EXPECT_EQ(s.color.r, 0);
        EXPECT_LE(std::abs(s.color.b - 2 * s.color.g), 1) << "stage 1's (0, 112, 224), scaled by one brightness";
    }
    SetRandomSource([](std::int32_t n) { return n - 1; });
    field.InitStars(7);
    EXPECT_EQ(field.Stars[0].color, MakeTriple(223, 223, 223)) << "stage 7: each channel drawn below 224";
}

TEST_F(Playfield, TheFlashFillsTheWholeWorkBitmapOnce)
{
    RequestFlash();
    field.UpdateBackground(0);
    EXPECT_FALSE(field.FlashPending);
    for (std::int32_t y : {0, 300, 671})
        for (std::int32_t x : {0, 255, 511}) EXPECT_EQ(At(x, y), MakeTriple(255, 255, 255));
}

TEST_F(Playfield, TheAnotherStageShowsDarkGreenRectanglesInsteadOfStars)
{
    field.ClearBuf();
    field.UpdateBackground(10);
    bool green = false;
    for (std::int32_t y = 128; y < 544; ++y)
        for (std::int32_t x = 128; x < 384; ++x) {
            const TPixel p = At(x, y);
            ASSERT_EQ(p.r, 0);
            ASSERT_EQ(p.b, 0);
            ASSERT_LT(p.g, 32);
            green = green || p.g > 0;
        }
    EXPECT_TRUE(green);
}

TEST_F(Playfield, TheLaserRunsFromTheTopOfTheWindowToThePoint)
{
    field.ClearBuf();
    field.DrawLaser(200, 300, 0);
    field.DrawLaser(200, 120, 4);
    for (std::int32_t y = 128; y < 544; y += 16) EXPECT_EQ(At(200, y), TPixel{}) << "nothing for width 0 or a point above";
    field.DrawLaser(200, 300, 4);
    EXPECT_EQ(At(196, 128).b, 255);
    EXPECT_EQ(At(203, 299).b, 255);
    EXPECT_EQ(At(204, 200), TPixel{}) << "2 × w wide";
    EXPECT_EQ(At(200, 300), TPixel{}) << "down to the point, not past it";
    EXPECT_GE(At(200, 200).r, 4 * 128 / 10);
}

TEST_F(Playfield, TheBlastDarkensAsItShrinks)
{
    field.ClearBuf();
    field.DrawBlast(250, 400, 250);
    for (std::int32_t y : {128, 400, 543})
        for (std::int32_t x : {128, 300, 383}) EXPECT_EQ(At(x, y), MakeTriple(255, 255, 255));
    EXPECT_EQ(At(127, 400), TPixel{}) << "only the window";
    field.ClearBuf();
    field.DrawBlast(250, 400, 50);
    EXPECT_EQ(At(250, 400), MakeTriple(51, 51, 153));
    EXPECT_EQ(At(250, 350), TPixel{}) << "the outline is the black pen";
    EXPECT_EQ(At(250, 349), TPixel{});
    field.ClearBuf();
    field.DrawBlast(250, 400, 1);
    for (std::int32_t y = 397; y < 403; ++y)
        for (std::int32_t x = 247; x < 253; ++x)
            if (x < 249 || x > 250 || y < 399 || y > 400) {
                EXPECT_EQ(At(x, y), TPixel{}) << "inside its 2 × 2 box only";
            }
}

TEST_F(Playfield, CentredTextIsBlackOnAWhiteCopyJitteringBehindIt)
{
    // The white copy's offset is drawn per frame (x first); the black text stands still.
    const auto draw = [&](std::int32_t offset) {
        SetRandomSource([offset](std::int32_t) { return offset; });
        field.ClearBuf();
        field.DrawCenterText("Game Over");
        std::vector<TPixel> box;
        for (std::int32_t y = 300; y < 340; ++y)
            for (std::int32_t x = 200; x < 320; ++x) box.push_back(At(x, y));
        return box;
    };
    const std::vector<TPixel> upLeft = draw(0), centre = draw(1), downRight = draw(2);
    const auto count = [](const std::vector<TPixel>& box, TPixel p) { return std::count(box.begin(), box.end(), p); };
    const TPixel white = MakeTriple(255, 255, 255);
    EXPECT_EQ(count(centre, white), 0) << "unshifted, the white copy lies hidden under the text";
    EXPECT_GT(count(upLeft, white), 10) << "shifted, it shows as a white fringe";
    EXPECT_GT(count(downRight, white), 10);
    EXPECT_NE(upLeft, downRight);
    EXPECT_GT(count(centre, TPixel{}), 20) << "the black text";
}

}  // namespace
