// What runs every frame allocates nothing: blits, fills, text in cached
// glyphs, key reads, sound requests, the scheduler's pass, and a frame of
// characters moving, colliding and being drawn.
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTShot.h"
#include "graphics/MyImage.h"
#include "graphics/UnitScreenBuf.h"
#include "platform/Keys.h"
#include "runtime/UnitMain.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "runtime/MyTime.h"
#include "runtime/MyWave.h"
#include "runtime/UnitGetKey.h"
#include "support/GameRuntime.h"

#include "AllocationCount.h"

#include <gtest/gtest.h>

namespace {

void Tick() {}

void DrawOneFrame(TBitmap& work, const TBitmap& back, const TBitmap& sprite, TBitmap& client)
{
    work.Canvas().BitBlt(128, 128, 256, 416, back, 0, 0, SRCCOPY);
    work.Canvas().BitBlt(200, 300, 32, 32, sprite, 0, 0, SRCAND);
    work.Canvas().BitBlt(200, 300, 32, 32, sprite, 0, 0, SRCPAINT);
    work.Canvas().SetBrushColor(RGB(10, 20, 255));
    work.Canvas().FillRect({250, 128, 260, 400});
    work.Canvas().Ellipse({150, 150, 250, 250});
    work.Canvas().SetBrushClear();
    work.Canvas().SetFontName("ＭＳ Ｐゴシック");
    work.Canvas().SetFontStyle(TFontStyle::Bold);
    work.Canvas().SetFontSize(14);
    work.Canvas().TextOut(208, 308, "Game Over");
    work.Canvas().SetFontSize(20);
    work.Canvas().TextOut(203, 283, "0012345");
    client.Canvas().BitBlt(0, 0, 256, 416, work, 128, 128, SRCCOPY);
}

TEST(NoAllocation, AFrameOfDrawingSoundKeysAndSchedulingAllocatesNothing)
{
    TBitmap work, back, sprite, client;
    TRowTable rows;
    FillBitmap(work, rows, 512, 672, MakeTriple(0, 0, 0));
    FillBitmap(back, rows, 256, 416, MakeTriple(0, 0, 0));
    FillBitmap(sprite, rows, 32, 32, MakeTriple(9, 9, 9));
    FillBitmap(client, rows, 416, 416, MakeTriple(0, 0, 0));
    Audio::Open(Audio::TBackend::Silent);
    LoadWaves();
    Platform::TFakeClock clock(1000);
    Platform::UseClock(&clock);
    RegisterTick(1, 50, Tick);
    DrawOneFrame(work, back, sprite, client);  // the first frame fills the glyph cache

    const TAllocationCount count;
    for (int frame = 0; frame < 3; ++frame) {
        DrawOneFrame(work, back, sprite, client);
        TickWaveHold();
        PlayWave(Sound::HitBit);
        PlayWaveHold(Sound::Collapse, 2);
        KeyTableKeyDown(90);
        (void)GetKeyFlag(90);
        (void)ConfirmPushed();
        clock.Advance(51);
        RunDueTicks(clock.NowMs());
    }
    EXPECT_EQ(count.Allocations(), 0);
    Platform::UseClock(nullptr);
    Audio::Close();
}

// The collision tests a frame of play makes: player bullets against
// enemies, enemy bullets and enemies against the player.
void Collide()
{
    for (const auto& enemy : Enemies) {
        if (!enemy->alive || !enemy->onScreen()) continue;
        for (const auto& shot : Shots) {
            if (!shot->alive || !enemy->hits(*shot)) continue;
            shot->setPresence(false);
            enemy->damage(shot->power);
            if (!enemy->alive) break;
        }
    }
    if (!Mine->hittable()) return;
    for (const auto& bullet : EShots)
        if (bullet->alive && bullet->onScreen() && bullet->hits(*Mine)) return Mine->hit();
    for (const auto& enemy : Enemies)
        if (enemy->alive && enemy->onScreen() && enemy->hits(*Mine)) return Mine->hit();
}

void DrawCharacters()
{
    ScreenBufMain->ClearBuf();
    for (TChara* chara : AllCharas) chara->draw();
    ScreenBufSide->ClearBuf();
    ScreenBufSide->DrawStatus();
    ScreenBufSide->DrawStageName(StageNo);
    ScreenBufSide->DrawScore(Score);
}

void PlayFrame(std::int32_t frame)
{
    ++StageFrame;
    if (frame % 7 == 0) spawnEnemy(std::uint8_t(frame / 7 % 10), 150 + frame % 200, 100);
    if (frame == 40) spawnBoss(19, 256, 200);
    if (frame == 60) Enemies[BossSlot]->damage(100);
    if (frame == 90) spawnFriend();
    if (frame % 50 == 25 && Mine->hittable()) Mine->hit();
    TickWaveHold();
    Mine->recharge();
    playerControl();
    MoveAll();
    Collide();
    DrawCharacters();
    Mine->endFrame();
}

TEST(NoAllocation, FramesOfCharactersMovingCollidingAndDrawnAllocateNothing)
{
    TGameRuntime runtime;
    runtime.PrepareStage();
    for (const char* set : {"teki01", "teki01t", "teki02", "teki02r", "teki03", "teki03r", "teki04", "teki04r",
                            "teki06", "teki06g", "my2"})
        Name2CSC(set);
    // Every glyph the panel shows, rendered once into the cache.
    Mine->lives = 6;
    DrawCharacters();
    ScreenBufSide->DrawScore(1234567890);
    Mine->lives = 5;
    Score = 5000;
    for (std::uint8_t key : {VK::Z, VK::X, VK::C, VK::A, VK::S, VK::Left, VK::Up, VK::D}) KeyTableKeyDown(key);

    std::int64_t allocations = 0;
    {
        const TAllocationCount count;
        for (std::int32_t frame = 0; frame < 200; ++frame) PlayFrame(frame);
        allocations = count.Allocations();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_LT(Mine->lives, 5) << "ships were lost on the way";
    EXPECT_GT(Score, 5000 - 1000) << "enemies were shot";
}

}  // namespace
