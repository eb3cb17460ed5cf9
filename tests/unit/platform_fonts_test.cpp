// Text output: where text lands, how it clips, how it blends, and which
// faces and sizes the game's font settings give.
#include "platform/Bitmap.h"
#include "platform/Fonts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using Fonts::TFontSpec;

constexpr std::string_view Gothic = "ＭＳ Ｐゴシック";
constexpr std::string_view Latin = "Korvalen 1234";
constexpr std::string_view Japanese = "こんにちは、世界。";

void Fill(TBitmap& bitmap, std::int32_t width, std::int32_t height, TPixel pixel)
{
    bitmap.SetSize(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (TPixel& p : bitmap.Row(y)) {
            p = pixel;
        }
    }
}

// Total brightness, a measure of how much ink was laid down.
std::int64_t Ink(const TBitmap& bitmap)
{
    std::int64_t sum = 0;
    for (const TPixel& pixel : bitmap.Pixels()) {
        sum += pixel.r + pixel.g + pixel.b;
    }
    return sum;
}

struct TBoxCase {
    std::string_view text;
    std::int32_t points;
    TFontStyle style;
};

// The box is the sum of advances by the line height. A faint anti-aliased
// edge of the last glyph (the arm of a "K") may reach one pixel into where the
// next advance would begin, as overhangs do on Windows too.
TEST(TextOutput, InkStaysInsideTheExtentBoxAtThePlaceGiven)
{
    // Anti-aliasing may reach a pixel past the advance, synthetic bold one more.
    const auto overhangOf = [](TFontStyle style) { return style == TFontStyle::Bold ? 2 : 1; };
    const TBoxCase cases[] = {
        {Latin, 9, TFontStyle::Regular},    {Latin, 10, TFontStyle::Bold},    {Latin, 14, TFontStyle::Regular},
        {Latin, 20, TFontStyle::Bold},      {"K", 20, TFontStyle::Regular},   {Japanese, 9, TFontStyle::Regular},
        {Japanese, 14, TFontStyle::Bold},   {Japanese, 20, TFontStyle::Regular},
    };
    constexpr std::int32_t x = 17, y = 11;
    for (const TBoxCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(c.points) + " pt");
        const TFontSpec font{Gothic, c.points, c.style};
        TBitmap bitmap;
        Fill(bitmap, 400, 60, TPixel{});
        Fonts::DrawText(bitmap, x, y, c.text, font, clWhite);
        const Fonts::TExtent extent = Fonts::TextExtent(c.text, font);
        std::int32_t inked = 0;
        for (std::int32_t py = 0; py < bitmap.Height(); ++py) {
            for (std::int32_t px = 0; px < bitmap.Width(); ++px) {
                if (bitmap.Row(py)[px] == TPixel{}) {
                    continue;
                }
                ++inked;
                EXPECT_TRUE(px >= x && px < x + extent.width + overhangOf(c.style) && py >= y && py < y + extent.height)
                    << "ink at " << px << ", " << py << " outside " << extent.width << " × " << extent.height;
            }
        }
        EXPECT_GT(inked, 20);
    }
}

TEST(TextOutput, LineHeightFollowsPointsAt96Dpi)
{
    const struct {
        std::int32_t points, pixels;
    } sizes[] = {{9, 12}, {10, 13}, {14, 19}, {20, 27}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.points) + " pt");
        const Fonts::TExtent extent = Fonts::TextExtent("Korvalen", TFontSpec{Gothic, size.points, TFontStyle::Regular});
        EXPECT_GE(extent.height, size.pixels);
        EXPECT_LE(extent.height, size.pixels + 2);
        // A proportional face: eight letters take roughly four to six ems.
        EXPECT_GT(extent.width, size.pixels * 3);
        EXPECT_LT(extent.width, size.pixels * 7);
    }
}

TEST(TextOutput, TextOfOneSizeSitsOnTheSameBaseline)
{
    const TFontSpec font{Gothic, 14, TFontStyle::Regular};
    TBitmap low, flat;
    Fill(low, 60, 40, TPixel{});
    Fill(flat, 60, 40, TPixel{});
    // "g" reaches below the baseline, "x" does not; both stand on it.
    Fonts::DrawText(low, 5, 5, "g", font, clWhite);
    Fonts::DrawText(flat, 5, 5, "x", font, clWhite);
    const auto lowestInk = [](const TBitmap& bitmap) {
        std::int32_t lowest = -1;
        for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
            for (const TPixel& pixel : bitmap.Row(y)) {
                if (pixel.g > 128) {
                    lowest = y;
                }
            }
        }
        return lowest;
    };
    EXPECT_GT(lowestInk(low), lowestInk(flat));
    EXPECT_EQ(Fonts::TextExtent("g", font).height, Fonts::TextExtent("x", font).height);
}

TEST(TextOutput, ClippedTextIsTheMatchingPartOfUnclippedText)
{
    constexpr std::int32_t width = 40, height = 10, margin = 120;
    const struct {
        std::int32_t x, y;
    } places[] = {{0, 0}, {-7, -5}, {-60, 2}, {30, 4}, {35, -8}, {2, 9}, {-3, -14}, {39, 9}};
    for (const TFontSpec font : {TFontSpec{Gothic, 9, TFontStyle::Regular}, TFontSpec{Gothic, 20, TFontStyle::Bold}}) {
        for (const auto& place : places) {
            SCOPED_TRACE("at " + std::to_string(place.x) + ", " + std::to_string(place.y) + ", " +
                         std::to_string(font.points) + " pt");
            TBitmap whole, clipped;
            Fill(whole, width + 2 * margin, height + 2 * margin, TPixel{});
            Fill(clipped, width, height, TPixel{});
            Fonts::DrawText(whole, place.x + margin, place.y + margin, "Wj漢字g", font, clWhite);
            Fonts::DrawText(clipped, place.x, place.y, "Wj漢字g", font, clWhite);
            for (std::int32_t y = 0; y < height; ++y) {
                for (std::int32_t x = 0; x < width; ++x) {
                    ASSERT_EQ(clipped.Row(y)[x], whole.Row(y + margin)[x + margin]) << x << ", " << y;
                }
            }
        }
    }
}

TEST(TextOutput, TextWhollyOutsideDrawsNothingAndLeavesTheBitmapUntouched)
{
    constexpr std::int32_t big = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t small = std::numeric_limits<std::int32_t>::min();
    const struct {
        std::int32_t x, y;
    } places[] = {{-500, 0}, {0, -40}, {50, 0}, {0, 20}, {big, big}, {small, small}, {big - 3, 0}, {small, 0}};
    const TFontSpec font{Gothic, 20, TFontStyle::Bold};
    for (const auto& place : places) {
        SCOPED_TRACE("at " + std::to_string(place.x) + ", " + std::to_string(place.y));
        TBitmap bitmap;
        Fill(bitmap, 50, 20, TPixel{});
        const std::uint32_t generation = bitmap.Generation();
        Fonts::DrawText(bitmap, place.x, place.y, "Korvalen", font, clWhite);
        EXPECT_EQ(Ink(bitmap), 0);
        EXPECT_EQ(bitmap.Generation(), generation);
    }
}

TEST(TextOutput, DrawingMarksTheBitmapChangedOnce)
{
    TBitmap bitmap;
    Fill(bitmap, 100, 20, TPixel{});
    const std::uint32_t generation = bitmap.Generation();
    Fonts::DrawText(bitmap, 0, 0, "Korvalen", TFontSpec{Gothic, 9, TFontStyle::Regular}, clWhite);
    EXPECT_EQ(bitmap.Generation(), generation + 1);
}

// Whether some coverage c in 0 … 255 gives the pixel by
// dst + (color − dst) × c / 255 in every channel, truncated.
bool IsBlendOf(const TPixel& pixel, const TPixel& background, const TPixel& color)
{
    const auto mix = [](int dst, int src, int c) { return dst + (src - dst) * c / 255; };
    for (int c = 0; c <= 255; ++c) {
        if (pixel.r == mix(background.r, color.r, c) && pixel.g == mix(background.g, color.g, c) &&
            pixel.b == mix(background.b, color.b, c)) {
            return true;
        }
    }
    return false;
}

TEST(TextOutput, CoverageBlendsTheColourOntoWhatIsThere)
{
    const TPixel background{90, 30, 10};  // b, g, r
    const TPixel color{0, 160, 250};
    TBitmap bitmap;
    Fill(bitmap, 120, 30, background);
    Fonts::DrawText(bitmap, 2, 2, "Korvalen漢字", TFontSpec{Gothic, 14, TFontStyle::Regular}, RGB(250, 160, 0));
    std::int32_t full = 0;
    for (const TPixel& pixel : bitmap.Pixels()) {
        ASSERT_TRUE(IsBlendOf(pixel, background, color))
            << int(pixel.r) << " " << int(pixel.g) << " " << int(pixel.b);
        full += pixel == color ? 1 : 0;
    }
    EXPECT_GT(full, 0);
}

std::vector<TPixel> Render(std::string_view text, const TFontSpec& font)
{
    TBitmap bitmap;
    Fill(bitmap, 300, 40, TPixel{});
    Fonts::DrawText(bitmap, 3, 4, text, font, clWhite);
    return bitmap.Pixels();
}

TEST(TextOutput, SameTextGivesTheSamePixelsEveryTime)
{
    const TFontSpec font{Gothic, 10, TFontStyle::Bold};
    const std::vector<TPixel> first = Render(Japanese, font);
    EXPECT_EQ(Render(Japanese, font), first);
    Fonts::Prepare("Korvalen", TFontSpec{"", 9, TFontStyle::Regular});
    Fonts::Shutdown();
    EXPECT_EQ(Render(Japanese, font), first);
}

TEST(TextOutput, BoldIsHeavierThanRegularInTheSameRoom)
{
    for (const std::string_view text : {Latin, Japanese}) {
        SCOPED_TRACE(text);
        const TFontSpec regular{Gothic, 14, TFontStyle::Regular};
        const TFontSpec bold{Gothic, 14, TFontStyle::Bold};
        EXPECT_EQ(Fonts::TextExtent(text, bold).width, Fonts::TextExtent(text, regular).width);
        EXPECT_EQ(Fonts::TextExtent(text, bold).height, Fonts::TextExtent(text, regular).height);
        TBitmap thin, heavy;
        Fill(thin, 300, 30, TPixel{});
        Fill(heavy, 300, 30, TPixel{});
        Fonts::DrawText(thin, 0, 0, text, regular, clWhite);
        Fonts::DrawText(heavy, 0, 0, text, bold, clWhite);
        EXPECT_GT(Ink(heavy), Ink(thin) * 5 / 4);
    }
}

TEST(TextOutput, TheWindowsGothicNamesAndTheDefaultAreOneJapaneseFace)
{
    const std::vector<TPixel> gothic = Render(Japanese, TFontSpec{Gothic, 14, TFontStyle::Regular});
    EXPECT_EQ(Render(Japanese, TFontSpec{"MS PGothic", 14, TFontStyle::Regular}), gothic);
    EXPECT_EQ(Render(Japanese, TFontSpec{"", 14, TFontStyle::Regular}), gothic);
    // A proportional face: a narrow letter takes less room than a wide one.
    const TFontSpec font{Gothic, 14, TFontStyle::Regular};
    EXPECT_LT(Fonts::TextExtent("i", font).width, Fonts::TextExtent("W", font).width);
    for (const std::string_view kana : {"あ", "漢", "。"}) {
        EXPECT_GT(Fonts::TextExtent(kana, font).width, 0) << kana;
    }
}

TEST(TextOutput, AnUnknownFaceStillDrawsJapanese)
{
    const TFontSpec font{"Korvalen No Such Face", 14, TFontStyle::Regular};
    EXPECT_GT(Fonts::TextExtent("漢字", font).width, 0);
    TBitmap bitmap;
    Fill(bitmap, 100, 30, TPixel{});
    Fonts::DrawText(bitmap, 0, 0, "漢字", font, clWhite);
    EXPECT_GT(Ink(bitmap), 0);
}

TEST(TextOutput, MalformedUtf8TakesOneReplacementPerBadByte)
{
    const struct {
        std::string_view bad, replaced;
    } cases[] = {
        {"a\xff" "b", "a\uFFFD" "b"},
        {"\x80\x80", "\uFFFD\uFFFD"},
        {"ab\xc3", "ab\uFFFD"},                      // cut short at the end
        {"\xe3\x81" "a", "\uFFFD\uFFFD" "a"},        // cut short before a letter
        {"\xc0\xaf", "\uFFFD\uFFFD"},                // overlong slash
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"},      // surrogate
        {"\xf4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
    };
    const TFontSpec font{Gothic, 14, TFontStyle::Regular};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.replaced);
        EXPECT_EQ(Fonts::TextExtent(c.bad, font).width, Fonts::TextExtent(c.replaced, font).width);
        EXPECT_EQ(Render(c.bad, font), Render(c.replaced, font));
    }
}

TEST(TextOutput, EmptyTextHasALineHeightButNoWidth)
{
    const TFontSpec font{Gothic, 9, TFontStyle::Regular};
    const Fonts::TExtent extent = Fonts::TextExtent("", font);
    EXPECT_EQ(extent.width, 0);
    EXPECT_EQ(extent.height, Fonts::TextExtent("Korvalen", font).height);
}

}  // namespace
