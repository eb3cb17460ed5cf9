// Software bitmaps: raster operations, fills and ellipses.
#include "Bitmap.h"

#include "Fonts.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

// The rows a blit touches, proven inside both bitmaps by the clipping, so the
// inner loops run on plain pointers.
struct TBlitRows {
    unsigned char* to;
    const unsigned char* from;
    std::ptrdiff_t toStride, fromStride;
    std::size_t bytes;  // per row
    std::int32_t rows;
};

// Each byte of every channel is combined the same way, so a row runs eight
// bytes at a time (the compiler widens the loop further where it can).
template <typename TOp>
void CombineRows(const TBlitRows& b, TOp op)
{
    for (std::int32_t r = 0; r < b.rows; ++r) {
        unsigned char* d = b.to + r * b.toStride;
        const unsigned char* s = b.from + r * b.fromStride;
        std::size_t i = 0;
        for (; i + 8 <= b.bytes; i += 8) {
            std::uint64_t dv, sv;
            std::memcpy(&dv, d + i, 8);
            std::memcpy(&sv, s + i, 8);
            dv = op(dv, sv);
            std::memcpy(d + i, &dv, 8);
        }
        for (; i < b.bytes; ++i) d[i] = static_cast<unsigned char>(op(std::uint64_t(d[i]), std::uint64_t(s[i])));
    }
}

void CombineRows(const TBlitRows& b, TRop rop)
{
    using W = std::uint64_t;
    switch (rop) {
    case TRop::SrcCopy:
        for (std::int32_t r = 0; r < b.rows; ++r) std::memmove(b.to + r * b.toStride, b.from + r * b.fromStride, b.bytes);
        break;
    case TRop::SrcAnd: CombineRows(b, [](W dst, W src) { return dst & src; }); break;
    case TRop::SrcPaint: CombineRows(b, [](W dst, W src) { return dst | src; }); break;
    case TRop::DstAndNotSrc: CombineRows(b, [](W dst, W src) { return dst & ~src; }); break;
    }
}

// dst := (dst AND mask) OR image, in one pass over the three.
void MaskRows(const TBlitRows& b, const unsigned char* image)
{
    for (std::int32_t r = 0; r < b.rows; ++r) {
        unsigned char* d = b.to + r * b.toStride;
        const unsigned char* m = b.from + r * b.fromStride;
        const unsigned char* p = image + r * b.fromStride;
        std::size_t i = 0;
        for (; i + 8 <= b.bytes; i += 8) {
            std::uint64_t dv, mv, pv;
            std::memcpy(&dv, d + i, 8);
            std::memcpy(&mv, m + i, 8);
            std::memcpy(&pv, p + i, 8);
            dv = (dv & mv) | pv;
            std::memcpy(d + i, &dv, 8);
        }
        for (; i < b.bytes; ++i) d[i] = static_cast<unsigned char>((d[i] & m[i]) | p[i]);
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

namespace {

// The clipped block's rows in both bitmaps. Within one bitmap a copy downward
// runs bottom rows first, as GDI does, so it reads every row before writing it.
TBlitRows BlitRows(TBitmap& to, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const TBitmap& from,
                   std::int32_t sx, std::int32_t sy)
{
    const std::ptrdiff_t toStride = std::ptrdiff_t(to.Width()) * 3, fromStride = std::ptrdiff_t(from.Width()) * 3;
    auto* toFirst = reinterpret_cast<unsigned char*>(to.Row(y).subspan(std::size_t(x), std::size_t(w)).data());
    const auto* fromFirst =
        reinterpret_cast<const unsigned char*>(from.Row(sy).subspan(std::size_t(sx), std::size_t(w)).data());
    // The last rows too, so that the whole block is checked once.
    (void)to.Row(y + h - 1).subspan(std::size_t(x), std::size_t(w));
    (void)from.Row(sy + h - 1).subspan(std::size_t(sx), std::size_t(w));
    TBlitRows rows{toFirst, fromFirst, toStride, fromStride, std::size_t(w) * 3, h};
    if (&to == &from && y > sy) {
        rows.to += (h - 1) * toStride;
        rows.from += (h - 1) * fromStride;
        rows.toStride = -toStride;
        rows.fromStride = -fromStride;
    }
    return rows;
}

}  // namespace

void TCanvas::BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                     const TBitmap& src, std::int32_t sx, std::int32_t sy, TRop rop)
{
    if (!ClipAxis(x, sx, w, owner_.Width(), src.Width())) return;
    if (!ClipAxis(y, sy, h, owner_.Height(), src.Height())) return;
    CombineRows(BlitRows(owner_, x, y, w, h, src, sx, sy), rop);
    owner_.Touch();
}

void TCanvas::MaskBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const TBitmap& mask,
                      const TBitmap& image)
{
    if (mask.Width() != image.Width() || mask.Height() != image.Height())
        throw std::invalid_argument("a mask and its picture differ in size");
    std::int32_t sx = 0, sy = 0;
    if (!ClipAxis(x, sx, w, owner_.Width(), mask.Width())) return;
    if (!ClipAxis(y, sy, h, owner_.Height(), mask.Height())) return;
    const TBlitRows rows = BlitRows(owner_, x, y, w, h, mask, sx, sy);
    MaskRows(rows, rows.from - reinterpret_cast<const unsigned char*>(mask.Pixels().data()) +
                       reinterpret_cast<const unsigned char*>(image.Pixels().data()));
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

void TCanvas::PrepareText(std::string_view utf8Text)
{
    Fonts::Prepare(utf8Text, Fonts::TFontSpec{fontName_, fontPoints_, fontStyle_});
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
