// Text output for the canvas: faces resolved through fontconfig, glyphs
// rendered by FreeType once per face, pixel size and style into a cache of
// coverage masks, then drawn in any colour without allocating.
#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <string_view>

namespace Fonts {

struct TFontSpec {
    std::string_view name;  // face name; empty means the canvas default face
    std::int32_t points;    // at 96 dpi: 9 pt = 12 px, 14 pt = 19 px, 20 pt = 27 px
    TFontStyle style;
};

struct TExtent {
    std::int32_t width, height;
};

// Draws the text with its top-left corner at (x, y), clipped to the bitmap.
void DrawText(TBitmap& target, std::int32_t x, std::int32_t y, std::string_view utf8,
              const TFontSpec& font, TColor color);
// The size of the box the text occupies.
TExtent TextExtent(std::string_view utf8, const TFontSpec& font);
// Renders the glyphs of the text into the cache ahead of use.
void Prepare(std::string_view utf8, const TFontSpec& font);
// Releases FreeType, fontconfig and the cache.
void Shutdown();

}  // namespace Fonts
