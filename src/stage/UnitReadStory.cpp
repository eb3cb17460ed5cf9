#include "UnitReadStory.h"

#include "UnitStage.h"
#include "UnitStory.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "platform/Application.h"
#include "platform/Keys.h"
#include "runtime/MyTime.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"

#include <cstdlib>

std::unique_ptr<TBitmap> StoryCanvas;
std::unique_ptr<TBitmap> PictureBuffer;
TRowTable PictureRows;

namespace {

constexpr std::int32_t ScreenSize = 416;
constexpr std::int32_t PictureTop = 30;
constexpr std::int32_t Margin = 40;
constexpr std::int32_t FirstLineY = 260;
constexpr std::int32_t LinePitch = 17;
constexpr std::int32_t FullFade = 255;
constexpr std::int32_t FadeStep = 51;
constexpr std::int32_t EndingChapter = 9;
// Who may go on to the Another stage after the ending.
constexpr std::int32_t AnotherLives = 2;
constexpr std::int32_t AnotherScore = 2500;

bool EndPromptDue() { return ChapterEnd && LinesShown >= std::int32_t(PageSize); }

std::int32_t LineY(std::int32_t i) { return FirstLineY + LinePitch * i; }

void SetTextFont(TCanvas& canvas, TColor color)
{
    canvas.SetBrushClear();
    canvas.SetFontSize(9);
    canvas.SetFontStyle(TFontStyle::Regular);
    canvas.SetFontColor(color);
}

// Whether the player may leave: after the ending only for the Another stage,
// and only a strong player who says yes.
bool MayLeave()
{
    if (StageNo < EndingChapter) return true;
    if (Mine->lives < AnotherLives || Score < AnotherScore) return false;
    return AskUser(AnotherQuestion, "Korvalen", Application::MB_YESNO) != Application::IDNO;
}

void DrawPrompts()
{
    TCanvas& canvas = StoryCanvas->Canvas();
    SetTextFont(canvas, clWhite);
    if (EndPromptDue()) {
        canvas.TextOut(3, 402, StageNo >= EndingChapter ? "End." : "Push SPACE or ENTER to go to the next stage.");
        return;
    }
    if (StageNo < EndingChapter) canvas.TextOut(3, 402, "Skip: SPACE or ENTER");
    if (LinesShown >= std::int32_t(PageSize)) canvas.TextOut(3, 388, "Next: Z");
}

void DrawStoryScreen()
{
    TCanvas& canvas = StoryCanvas->Canvas();
    canvas.SetBrushColor(clBlack);
    canvas.FillRect({0, 0, ScreenSize, ScreenSize});
    canvas.BitBlt((ScreenSize - PictureBuffer->Width()) / 2, PictureTop, PictureBuffer->Width(),
                  PictureBuffer->Height(), *PictureBuffer, 0, 0, SRCCOPY);
    DrawPageText();
    DrawPrompts();
    Application::MainForm()->Canvas().BitBlt(0, 0, ScreenSize, ScreenSize, *StoryCanvas, 0, 0, SRCCOPY);
}

// The line being revealed: pairs of copies either side of its place,
// brighter toward the centre, closing in as the fade rises.
void DrawRevealedLine(std::int32_t k)
{
    TCanvas& canvas = StoryCanvas->Canvas();
    const std::string_view line = PageLines[std::size_t(k)];
    const std::int32_t x = LineX[std::size_t(k)], y = LineY(k);
    for (std::int32_t i = -((FullFade - LineFade) / 3); i <= 0; ++i) {
        canvas.SetFontColor(GreyColor(std::uint8_t(LineFade * 5 / (std::abs(i) + 5))));
        canvas.TextOut(x + i, y, line);
        canvas.TextOut(x - i, y, line);
    }
}

}  // namespace

TPixel Darken89(TPixel pixel)
{
    return TPixel{std::uint8_t(pixel.b * 8 / 9), std::uint8_t(pixel.g * 8 / 9), std::uint8_t(pixel.r * 8 / 9)};
}

void CreateStoryImages()
{
    StoryCanvas = std::make_unique<TBitmap>();
    PictureBuffer = std::make_unique<TBitmap>();
}

void DestroyStoryImages()
{
    PictureRows.clear();
    PictureBuffer.reset();
    StoryCanvas.reset();
}

void EnterStory()
{
    RegisterTick(1, 50, StoryTick);
    StoryCanvas->SetSize(ScreenSize, ScreenSize);
    PageNo = 0;
    ChapterEnd = false;
    NextPage();
}

void StoryTick()
{
    ToggleFps();
    if (ConfirmPushed()) {
        if (!MayLeave()) return;
        FreeStoryImages();
        StartStage(StageNo + 1);
        return;
    }
    // Z is not consumed: held, it turns a page whenever one is fully shown.
    if (LinesShown >= std::int32_t(PageSize) && !ChapterEnd && GetKeyFlag(VK::Z)) NextPage();
    DrawStoryScreen();
    ShowFrameRate();
}

void ShowPicture(const std::string& name)
{
    TBitmap picture;
    LoadPicture("dat/" + name, picture);
    const std::int32_t w = picture.Width(), h = picture.Height();
    ResizeBitmap(*PictureBuffer, PictureRows, w + 2 * Margin, h);
    PictureBuffer->Canvas().BitBlt(Margin, 0, w, h, picture, 0, 0, SRCCOPY);
    for (const std::span<TPixel>& row : PictureRows) {
        for (std::int32_t x = Margin - 1; x >= 0; --x) row[std::size_t(x)] = Darken89(row[std::size_t(x + 1)]);
        for (std::int32_t x = w + Margin; x < w + 2 * Margin; ++x) row[std::size_t(x)] = Darken89(row[std::size_t(x - 1)]);
    }
}

void DrawPageText()
{
    TCanvas& canvas = StoryCanvas->Canvas();
    SetTextFont(canvas, GreyColor(255));
    for (std::int32_t i = 0; i < LinesShown; ++i) canvas.TextOut(LineX[std::size_t(i)], LineY(i), PageLines[std::size_t(i)]);
    // Unused lines are skipped at once, within the same tick.
    while (LinesShown < std::int32_t(PageSize) && PageLines[std::size_t(LinesShown)].empty()) LinesShown += 1;
    if (LinesShown >= std::int32_t(PageSize)) return;
    DrawRevealedLine(LinesShown);
    if (LineFade < FullFade) {
        LineFade += FadeStep;
    } else {
        LineFade = 0;
        LinesShown += 1;
    }
}

void FreeStoryImages()
{
    StoryCanvas->SetSize(0, 0);
    PictureBuffer->SetSize(0, 0);
    PictureRows.clear();
}
