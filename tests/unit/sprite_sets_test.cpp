// Sprite sets: cutting sheets into frames, enlarging, see-through pixels,
// drawing only what touches the window, the animation counter, and the store
// that finds sets by name.
#include "graphics/UnitScreenBuf.h"
#include "graphics/UnitTCSC.h"
#include "platform/Application.h"
#include "platform/Errors.h"
#include "runtime/UnitMain.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ShellCount, NextShowsEachFrameForItsTicksThenWraps)
{
    TShellCount counter;
    counter.Init(2);
    std::vector<std::int32_t> shown;
    for (int i = 0; i < 26; ++i) shown.push_back(counter.Next(12));
    const std::vector<std::int32_t> expected = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
                                                7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 0, 0};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(counter.Current(), 1) << "Current is the frame the next draw shows";
}

class SpriteSets : public ::testing::Test {
protected:
    TGameRuntime runtime;
    TBitmap& playfield() { return ScreenBufMain->Work; }
};

TEST_F(SpriteSets, SheetsAreCutIntoFramesAndEnlarged)
{
    WriteFixtureSheet(runtime.Folder(), {"strip", 32, 32, 12});
    struct TCase {
        std::int32_t frames, scale, count, width, height;
    };
    const TCase cases[] = {
        {0, 1, 12, 32, 32},  // square frames when no count is given
        {0, 3, 12, 96, 96},
        {12, 2, 12, 64, 64},
        {4, 1, 4, 96, 32},  // a given count cuts wider frames
    };
    for (const TCase& c : cases) {
        TCSC set;
        set.LoadBmp("strip", c.frames, playfield(), c.scale);
        EXPECT_EQ(set.frameCount, c.count) << c.frames << " frames at scale " << c.scale;
        EXPECT_EQ(set.width, c.width);
        EXPECT_EQ(set.height, c.height);
        EXPECT_EQ(set.GetShell(0).width, c.width);
        EXPECT_EQ(set.name, c.scale == 1 ? "strip" : "stripx" + std::to_string(c.scale));
    }
}

TEST_F(SpriteSets, LeftoverColumnsAreNeverUsed)
{
    // 100 × 2 in three frames of 33: column 99 is red, every other pixel opaque grey.
    std::vector<TFixturePixel> pixels(200, TFixturePixel{90, 90, 90});
    pixels[99] = pixels[199] = TFixturePixel{255, 0, 0};
    WriteFixtureBitmap(runtime.Folder(), "hundred", 100, 2, pixels);
    TCSC set;
    set.LoadBmp("hundred", 3, playfield(), 1);
    ASSERT_EQ(set.frameCount, 3);
    EXPECT_EQ(set.width, 33);
    for (std::int32_t f = 0; f < 3; ++f)
        for (std::int32_t y = 0; y < 2; ++y)
            for (std::int32_t x = 0; x < 33; ++x) EXPECT_NE(set.GetShell(f).image.Row(y)[x].r, 255);
}

TEST_F(SpriteSets, EachFramesTopLeftColourIsSeeThroughEverywhereInIt)
{
    // Two 3 × 2 frames. Frame 0 is keyed black: its black pixels are see-through
    // wherever they are; frame 1 is keyed white, so its black pixel is opaque.
    const TFixturePixel k{0, 0, 0}, w{255, 255, 255}, c{200, 100, 50};
    WriteFixtureBitmap(runtime.Folder(), "keys", 6, 2, {k, c, k, w, k, c,  //
                                                        c, k, c, c, c, w});
    TCSC set;
    set.LoadBmp("keys", 2, playfield(), 1);
    const TCharaShell& first = set.GetShell(0);
    const TCharaShell& second = set.GetShell(1);
    EXPECT_FALSE(first.IsSolid(0, 0));
    EXPECT_FALSE(first.IsSolid(2, 0)) << "a pixel of the key colour inside the figure";
    EXPECT_FALSE(first.IsSolid(1, 1));
    EXPECT_TRUE(first.IsSolid(1, 0));
    EXPECT_TRUE(second.IsSolid(1, 0)) << "black is opaque in a frame keyed white";
    EXPECT_FALSE(second.IsSolid(2, 1));
    EXPECT_EQ(first.image.Row(0)[2], TPixel{}) << "see-through pixels are blacked out in the picture";
    EXPECT_EQ(first.image.Row(0)[1], MakeTriple(200, 100, 50));
}

TEST_F(SpriteSets, DrawingTouchesOnlyFramesOverlappingTheWindow)
{
    WriteFixtureSheet(runtime.Folder(), {"block", 32, 32, 1});
    TCSC set;
    set.LoadBmp("block", 1, playfield(), 1);
    struct TCase {
        std::int32_t cx, cy;
        bool drawn;
    };
    const TCase cases[] = {
        {112, 300, false},  // box 96 … 127
        {113, 300, true},   // box 97 … 128
        {399, 300, true},   // box 383 … 414
        {400, 300, false},  // box 384 … 415
        {200, 112, false},
        {200, 113, true},
        {200, 560, false},  // box 544 … 575
        {200, 559, true},
    };
    for (const TCase& c : cases) {
        playfield().Canvas().SetBrushColor(clBlack);
        playfield().Canvas().FillRect({0, 0, playfield().Width(), playfield().Height()});
        set.DrawAt(0, c.cx, c.cy);
        const TPixel drawnColour = MakeTriple(10, 20, 30);
        bool any = false;
        for (std::int32_t y = c.cy - 16; y < c.cy + 16; ++y)
            for (std::int32_t x = c.cx - 16; x < c.cx + 16; ++x)
                if (x >= 0 && y >= 0 && x < playfield().Width() && y < playfield().Height())
                    any = any || playfield().Row(y)[x] == drawnColour;
        EXPECT_EQ(any, c.drawn) << "centred at " << c.cx << ", " << c.cy;
    }
}

TEST_F(SpriteSets, DrawingLeavesSeeThroughPixelsAlone)
{
    WriteFixtureSheet(runtime.Folder(), {"holed", 4, 4, 1}, {{2, 2}});
    TCSC set;
    set.LoadBmp("holed", 1, playfield(), 1);
    const TPixel background = MakeTriple(1, 2, 3);
    FillBitmap(playfield(), ScreenBufMain->WorkRows, 512, 672, background);
    set.DrawAt(0, 202, 302);  // box 200 … 203
    EXPECT_EQ(playfield().Row(300)[200], background) << "the key pixel";
    EXPECT_EQ(playfield().Row(302)[202], background) << "a hole";
    EXPECT_EQ(playfield().Row(300)[201], MakeTriple(10, 20, 30));
}

TEST_F(SpriteSets, BadSheetsAreLoadErrorsAndLeaveNoFrames)
{
    WriteFixtureSheet(runtime.Folder(), {"narrow", 8, 16, 1});
    WriteFixtureSheet(runtime.Folder(), {"many", 4, 4, 17});
    struct TCase {
        const char* name;
        std::int32_t frames;
    };
    const TCase cases[] = {{"missing", 0}, {"narrow", 0}, {"many", 0}, {"many", 17}, {"narrow", 9}};
    for (const TCase& c : cases) {
        TCSC set;
        set.LoadBmp("mine", 12, playfield(), 1);
        try {
            set.LoadBmp(c.name, c.frames, playfield(), 1);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const ELoadError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("dat/") + c.name + ".bmp"), std::string::npos) << e.what();
        }
        EXPECT_EQ(set.frameCount, 0) << c.name;
        EXPECT_EQ(set.name, "") << "a failed set is never found by its old name";
        EXPECT_THROW(set.GetShell(0), std::out_of_range);
    }
}

TEST_F(SpriteSets, FramesTooLargeOnceEnlargedAreALoadError)
{
    WriteFixtureSheet(runtime.Folder(), {"wide", 2730, 1, 1});
    TCSC set;
    EXPECT_NO_THROW(set.LoadBmp("wide", 1, playfield(), 3)) << "8190 pixels wide";
    WriteFixtureSheet(runtime.Folder(), {"wider", 2731, 1, 1});
    try {
        set.LoadBmp("wider", 1, playfield(), 3);
        ADD_FAILURE() << "loaded";
    } catch (const ELoadError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot load \"dat/wider.bmp\": its frames enlarged 3 times would be larger "
                                         "than 8192 pixels");
    }
    EXPECT_EQ(set.frameCount, 0);
}

TEST_F(SpriteSets, StartUpLoadsTheEightFixedSetsAndTheStoreSearchesAll32)
{
    const char* fixed[] = {"mine", "minedark", "shot", "eshot", "bom01", "bom02", "bom01b", "bom02b"};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(CSCTable[i]->name, fixed[i]);
        EXPECT_EQ(&Name2CSC(fixed[i]), CSCTable[i].get());
    }
    EXPECT_EQ(CSCTable[0]->frameCount, 12);
    EXPECT_EQ(CSCTable[4]->frameCount, 10);
    EXPECT_EQ(FixedCSCCount, 8);
    EXPECT_EQ(CSCCount, 32);
}

TEST_F(SpriteSets, EnlargedSetsShareEntryEight)
{
    ResetCSC();
    TCSC& first = Name2CSC("teki06x2");
    EXPECT_EQ(&first, CSCTable[8].get());
    EXPECT_EQ(first.name, "teki06x2");
    EXPECT_EQ(first.width, 32);
    EXPECT_EQ(&Name2CSC("teki06x2"), &first) << "found, not loaded again";
    EXPECT_EQ(CSCCount, 9) << "enlarged sets do not take a stage entry";
    TCSC& second = Name2CSC("teki06gx3");
    EXPECT_EQ(&second, &first) << "the one enlarged entry is loaded over";
    EXPECT_EQ(first.name, "teki06gx3");
    EXPECT_EQ(first.width, 48);
}

TEST_F(SpriteSets, TheStoreWarnsWhenNearlyFullAndFailsCleanlyWhenFull)
{
    std::vector<std::string> names;
    for (int i = 0; i < 24; ++i) names.push_back("stage" + std::to_string(i));
    for (const std::string& name : names) WriteFixtureSheet(runtime.Folder(), {name, 8, 8, 1});
    ResetCSC();
    ASSERT_EQ(CSCCount, 9);
    for (int i = 0; i < 21; ++i) Name2CSC(names[std::size_t(i)]);
    EXPECT_EQ(CSCCount, 30);
    EXPECT_EQ(Headless::MessageBoxCount(), 0u);

    Name2CSC(names[21]);
    EXPECT_EQ(CSCCount, 31);
    EXPECT_EQ(Headless::MessageBoxCount(), 0u) << "no warning with 30 entries in use";

    TCSC& last = Name2CSC(names[22]);
    EXPECT_EQ(&last, CSCTable[31].get());
    EXPECT_EQ(CSCCount, 32);
    EXPECT_EQ(Headless::MessageBoxCount(), 1u);
    EXPECT_EQ(Headless::LastMessageBoxText(), "error in Name2CSC");
    EXPECT_EQ(Headless::LastMessageBoxCaption(), "UnitTCSC");

    EXPECT_THROW(Name2CSC(names[23]), ELoadError) << "no entry is left";
    EXPECT_EQ(CSCCount, 32);
    EXPECT_EQ(Headless::MessageBoxCount(), 2u) << "the warning still comes first";
    EXPECT_EQ(CSCTable[31]->name, names[22]) << "the last entry is kept";
}

TEST_F(SpriteSets, LoadingDuringAStageWarnsAndLoadsAllTheSame)
{
    ResetCSC();
    Name2CSC("teki01");
    EXPECT_EQ(Headless::MessageBoxCount(), 0u) << "loaded at the stage start";
    StageFrame = 1;
    TCSC& late = Name2CSC("teki03");
    EXPECT_EQ(Headless::MessageBoxCount(), 1u);
    EXPECT_EQ(late.name, "teki03");
    EXPECT_EQ(late.frameCount, 4);
    Name2CSC("teki03");
    EXPECT_EQ(Headless::MessageBoxCount(), 1u) << "a set already there needs no load";
}

TEST_F(SpriteSets, AStageStartForgetsTheLastStagesSets)
{
    ResetCSC();
    TCSC& first = Name2CSC("teki01");
    Name2CSC("teki03");
    ResetCSC();
    TCSC& again = Name2CSC("teki04");
    EXPECT_EQ(&again, &first) << "the first stage entry is loaded over";
    EXPECT_EQ(first.name, "teki04");
}

}  // namespace
