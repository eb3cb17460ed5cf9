#include "MyImage.h"

#include "runtime/MyString.h"

#include <algorithm>

void MakeRowTable(TBitmap& bitmap, TRowTable& rows)
{
    rows.resize(std::size_t(bitmap.Height()));
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) rows[std::size_t(y)] = bitmap.Row(y);
}

void ResizeBitmap(TBitmap& bitmap, TRowTable& rows, std::int32_t width, std::int32_t height)
{
    bitmap.SetSize(width, height);
    MakeRowTable(bitmap, rows);
}

void FillBitmap(TBitmap& bitmap, TRowTable& rows, std::int32_t width, std::int32_t height, TPixel pixel)
{
    ResizeBitmap(bitmap, rows, width, height);
    for (const std::span<TPixel>& row : rows) std::fill(row.begin(), row.end(), pixel);
}

void BltWhole(TBitmap& destination, const TBitmap& source, TRop rop)
{
    destination.Canvas().BitBlt(0, 0, source.Width(), source.Height(), source, 0, 0, rop);
}

TColor GreyColor(std::uint8_t level) { return RGB(level, level, level); }

TPixel MakeTriple(std::uint8_t red, std::uint8_t green, std::uint8_t blue) { return TPixel{blue, green, red}; }

void LoadPicture(const std::string& path, TBitmap& bitmap)
{
    if (RightPart(path, 4) == ".jpg") bitmap.LoadJpegFile(path);
    else bitmap.LoadFromFile(path);
}
