#include "UnitTCharaShell.h"

#include "Playfield.h"

void TCharaShell::SetBitmap(const TBitmap& frame)
{
    image.Assign(frame);
    mask.Assign(frame);
    mask.Mask(PixelOf(mask.Canvas().Pixel(0, 0)));
    MakeRowTable(image, imageRows);
    MakeRowTable(mask, maskRows);
    width = image.Width();
    height = image.Height();
    BltWhole(image, mask, DSTANDNOTSRC);
}

void TCharaShell::DrawAt(TBitmap& target, std::int32_t cx, std::int32_t cy) const
{
    const std::int32_t x = cx - width / 2;
    if (x + width <= Playfield::Left || x >= Playfield::Right) return;
    const std::int32_t y = cy - height / 2;
    if (y + height <= Playfield::Top || y >= Playfield::Bottom) return;
    // The mask punches the opaque area black and the picture is laid into the
    // hole (SRCAND, then SRCPAINT), both in one pass.
    target.Canvas().MaskBlt(x, y, width, height, mask, image);
}

bool TCharaShell::IsSolid(std::int32_t x, std::int32_t y) const
{
    return maskRows[std::size_t(y)][std::size_t(x)] == TPixel{};
}
