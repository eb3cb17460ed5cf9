#include "FuzzTargets.h"

#include "graphics/UnitTCSC.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/WaveFile.h"
#include "runtime/MyMidi.h"
#include "runtime/UnitMain.h"
#include "runtime/UnitReport.h"
#include "stage/UnitStory.h"

#include <string>

namespace Fuzz {
namespace {

void Expect(bool promise, const char* what)
{
    if (!promise) throw EBrokenPromise(what);
}

std::string_view Text(TInput input) { return {reinterpret_cast<const char*>(input.data()), input.size()}; }

void ExpectWholeBitmap(const TBitmap& b)
{
    Expect(b.Width() >= 1 && b.Width() <= MaxBitmapSide, "a loaded picture is 1 to 8192 pixels wide");
    Expect(b.Height() >= 1 && b.Height() <= MaxBitmapSide, "a loaded picture is 1 to 8192 pixels high");
    Expect(b.Pixels().size() == std::size_t(b.Width()) * std::size_t(b.Height()), "every pixel is there");
}

// Every frame of a loaded set has the set's size, and its mask is read whole.
void ExpectWholeSet(const TCSC& set)
{
    Expect(set.frameCount >= 1 && set.frameCount <= MaxShells, "a loaded set holds 1 to 16 frames");
    for (std::int32_t f = 0; f < set.frameCount; ++f) {
        const TCharaShell& shell = set.GetShell(f);
        Expect(shell.width == set.width && shell.height == set.height, "every frame has the set's size");
        for (std::int32_t y = 0; y < shell.height; ++y)
            for (std::int32_t x = 0; x < shell.width; ++x) (void)shell.IsSolid(x, y);
    }
}

}  // namespace

void SpriteSheet(TInput input)
{
    struct TCut {
        std::int32_t frames, scale;
    };
    // Square frames as the stages load them, and one frame enlarged three times.
    for (const TCut cut : {TCut{0, 1}, TCut{1, 3}}) {
        TBitmap playfield;
        TCSC set;
        try {
            set.LoadSheetBytes("dat/fuzz.bmp", input, cut.frames, playfield, cut.scale);
        } catch (const ELoadError&) {
            Expect(set.frameCount == 0, "a sheet that failed to load keeps no frames");
            continue;
        }
        ExpectWholeSet(set);
    }
}

void Picture(TInput input)
{
    TBitmap jpeg, bmp;
    try {
        jpeg.LoadJpegBytes("dat/fuzz.jpg", input);
        ExpectWholeBitmap(jpeg);
    } catch (const ELoadError&) {
    }
    try {
        bmp.LoadFromBytes("dat/fuzz.bmp", input);
        ExpectWholeBitmap(bmp);
    } catch (const ELoadError&) {
    }
}

void MidiCheck(TInput input)
{
    std::string why;
    const bool safe = CheckMidiBytes(Text(input), why);
    Expect(safe == why.empty(), "a refusal says why, an acceptance nothing");
}

// Whatever the file held before, once the game just played is appended as
// the game appends it, a scan finds nothing new in that game.
void ReportScan(TInput input)
{
    struct TGame {
        std::int32_t stage, score;
        bool cleared;
    };
    const std::string_view bytes = Text(input);
    for (const TGame game : {TGame{0, 0, false}, TGame{3, 12345, false}, TGame{9, 999999, true}, TGame{10, 7, false}}) {
        StageNo = game.stage;
        Score = game.score;
        const TAchievements achieved{game.cleared, StageNo > 0, Score > 0};
        TAchievements left = achieved;
        ScanReport(bytes, left);
        const bool torn = !bytes.empty() && bytes.back() != '\n';
        const std::string after = std::string(bytes) + (torn ? "\r\n" : "") + ReportEntry(left, game.cleared, "2024/01/01 0:00");
        TAchievements again = achieved;
        Expect(!ScanReport(after, again), "the game just recorded is nothing new");
    }
}

void WaveCheck(TInput input)
{
    std::string why;
    const bool playable = Audio::CheckWaveBytes(input, why);
    Expect(playable == why.empty(), "a refusal says why, an acceptance nothing");
}

void StoryChapter(TInput input)
{
    TChapter chapter;
    try {
        chapter = ParseChapter(Text(input), "dat/story/chapter0.txt");
    } catch (const ELoadError&) {
        return;
    }
    Expect(!chapter.empty(), "a chapter has pages");
    for (const TStoryPage& page : chapter) {
        Expect(!page.lines.empty() && page.lines.size() <= PageSize, "a page holds one to six lines");
        for (const std::string& line : page.lines)
            Expect(!line.empty() && line.front() != '#' && line.find('\n') == std::string::npos,
                   "a line is text, neither empty nor a comment");
    }
}

}  // namespace Fuzz
