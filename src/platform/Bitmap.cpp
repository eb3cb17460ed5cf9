// Software bitmaps: raster operations, fills and ellipses.
#include "Bitmap.h"

#include "Fonts.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

// One row of a raster operation. The operation is the same for every byte of
// every channel, so it runs eight bytes at a time.
template <typename Op>
void CombineRow(std::span<TPixel> to, std::span<const TPixel> from, Op op)
{
    auto* d = reinterpret_cast<unsigned char*>(to.data());
    const auto* s = reinterpret_cast<const unsigned char*>(from.data());
    const std::size_t bytes = to.size_bytes();
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t dv, sv;
        std::memcpy(&dv, d + i, 8);
        std::memcpy(&sv, s + i, 8);
        dv = op(dv, sv);
        std::memcpy(d + i, &dv, 8);
    }
    for (; i < bytes; ++i) d[i] = static_cast<unsigned char>(op(std::uint64_t(d[i]), std::uint64_t(s[i])));
}

void CombineRow(std::span<TPixel> to, std::span<const TPixel> from, TRop rop)
{
    using W = std::uint64_t;
    switch (rop) {
    case TRop::SrcCopy: std::memmove(to.data(), from.data(), to.size_bytes()); break;
    case TRop::SrcAnd: CombineRow(to, from, [](W dst, W src) { return dst & src; }); break;
    case TRop::SrcPaint: CombineRow(to, from, [](W dst, W src) { return dst | src; }); break;
    case TRop::DstAndNotSrc: CombineRow(to, from, [](W dst, W src) { return dst & ~src; }); break;
    }
}

// Clips one axis of a copy: the span [pos, pos + len) of the destination,
// reading from sourcePos, must lie inside both [0, dstSize) and [0, srcSize).
// Shrinks the span as GDI does; returns false when nothing is left.
bool ClipAxis(std::int32_t& pos, std::int32_t& sourcePos, std::int32_t& len,
              std::int32_t dstSize, std::int32_t srcSize)
{
    if (len <= 0) return false;
    const std::int64_t cutFront = std::max<std::int64_t>({0, -std::int64_t(pos), -std::int64_t(sourcePos)});
    std::int64_t p = std::int64_t(pos) + cutFront;
    std::int64_t s = std::int64_t(sourcePos) + cutFront;
    std::int64_t n = std::int64_t(len) - cutFront;
    n = std::min({n, std::int64_t(dstSize) - p, std::int64_t(srcSize) - s});
    if (n <= 0) return false;
    pos = std::int32_t(p);
    sourcePos = std::int32_t(s);
    len = std::int32_t(n);
    return true;
}

// Whether pixel (px, py) of an ellipse's bounding box [l, r) × [t, b) lies
// inside the ellipse, tested at the pixel's centre.
bool InsideEllipse(const TRect& box, std::int32_t px, std::int32_t py)
{
    const std::int64_t w = std::int64_t(box.right) - box.left, h = std::int64_t(box.bottom) - box.top;
    const std::int64_t dx = 2 * std::int64_t(px) + 1 - box.left - std::int64_t(box.right);
    const std::int64_t dy = 2 * std::int64_t(py) + 1 - box.top - std::int64_t(box.bottom);
    return dx * dx * h * h + dy * dy * w * w <= w * w * h * h;
}

bool InsideBox(const TRect& box, std::int32_t px, std::int32_t py)
{
    return px >= box.left && px < box.right && py >= box.top && py < box.bottom;
}

// An ellipse pixel is on the outline when one of its four neighbours is outside.
bool OnOutline(const TRect& box, std::int32_t px, std::int32_t py)
{
    const auto outside = [&](std::int32_t x, std::int32_t y) {
        return !InsideBox(box, x, y) || !InsideEllipse(box, x, y);
    };
    return outside(px - 1, py) || outside(px + 1, py) || outside(px, py - 1) || outside(px, py + 1);
}

}  // namespace

void TCanvas::BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                     const TBitmap& src, std::int32_t sx, std::int32_t sy, TRop rop)
{
    if (!ClipAxis(x, sx, w, owner_.Width(), src.Width())) return;
    if (!ClipAxis(y, sy, h, owner_.Height(), src.Height())) return;
    // Within one bitmap, copy downward moves bottom rows first, as GDI does.
    const bool bottomUp = &src == &owner_ && y > sy;
    for (std::int32_t i = 0; i < h; ++i) {
        const std::int32_t row = bottomUp ? h - 1 - i : i;
        CombineRow(owner_.Row(y + row).subspan(x, w), src.Row(sy + row).subspan(sx, w), rop);
    }
    owner_.Touch();
}

void TCanvas::StretchCopy(const TRect& dstRect, const TBitmap& src, const TRect& srcRect)
{
    const std::int64_t dw = std::int64_t(dstRect.right) - dstRect.left, dh = std::int64_t(dstRect.bottom) - dstRect.top;
    const std::int64_t sw = std::int64_t(srcRect.right) - srcRect.left, sh = std::int64_t(srcRect.bottom) - srcRect.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    const std::int32_t y0 = std::max(dstRect.top, 0), y1 = std::min(dstRect.bottom, owner_.Height());
    const std::int32_t x0 = std::max(dstRect.left, 0), x1 = std::min(dstRect.right, owner_.Width());
    for (std::int32_t y = y0; y < y1; ++y) {
        const std::int64_t syy = srcRect.top + (y - dstRect.top) * sh / dh;
        if (syy < 0 || syy >= src.Height()) continue;
        const auto from = src.Row(std::int32_t(syy));
        const auto to = owner_.Row(y);
        for (std::int32_t x = x0; x < x1; ++x) {
            const std::int64_t sxx = srcRect.left + (x - dstRect.left) * sw / dw;
            if (sxx >= 0 && sxx < src.Width()) to[x] = from[std::size_t(sxx)];
        }
    }
    owner_.Touch();
}

void TCanvas::SetBrushColor(TColor color)
{
    brushColor_ = color;
    brushClear_ = false;
}

void TCanvas::SetBrushClear() { brushClear_ = true; }

void TCanvas::FillRect(const TRect& rect)
{
    if (brushClear_) return;
    const std::int32_t x0 = std::max(rect.left, 0), x1 = std::min(rect.right, owner_.Width());
    const std::int32_t y0 = std::max(rect.top, 0), y1 = std::min(rect.bottom, owner_.Height());
    if (x0 >= x1 || y0 >= y1) return;
    const TPixel p = PixelOf(brushColor_);
    for (std::int32_t y = y0; y < y1; ++y) {
        const auto row = owner_.Row(y).subspan(x0, x1 - x0);
        std::fill(row.begin(), row.end(), p);
    }
    owner_.Touch();
}

void TCanvas::Ellipse(const TRect& box)
{
    const std::int32_t x0 = std::max(box.left, 0), x1 = std::min(box.right, owner_.Width());
    const std::int32_t y0 = std::max(box.top, 0), y1 = std::min(box.bottom, owner_.Height());
    const TPixel fill = PixelOf(brushColor_);
    const TPixel pen = PixelOf(clBlack);
    for (std::int32_t y = y0; y < y1; ++y) {
        const auto row = owner_.Row(y);
        for (std::int32_t x = x0; x < x1; ++x) {
            if (!InsideEllipse(box, x, y)) continue;
            if (OnOutline(box, x, y)) row[x] = pen;
            else if (!brushClear_) row[x] = fill;
        }
    }
    owner_.Touch();
}

void TCanvas::SetFontName(std::string_view utf8Name)
{
    // Scenes set the face every frame: reuse the stored text's room.
    if (fontName_ != utf8Name) fontName_.assign(utf8Name);
}
void TCanvas::SetFontSize(std::int32_t points) { fontPoints_ = points; }
void TCanvas::SetFontStyle(TFontStyle style) { fontStyle_ = style; }
void TCanvas::SetFontColor(TColor color) { fontColor_ = color; }

void TCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view utf8Text)
{
    const Fonts::TFontSpec font{fontName_, fontPoints_, fontStyle_};
    if (!brushClear_) {
        const Fonts::TExtent extent = Fonts::TextExtent(utf8Text, font);
        FillRect({x, y, x + extent.width, y + extent.height});
    }
    Fonts::DrawText(owner_, x, y, utf8Text, font, fontColor_);
}

TColor TCanvas::Pixel(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || y < 0 || x >= owner_.Width() || y >= owner_.Height()) return clBlack;
    return ColorOf(std::as_const(owner_).Row(y)[x]);
}

void TBitmap::SetSize(std::int32_t width, std::int32_t height)
{
    if (width < 0 || height < 0 || width > MaxBitmapSide || height > MaxBitmapSide)
        throw std::invalid_argument("bitmap size out of range");
    width_ = width;
    height_ = height;
    pixels_.assign(std::size_t(width) * std::size_t(height), TPixel{});
    if (width == 0 || height == 0) pixels_.shrink_to_fit();
    Touch();
}

std::span<TPixel> TBitmap::Row(std::int32_t y)
{
    if (y < 0 || y >= height_) throw std::out_of_range("bitmap row out of range");
    return std::span<TPixel>(pixels_).subspan(std::size_t(y) * std::size_t(width_), std::size_t(width_));
}

std::span<const TPixel> TBitmap::Row(std::int32_t y) const
{
    if (y < 0 || y >= height_) throw std::out_of_range("bitmap row out of range");
    return std::span<const TPixel>(pixels_).subspan(std::size_t(y) * std::size_t(width_), std::size_t(width_));
}

void TBitmap::Assign(const TBitmap& other)
{
    if (&other == this) return;
    width_ = other.width_;
    height_ = other.height_;
    pixels_ = other.pixels_;
    Touch();
}

void TBitmap::Mask(TPixel transparent)
{
    const TPixel white{255, 255, 255};
    for (TPixel& p : pixels_) p = (p == transparent) ? white : TPixel{};
    Touch();
}
