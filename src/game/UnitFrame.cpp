#include "UnitFrame.h"

#include "UnitForm.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTChara.h"
#include "graphics/UnitScreenBuf.h"
#include "graphics/UnitTCSC.h"
#include "runtime/UnitMain.h"

#include <array>
#include <string_view>

namespace {

struct TFixedSet {
    std::string_view name;
    std::int32_t frames;
};

// Loaded into the store's first entries at start-up.
constexpr std::array<TFixedSet, 8> FixedSets = {{
    {"mine", 12},    // the player's ship
    {"minedark", 12},  // the ship in its dark phase
    {"shot", 1},     // the player's bullets
    {"eshot", 1},    // enemy bullets
    {"bom01", 10},   // hits on enemies
    {"bom02", 10},   // destroyed enemies
    {"bom01b", 10},  // the player's explosions
    {"bom02b", 10},  // the player's last explosion
}};

// The blast shrinks once per drawn frame: from 250 it fills the window white,
// then darkens as a circle, 237, 225, 213, … 2, 1, 0.
void DrawPlayerBlast()
{
    if (Mine->bombEffect <= 0) return;
    ScreenBufMain->DrawBlast(Mine->bombX, Mine->bombY, Mine->bombEffect);
    Mine->bombEffect = Mine->bombEffect * 19 / 20;
}

void DrawPlayerLaser()
{
    if (Mine->laserWidth > 0) ScreenBufMain->DrawLaser(Mine->x, Mine->y, Mine->laserWidth);
}

// The barrier glows over everything drawn before it.
void DrawPlayerBarrier()
{
    if (Mine->barrier) ScreenBufMain->DrawBarrier(Mine->x, Mine->y);
}

// Later steps lie over earlier ones: enemy bullets, last in the list, are on top.
void DrawMainBuf()
{
    ScreenBufMain->ClearBuf();
    ScreenBufMain->UpdateBackground(StageNo);
    DrawPlayerBlast();
    DrawPlayerLaser();
    for (TChara* chara : AllCharas) chara->draw();
    DrawPlayerBarrier();
    if (GameOverCount > 0) ScreenBufMain->DrawCenterText("Game Over");
    ScreenBufMain->Present();
}

void DrawSideBuf()
{
    ScreenBufSide->ClearBuf();
    ScreenBufSide->DrawStatus();
    ScreenBufSide->DrawStageName(StageNo);
    ScreenBufSide->DrawScore(Score);
    ScreenBufSide->Present();
}

}  // namespace

void (*OnGameFrameDrawn)() = nullptr;

void CreateBuffers()
{
    ScreenBufMain = std::make_unique<TScreenBufMain>();
    ScreenBufSide = std::make_unique<TScreenBufSide>();
    for (std::unique_ptr<TCSC>& set : CSCTable) set = std::make_unique<TCSC>();
}

void LoadSprites()
{
    ScreenBufMain->InitMain(256, 416, MakeTriple(0, 0, 0));
    ScreenBufSide->InitSide(160, 416, Mine->panelView(), MakeTriple(64, 64, 64));
    for (std::size_t i = 0; i < FixedSets.size(); ++i)
        CSCTable[i]->LoadBmp(FixedSets[i].name, FixedSets[i].frames, ScreenBufMain->Work, 1);
    FixedCSCCount = std::int32_t(FixedSets.size());
    // The glyphs of every text drawn in play, so that drawing it allocates nothing.
    ScreenBufMain->PrepareText();
    ScreenBufSide->PrepareText();
}

void FreeBuffers()
{
    ScreenBufMain.reset();
    ScreenBufSide.reset();
    for (std::unique_ptr<TCSC>& set : CSCTable) set.reset();
}

void DrawGameFrame()
{
    DrawMainBuf();
    DrawSideBuf();
    FormMain->showFPS();
    if (OnGameFrameDrawn) OnGameFrameDrawn();
}

void DrawPauseFrame()
{
    ScreenBufMain->ClearBuf();
    ScreenBufMain->UpdateBackground(StageNo);
    ScreenBufMain->DrawCenterText("   Pause");
    ScreenBufMain->Present();
    DrawSideBuf();
    FormMain->showFPS();
}
