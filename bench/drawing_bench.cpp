// What one frame's drawing is made of: restoring the playfield, drawing a
// full pool of masked sprites, writing the side panel's text, presenting.
#include "graphics/MyImage.h"
#include "platform/Bitmap.h"

#include <benchmark/benchmark.h>

namespace {

constexpr std::int32_t CharacterCount = 450;

void Fill(TBitmap& bmp, std::int32_t w, std::int32_t h, TPixel p)
{
    TRowTable rows;
    FillBitmap(bmp, rows, w, h, p);
}

// The playfield's work bitmap restored from its background, as every frame starts.
void BM_RestorePlayfield(benchmark::State& state)
{
    TBitmap work, back;
    Fill(work, 512, 672, MakeTriple(1, 2, 3));
    Fill(back, 256, 416, MakeTriple(0, 0, 0));
    for (auto _ : state) work.Canvas().BitBlt(128, 128, 256, 416, back, 0, 0, SRCCOPY);
    state.SetItemsProcessed(state.iterations() * 256 * 416);
}
BENCHMARK(BM_RestorePlayfield);

// A 32 × 32 sprite drawn the two-pass way (mask AND, picture OR) for every character.
void BM_DrawFullPoolOfSprites(benchmark::State& state)
{
    TBitmap work, image, mask;
    Fill(work, 512, 672, MakeTriple(0, 0, 0));
    Fill(image, 32, 32, MakeTriple(200, 100, 50));
    Fill(mask, 32, 32, MakeTriple(0, 0, 0));
    for (auto _ : state) {
        for (std::int32_t i = 0; i < CharacterCount; ++i) {
            const std::int32_t x = 128 + (i * 37) % 240, y = 128 + (i * 53) % 400;
            work.Canvas().BitBlt(x, y, 32, 32, mask, 0, 0, SRCAND);
            work.Canvas().BitBlt(x, y, 32, 32, image, 0, 0, SRCPAINT);
        }
    }
    state.SetItemsProcessed(state.iterations() * CharacterCount);
}
BENCHMARK(BM_DrawFullPoolOfSprites);

// The same sprites drawn the way the game draws them: both passes at once.
void BM_DrawFullPoolOfMaskedSprites(benchmark::State& state)
{
    TBitmap work, image, mask;
    Fill(work, 512, 672, MakeTriple(0, 0, 0));
    Fill(image, 32, 32, MakeTriple(200, 100, 50));
    Fill(mask, 32, 32, MakeTriple(0, 0, 0));
    for (auto _ : state) {
        for (std::int32_t i = 0; i < CharacterCount; ++i)
            work.Canvas().MaskBlt(128 + (i * 37) % 240, 128 + (i * 53) % 400, 32, 32, mask, image);
    }
    state.SetItemsProcessed(state.iterations() * CharacterCount);
}
BENCHMARK(BM_DrawFullPoolOfMaskedSprites);

// The side panel's text of one frame: stage name, label and score, cached glyphs.
void BM_SidePanelText(benchmark::State& state)
{
    TBitmap work;
    Fill(work, 416, 672, MakeTriple(0, 0, 0));
    TCanvas& c = work.Canvas();
    c.SetBrushClear();
    c.SetFontName("ＭＳ Ｐゴシック");
    c.SetFontStyle(TFontStyle::Bold);
    c.SetFontColor(clWhite);
    for (auto _ : state) {
        c.SetFontSize(20);
        c.TextOut(188, 128, "Stage7");
        c.SetFontSize(14);
        c.TextOut(215, 268, "score");
        c.SetFontSize(20);
        c.TextOut(203, 283, "0123456");
    }
}
BENCHMARK(BM_SidePanelText);

// Both buffers copied onto the 416 × 416 client area.
void BM_PresentBuffers(benchmark::State& state)
{
    TBitmap client, main, side;
    Fill(client, 416, 416, MakeTriple(0, 0, 0));
    Fill(main, 512, 672, MakeTriple(9, 9, 9));
    Fill(side, 416, 672, MakeTriple(7, 7, 7));
    for (auto _ : state) {
        client.Canvas().BitBlt(0, 0, 256, 416, main, 128, 128, SRCCOPY);
        client.Canvas().BitBlt(256, 0, 160, 416, side, 128, 128, SRCCOPY);
    }
}
BENCHMARK(BM_PresentBuffers);

// Enlarging a 32-pixel sheet frame three times, as bosses are loaded.
void BM_EnlargeFrame(benchmark::State& state)
{
    TBitmap sheet, frame;
    Fill(sheet, 384, 32, MakeTriple(5, 6, 7));
    Fill(frame, 96, 96, MakeTriple(0, 0, 0));
    for (auto _ : state) frame.Canvas().StretchCopy({0, 0, 96, 96}, sheet, {32, 0, 64, 32});
}
BENCHMARK(BM_EnlargeFrame);

}  // namespace
