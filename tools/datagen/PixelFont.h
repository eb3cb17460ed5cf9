// A 5 x 7 pixel font for the labels of the story's figures: capital letters,
// digits, space and . % / - : + x.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace DataGen {

constexpr int GlyphWidth = 5;
constexpr int GlyphHeight = 7;
constexpr int GlyphAdvance = GlyphWidth + 1;

// Seven rows of five characters, '#' for an inked pixel; none for a
// character the font lacks.
std::optional<std::array<std::string_view, GlyphHeight>> Glyph(char c);

}  // namespace DataGen
