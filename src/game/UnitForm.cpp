#include "UnitForm.h"

#include "UnitFrame.h"
#include "UnitTitle.h"
#include "graphics/UnitBrrBmp.h"
#include "stage/UnitReadStory.h"
#include "stage/UnitStory.h"
#include "chara/UnitPools.h"
#include "platform/Keys.h"
#include "runtime/MyMidi.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/MyWave.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"

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

// Start-up, in an order that matters: each step may use what the steps before made.
void TFormMain::FormCreate()
{
    // 1. The random generator, from the clock.
    Randomize();
    // 2.–3. The client area, centred on the screen. (4. The input method has
    // no counterpart here: text input is off.)
    SetClientSize(ClientSize, ClientSize);
    CenterOnScreen();
    // 5. Losing activation pauses the game.
    Application::SetOnDeactivate([this] { AppDeactivate(); });
    // 6. The runtime: the frame loop's message, music, silence, a black window.
    StartFrameLoop(*this);
    InitMidi();
    LoadWaves();
    StopWave();
    SetColor(clBlack);
    // 7. The screen buffers and the 32 empty sprite sets.
    CreateBuffers();
    // 8. Every character, in its pool.
    CreateCharas();
    // 9. The buffers and the fixed sprite sets; the side panel follows the player.
    LoadSprites();
    // 10. The player and the bullets get the sets just loaded.
    AssignCharaSprites();
    // 11. The title: the window black, the title call, the title scene.
    EnterTitle();
}

// Shut-down, the reverse of what start-up made.
void TFormMain::FormDestroy()
{
    // 1. The characters.
    FreeCharas();
    // 2. The screen buffers and the sprite sets.
    FreeBuffers();
    // 3. The runtime: silence, then the music.
    StopWave();
    FreeMidi();
}

void TFormMain::WndProc(std::uint32_t message)
{
    if (message == WM_FRAMELOOP) RunFrameLoop();
    else TForm::WndProc(message);
}

void TFormMain::showFPS() { ShowFrameRate(); }

void TFormMain::FormKeyDown(std::uint8_t key) { KeyTableKeyDown(key); }
void TFormMain::FormKeyUp(std::uint8_t key) { KeyTableKeyUp(key); }

bool TFormMain::FormShortCut(std::uint8_t key) { return key == VK::Menu || key == VK::F10; }

void TFormMain::AppDeactivate()
{
    Pause = true;
    ClearKeys();
}

void StartUnits()
{
    TitleStrip = std::make_unique<TBitmap>();
    TitleStrip->SetSize(ClientSize, 10);
    CreateStoryImages();
    LoadStory();
    BrrBmp = std::make_unique<TBrrBmp>();
}

void StopUnits()
{
    BrrBmp.reset();
    FreeStory();
    DestroyStoryImages();
    TitleStrip.reset();
}
