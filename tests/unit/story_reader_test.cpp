// The story reader: chapters in their page format, the line-by-line reveal,
// page turning with Z, leaving with the confirm key, the question before the
// Another stage, and pictures with their darkened margins.
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "platform/Application.h"
#include "platform/Errors.h"
#include "platform/Keys.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/UnitMain.h"
#include "stage/UnitReadStory.h"
#include "stage/UnitStory.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

TEST(ChapterFormat, PagesPicturesAndLines)
{
    const TChapter chapter = ParseChapter(
        "# a comment\n@page scene01.jpg\n一つ目\n二つ目\n\n@page\r\n三つ目\r\n@page  fig2.bmp \n四\n", "ch.txt");
    ASSERT_EQ(chapter.size(), 3u);
    EXPECT_EQ(chapter[0].picture, "scene01.jpg");
    EXPECT_EQ(chapter[0].lines, (std::vector<std::string>{"一つ目", "二つ目"}));
    EXPECT_EQ(chapter[1].picture, "");
    EXPECT_EQ(chapter[1].lines, std::vector<std::string>{"三つ目"});
    EXPECT_EQ(chapter[2].picture, "fig2.bmp");
}

TEST(ChapterFormat, LinesHoldAnyUnicodeText)
{
    const TChapter chapter = ParseChapter("@page\nA \u00E9 \u884C \U0001D11E \U0010FFFF\n", "ch.txt");
    ASSERT_EQ(chapter.size(), 1u);
    EXPECT_EQ(chapter[0].lines.at(0), "A \u00E9 \u884C \U0001D11E \U0010FFFF");
}

TEST(ChapterFormat, FaultsNameTheFileAndLine)
{
    struct TCase {
        const char* text;
        const char* says;
    };
    const TCase cases[] = {
        {"行\n@page\n行\n", "line 1: text before the first @page"},
        {"@page\n1\n2\n3\n4\n5\n6\n7\n", "line 8: a page holds six lines at most"},
        {"@page\n@page\n行\n", "a page without lines"},
        {"# nothing\n", "no pages"},
        {"@page\n行\n\x93\x5F\n", "line 3: not UTF-8 text"},
        {"@page\n\x80\n", "line 2: not UTF-8 text"},
        {"@page\n\xE8\xA1\n", "line 2: not UTF-8 text"},
        {"@page\n\xC0\xAF\n", "line 2: not UTF-8 text"},
        {"@page\n\xED\xA0\x80\n", "line 2: not UTF-8 text"},
        {"@page\n\xF4\x90\x80\x80\n", "line 2: not UTF-8 text"},
        {"# \xFF\n@page\n行\n", "line 1: not UTF-8 text"},
    };
    for (const TCase& c : cases) {
        try {
            ParseChapter(c.text, "dat/story/chapter3.txt");
            ADD_FAILURE() << c.says;
        } catch (const ELoadError& e) {
            EXPECT_NE(std::string(e.what()).find("dat/story/chapter3.txt"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}

class StoryReader : public ::testing::Test {
protected:
    TGameRuntime runtime;
    void Enter(std::int32_t chapter)
    {
        NewGame(chapter);
        EnterStory();
    }
    // Lit pixels of a window rectangle.
    std::int32_t Lit(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
    {
        std::int32_t n = 0;
        for (std::int32_t y = top; y < bottom; ++y)
            for (std::int32_t x = left; x < right; ++x) n += !(runtime.Form().Client().Row(y)[x] == TPixel{});
        return n;
    }
    bool NextPrompt() { return Lit(0, 388, 100, 400) > 0; }
    bool BottomPrompt() { return Lit(0, 402, 416, 416) > 0; }
    // The tick (from 1) in which "Next: Z" first shows.
    std::int32_t TickOfNextPrompt(std::int32_t limit)
    {
        for (std::int32_t tick = 1; tick <= limit; ++tick) {
            runtime.Tick();
            if (NextPrompt()) return tick;
        }
        return 0;
    }
};

TEST_F(StoryReader, LinesTakeSixTicksEachAndEmptySlotsAreSkipped)
{
    Enter(0);  // page 0: two lines
    for (int tick = 1; tick <= 12; ++tick) runtime.Tick();
    EXPECT_EQ(LinesShown, 2);
    EXPECT_FALSE(NextPrompt());
    runtime.Tick();
    EXPECT_EQ(LinesShown, 6) << "the four empty slots go at once";
    EXPECT_TRUE(NextPrompt()) << "tick 13";

    runtime.Press(VK::Z);
    runtime.Tick();
    runtime.Release(VK::Z);
    EXPECT_EQ(PageNo, 2) << "page 1: six lines";
    EXPECT_EQ(TickOfNextPrompt(40), 35) << "36 ticks counting the one that turned the page";

    // A page whose first slot is empty starts on its second line.
    ClearPage();
    PageLines[1] = Story[0][0].lines[0];
    runtime.Tick();
    EXPECT_EQ(LinesShown, 1);
    EXPECT_EQ(LineFade, 51);
}

TEST_F(StoryReader, LinesStartWithinTheirRandomMarginAndRevealAsGhosts)
{
    std::vector<std::int32_t> asked;
    SetRandomSource([&](std::int32_t n) {
        asked.push_back(n);
        return std::int32_t(asked.size()) - 1;
    });
    Enter(0);
    SetRandomSource(nullptr);
    EXPECT_EQ(std::vector<std::int32_t>(asked.end() - 6, asked.end()), std::vector<std::int32_t>(6, 40));
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(LineX[i], 60 + std::int32_t(asked.size()) - 6 + std::int32_t(i));
    runtime.Tick();
    // At fade 0 the ghosts are black; a tick later they spread 68 pixels either side of the line.
    runtime.Tick();
    const std::int32_t x = LineX[0];
    EXPECT_GT(Lit(x - 68, 260, x - 40, 272), 0) << "a dim ghost far to the left";
}

TEST_F(StoryReader, HoldingZTurnsEveryFullPageButNeverPastTheLast)
{
    Enter(0);
    runtime.Press(VK::Z);
    for (int tick = 0; tick < 200; ++tick) runtime.Tick();
    EXPECT_TRUE(ChapterEnd);
    EXPECT_EQ(PageNo, 3) << "three pages";
    EXPECT_FALSE(NextPrompt()) << "no more pages to turn";
    EXPECT_TRUE(BottomPrompt()) << "Push SPACE or ENTER to go to the next stage.";
    EXPECT_EQ(TickSlots.at(1).Callback, StoryTick);
}

TEST_F(StoryReader, ConfirmLeavesForTheNextStageWithTheImagesFreed)
{
    Enter(3);
    runtime.Tick(2);
    runtime.Press(VK::Space);
    const std::uint32_t shown = Headless::PresentCount();
    runtime.Tick();
    EXPECT_EQ(TickSlots.at(1).Callback, GameTick);
    EXPECT_EQ(StageNo, 4);
    EXPECT_EQ(StoryCanvas->Width(), 0);
    EXPECT_EQ(PictureBuffer->Width(), 0);
    EXPECT_EQ(Headless::PresentCount(), shown);
}

TEST_F(StoryReader, TheEndingAsksOnlyAStrongPlayerAndOnlyYesGoesOn)
{
    struct TCase {
        std::int32_t lives, score;
        bool asked;
        std::int32_t answer;
        bool goesOn;
    };
    const TCase cases[] = {
        {1, 9000, false, 0, false},
        {5, 2499, false, 0, false},
        {2, 2500, true, Application::IDNO, false},
        {2, 2500, true, Application::IDYES, true},
    };
    for (const TCase& c : cases) {
        Enter(9);
        Mine->lives = c.lives;
        Score = c.score;
        Headless::AnswerMessageBox(c.answer);
        const std::uint32_t boxes = Headless::MessageBoxCount();
        runtime.Press(VK::Return);
        runtime.Tick();
        runtime.Release(VK::Return);
        EXPECT_EQ(Headless::MessageBoxCount() - boxes, c.asked ? 1u : 0u) << c.lives << " ships, " << c.score;
        if (c.asked) {
            EXPECT_EQ(Headless::LastMessageBoxText(), "アナザーに行きます。よろしいですか？");
            EXPECT_EQ(Headless::LastMessageBoxCaption(), "Korvalen");
        }
        EXPECT_EQ(TickSlots.at(1).Callback, c.goesOn ? GameTick : StoryTick);
        if (c.goesOn) {
            EXPECT_EQ(StageNo, 10);
        }
        if (!c.asked) (void)Application::MessageBox("", "", Application::MB_OK);  // takes the unused answer
    }
}

TEST_F(StoryReader, TheEndingShowsEndAndNeverTheSkipPrompt)
{
    Enter(9);
    for (int tick = 0; tick < 10; ++tick) {
        runtime.Tick();
        EXPECT_FALSE(BottomPrompt()) << "no \"Skip\" in the ending";
    }
    runtime.Press(VK::Z);
    runtime.Tick(100);
    EXPECT_TRUE(ChapterEnd);
    EXPECT_GT(Lit(0, 402, 40, 416), 0) << "\"End.\"";
    EXPECT_EQ(Lit(40, 402, 416, 416), 0) << "and nothing longer";
}

TEST_F(StoryReader, PicturesAreCentredWithMarginsFadingIntoBlack)
{
    Enter(1);
    ASSERT_EQ(PictureBuffer->Width(), 16 + 80) << "a 16-pixel picture and its two margins";
    ASSERT_EQ(PictureBuffer->Height(), 8);
    const TPixel red = PictureBuffer->Row(2)[40];
    EXPECT_GT(red.r, 240);
    EXPECT_EQ(PictureBuffer->Row(2)[39], Darken89(red));
    for (std::int32_t x = 0; x < 7; ++x) EXPECT_EQ(PictureBuffer->Row(2)[x], TPixel{}) << "column " << x;
    EXPECT_EQ(Darken89(MakeTriple(255, 9, 0)), MakeTriple(226, 8, 0));
    runtime.Tick();
    EXPECT_GT(runtime.Form().Client().Row(32)[(416 - 96) / 2 + 41].r, 200) << "drawn with its top at y 30";
}

TEST_F(StoryReader, EveryChapterOpensWithItsOwnPictureAndFiguresAreBitmaps)
{
    Enter(9);
    runtime.Press(VK::Z);
    runtime.Tick(14);
    EXPECT_EQ(PictureBuffer->Width(), 20 + 80) << "page 1 loads the figure";
    EXPECT_GT(PictureBuffer->Row(5)[45].g, 150);
    runtime.Tick(20);
    EXPECT_EQ(PictureBuffer->Width(), 16 + 80) << "page 2 brings a scene back";
    EXPECT_THROW(ShowPicture("scene00.JPG"), ELoadError) << "capitals: read as a bitmap file";
}

TEST_F(StoryReader, AStageClearLeadsToItsChapterAndOnlyTheLastIsRecordedFirst)
{
    for (std::int32_t stage : {4, 9}) {
        NewGame(stage);
        BeginStageClear();
        ClearCount = 0;
        runtime.Tick();
        EXPECT_EQ(TickSlots.at(1).Callback, StoryTick) << "stage " << stage;
        EXPECT_EQ(PageNo, 1) << "its chapter's first page";
        EXPECT_EQ(std::filesystem::exists(runtime.Folder() / "レポート.txt"), stage == 9) << "stage " << stage;
    }
}

}  // namespace
