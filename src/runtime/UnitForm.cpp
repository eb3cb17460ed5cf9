#include "UnitForm.h"

#include "MyMidi.h"
#include "MyRandom.h"
#include "MyTime.h"
#include "MyWave.h"
#include "UnitGetKey.h"
#include "UnitMain.h"
#include "platform/Keys.h"

#include <string>

TFormMain* FormMain = nullptr;

TFormMain::TFormMain()
{
    SetCaption(WindowTitle);
    Canvas().SetFontName("ＭＳ Ｐゴシック");
    Canvas().SetFontSize(9);
    Canvas().SetFontStyle(TFontStyle::Regular);
    Canvas().SetFontColor(clBlack);
}

void TFormMain::FormCreate()
{
    Randomize();
    SetClientSize(ClientSize, ClientSize);
    CenterOnScreen();
    Application::SetOnDeactivate([this] { AppDeactivate(); });
    StartFrameLoop(*this);
    InitMidi();
    LoadWaves();
    StopWave();
    SetColor(clBlack);
}

void TFormMain::FormDestroy()
{
    StopWave();
    FreeMidi();
}

void TFormMain::WndProc(std::uint32_t message)
{
    if (message == WM_FRAMELOOP) RunFrameLoop();
    else TForm::WndProc(message);
}

void TFormMain::showFPS()
{
    if (!FpsVisible) return;
    const std::int32_t figure = CountFrame();
    if (figure == -2) SetCaption("");
    else if (figure >= 0) SetCaption(std::to_string(figure) + "fps");
}

void TFormMain::FormKeyDown(std::uint8_t key) { KeyTableKeyDown(key); }
void TFormMain::FormKeyUp(std::uint8_t key) { KeyTableKeyUp(key); }

bool TFormMain::FormShortCut(std::uint8_t key) { return key == VK::Menu || key == VK::F10; }

void TFormMain::AppDeactivate()
{
    Pause = true;
    ClearKeys();
}
