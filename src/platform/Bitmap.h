// Software bitmaps and their drawing surface: the stand-ins for the
// bitmap and canvas objects of the original framework. Pixels are 24-bit,
// bytes blue, green, red, rows top first. Nothing here allocates except
// SetSize, Assign and the loaders.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One 24-bit pixel, in memory order blue, green, red.
struct TPixel {
    std::uint8_t b = 0, g = 0, r = 0;
    friend bool operator==(const TPixel&, const TPixel&) = default;
};
static_assert(sizeof(TPixel) == 3);

// A canvas colour: red + 256 × green + 65536 × blue.
using TColor = std::uint32_t;
constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return TColor(r) | TColor(g) << 8 | TColor(b) << 16;
}
// The pixel of a canvas colour, and the colour of a pixel.
constexpr TPixel PixelOf(TColor color)
{
    return TPixel{std::uint8_t(color >> 16), std::uint8_t(color >> 8), std::uint8_t(color)};
}
constexpr TColor ColorOf(TPixel p) { return RGB(p.r, p.g, p.b); }
constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clWhite = RGB(255, 255, 255);

// The four raster operations the game uses: destination := source,
// destination AND source, destination OR source, destination AND NOT source.
enum class TRop { SrcCopy, SrcAnd, SrcPaint, DstAndNotSrc };
constexpr TRop SRCCOPY = TRop::SrcCopy;
constexpr TRop SRCAND = TRop::SrcAnd;
constexpr TRop SRCPAINT = TRop::SrcPaint;
constexpr TRop DSTANDNOTSRC = TRop::DstAndNotSrc;

struct TRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

enum class TFontStyle { Regular, Bold };

class TBitmap;

// No bitmap is wider or higher than this; a file saying otherwise is damaged.
constexpr std::int32_t MaxBitmapSide = 8192;

// The drawing surface of one bitmap. Font and brush settings persist
// between calls, as on the original canvas.
class TCanvas {
public:
    explicit TCanvas(TBitmap& owner) : owner_(owner) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Copies a w × h block of src at (sx, sy) to (x, y) with the raster
    // operation, clipped to both bitmaps the way GDI clips.
    void BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                const TBitmap& src, std::int32_t sx, std::int32_t sy, TRop rop);
    // A transparent sprite in one pass: the block of the mask (black where the
    // picture is opaque) ANDed in, then the same-sized picture ORed in: the
    // same pixels as SRCAND then SRCPAINT.
    void MaskBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const TBitmap& mask,
                 const TBitmap& image);
    // Copies srcRect of src onto dstRect, scaling by nearest pixel (a plain copy).
    void StretchCopy(const TRect& dstRect, const TBitmap& src, const TRect& srcRect);

    // Setting a brush colour makes the brush solid again.
    void SetBrushColor(TColor color);
    // A clear brush: text is drawn without a background box.
    void SetBrushClear();

    // Fills the rectangle with the brush (nothing when the brush is clear).
    void FillRect(const TRect& rect);
    // Ellipse in the bounding box, filled with the brush and outlined with the 1-pixel black pen.
    void Ellipse(const TRect& box);

    void SetFontName(std::string_view utf8Name);
    void SetFontSize(std::int32_t points);
    void SetFontStyle(TFontStyle style);
    void SetFontColor(TColor color);
    // Writes UTF-8 text with its top-left at (x, y) in the current font;
    // with a solid brush the text's box is filled first.
    void TextOut(std::int32_t x, std::int32_t y, std::string_view utf8Text);
    // Renders the characters' glyphs in the current font ahead of use, so that
    // writing them later allocates nothing.
    void PrepareText(std::string_view utf8Text);

    // The colour of one pixel (clBlack outside the bitmap).
    TColor Pixel(std::int32_t x, std::int32_t y) const;

private:
    TBitmap& owner_;
    TColor brushColor_ = clWhite;
    bool brushClear_ = false;
    std::string fontName_;
    std::int32_t fontPoints_ = 9;
    TFontStyle fontStyle_ = TFontStyle::Regular;
    TColor fontColor_ = clBlack;
};

class TBitmap {
public:
    TBitmap() : canvas_(*this) {}
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    // Changes the size; the content is undefined afterwards (here: black).
    void SetSize(std::int32_t width, std::int32_t height);

    // Row y, top first, with checked access to its pixels.
    std::span<TPixel> Row(std::int32_t y);
    std::span<const TPixel> Row(std::int32_t y) const;

    // Takes the size and content of another bitmap.
    void Assign(const TBitmap& other);
    // Loads a Windows .bmp file; throws ELoadError naming the file.
    void LoadFromFile(const std::string& path);
    // The same from the file's bytes: 24-bit uncompressed bitmaps only, at most
    // MaxBitmapSide on a side; anything else is an ELoadError naming path.
    void LoadFromBytes(const std::string& path, std::span<const unsigned char> bytes);
    // Decodes a JPEG file into this bitmap; throws ELoadError naming the file.
    void LoadJpegFile(const std::string& path);
    // The same from the file's bytes, at most MaxBitmapSide on a side.
    void LoadJpegBytes(const std::string& path, std::span<const unsigned char> bytes);
    // Turns the bitmap into a mask of one colour: pixels of that colour
    // become white, all others black.
    void Mask(TPixel transparent);

    TCanvas& Canvas() { return canvas_; }

    // Counts drawing operations, so a presenter can tell whether anything changed.
    std::uint32_t Generation() const { return generation_; }
    void Touch() { ++generation_; }

    const std::vector<TPixel>& Pixels() const { return pixels_; }

private:
    std::int32_t width_ = 0, height_ = 0;
    std::vector<TPixel> pixels_;
    std::uint32_t generation_ = 0;
    TCanvas canvas_;
};
