#include "UnitTitle.h"

#include "UnitForm.h"
#include "graphics/MyImage.h"
#include "runtime/MyTime.h"
#include "runtime/MyWave.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"

#include <cstdlib>

std::int32_t TitleFade = 0;
std::unique_ptr<TBitmap> TitleStrip;

namespace {

constexpr std::int32_t SilentFade = -150;
constexpr std::int32_t FullFade = 255;
constexpr std::int32_t FadeStep = 3;
constexpr std::int32_t TitleX = 175;
constexpr std::int32_t StripY = 150;
constexpr const char* TitleText = "Korvalen";
constexpr const char* Prompt = "Push SPACE or ENTER to start.";

// The copies lie at every offset from −n to +n, dimmer the farther out, drawn
// from the outside in so the brighter inner ones lie on top; the centre copy
// (drawn twice) has the full brightness. The strip cuts the text off below.
void DrawTitleLine()
{
    TCanvas& strip = TitleStrip->Canvas();
    strip.SetBrushColor(clBlack);
    strip.FillRect({0, 0, TitleStrip->Width(), TitleStrip->Height()});
    strip.SetBrushClear();
    strip.SetFontSize(9);
    strip.SetFontStyle(TFontStyle::Regular);
    const std::int32_t n = (FullFade - TitleFade) / FadeStep;
    for (std::int32_t i = -n; i <= 0; ++i) {
        strip.SetFontColor(GreyColor(std::uint8_t(TitleFade * 5 / (std::abs(i) + 5))));
        strip.TextOut(TitleX + i, 0, TitleText);
        strip.TextOut(TitleX - i, 0, TitleText);
    }
    FormMain->Canvas().BitBlt(0, StripY, TitleStrip->Width(), TitleStrip->Height(), *TitleStrip, 0, 0, SRCCOPY);
}

void DrawPrompt()
{
    TCanvas& window = FormMain->Canvas();
    window.SetBrushClear();
    window.SetFontSize(9);
    window.SetFontStyle(TFontStyle::Regular);
    window.SetFontColor(GreyColor(255));
    window.TextOut(3, 402, Prompt);
}

}  // namespace

void EnterTitle()
{
    // The title call is never held off.
    ResetWaveHold();
    PlayWave(Sound::TitleCall);
    TitleFade = SilentFade;
    TCanvas& window = FormMain->Canvas();
    window.SetBrushColor(clBlack);
    window.FillRect({0, 0, ClientSize, ClientSize});
    RegisterTick(1, 50, TitleTick);
}

void TitleTick()
{
    ToggleFps();
    if (ConfirmPushed()) {
        NewGame(0);
        return;
    }
    if (TitleFade >= 0) DrawTitleLine();
    if (TitleFade < FullFade) TitleFade += FadeStep;
    else DrawPrompt();
    FormMain->showFPS();
}
