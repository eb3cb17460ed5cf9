// What runs every frame allocates nothing: blits, fills, text in cached
// glyphs, key reads, sound requests and the scheduler's pass.
#include "graphics/MyImage.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "runtime/MyTime.h"
#include "runtime/MyWave.h"
#include "runtime/UnitGetKey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {
long allocations = 0;
bool counting = false;
}  // namespace

void* operator new(std::size_t size)
{
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

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

    counting = true;
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
    counting = false;
    EXPECT_EQ(allocations, 0);
    Platform::UseClock(nullptr);
    Audio::Close();
}

}  // namespace
