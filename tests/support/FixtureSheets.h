// Small sprite sheets for rule tests, written as the game's files into a
// folder's dat/: every frame opaque but for its top-left pixel, which carries
// the see-through key colour, so a character's box and its opaque area are the
// same but for one corner pixel. Frame f is coloured (10 + f, 20, 30).
#pragma once

#include "TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

struct TFixtureSheet {
    std::string_view name;
    std::int32_t frameWidth;
    std::int32_t frameHeight;
    std::int32_t frames;
};

// A frame's pixels as the test wants them: key marks see-through pixels.
struct TFixturePixel {
    std::uint8_t r, g, b;
};
constexpr TFixturePixel FixtureKey{255, 0, 255};

// Writes one sheet; holes lists extra see-through pixels (x, y) of every frame.
void WriteFixtureSheet(const TTempFolder& folder, const TFixtureSheet& sheet,
                       const std::vector<std::pair<std::int32_t, std::int32_t>>& holes = {});
// Writes a sheet from explicit pixels, row by row, top first.
void WriteFixtureBitmap(const TTempFolder& folder, std::string_view name, std::int32_t width, std::int32_t height,
                        const std::vector<TFixturePixel>& pixels);
// Every sheet the game loads by name (fixed sets, stage sets), the side
// panel, a one-note piece of music for every stage, a short silence for every
// sound effect, and short chapters of the story with their pictures (16 × 8
// scenes, 20 × 10 figures).
void WriteGameFixtureSheets(const TTempFolder& folder);
