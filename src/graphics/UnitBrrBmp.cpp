#include "UnitBrrBmp.h"

#include "runtime/MyRandom.h"

#include <algorithm>

std::unique_ptr<TBrrBmp> BrrBmp;

namespace {

constexpr std::int32_t TextureWidth = 2 * TBrrBmp::Width;
constexpr std::int32_t TextureHeight = 2 * TBrrBmp::Height;
constexpr std::int32_t Streaks = 200;
// The slopes: rows 0 … 21 and their mirror images at the bottom narrow by 2
// pixels a side per row, down to a flat point of 4 pixels.
constexpr std::int32_t SlopeRows = 22;

const TPixel White = MakeTriple(255, 255, 255);
const TPixel Black = MakeTriple(0, 0, 0);
const TPixel Blue = MakeTriple(0, 0, 255);

void CutSlopeRow(TRowTable& rows, std::int32_t row, std::int32_t i)
{
    const std::span<TPixel> pixels = rows[std::size_t(row)];
    std::fill(pixels.begin(), pixels.begin() + (43 - 2 * i), Black);
    std::fill(pixels.begin() + (47 + 2 * i), pixels.end(), Black);
}

}  // namespace

TBrrBmp::TBrrBmp() { Build(); }

void TBrrBmp::Build()
{
    ResizeBitmap(Output, OutputRows, Width, Height);
    FillBitmap(Shape, ShapeRows, Width, Height, White);
    for (std::int32_t i = 0; i < SlopeRows; ++i) {
        CutSlopeRow(ShapeRows, i, i);
        CutSlopeRow(ShapeRows, Height - 1 - i, i);
    }
    FillBitmap(Texture, TextureRows, TextureWidth, TextureHeight, Black);
    for (std::int32_t s = 0; s < Streaks; ++s) {
        const std::int32_t a = Random(TextureWidth);
        const std::int32_t b = Random(TextureWidth);
        const std::int32_t r = Random(TextureHeight);
        const std::span<TPixel> row = TextureRows[std::size_t(r)];
        std::fill(row.begin() + std::min(a, b), row.begin() + std::max(a, b) + 1, Blue);
    }
}

void TBrrBmp::Refresh()
{
    const std::int32_t sy = Random(Height);
    const std::int32_t sx = Random(Width);
    Output.Canvas().BitBlt(0, 0, Width, Height, Texture, sx, sy, SRCCOPY);
    BltWhole(Output, Shape, SRCAND);
}

TBitmap& TBrrBmp::GetBitmap()
{
    Refresh();
    return Output;
}

bool TBrrBmp::IsInside(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || x >= Width || y < 0 || y >= Height) return false;
    return ShapeRows[std::size_t(y)][std::size_t(x)] == White;
}
