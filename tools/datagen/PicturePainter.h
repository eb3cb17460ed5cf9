// Paints a picture recipe (PictureRecipe.h) into a 24-bit picture: smooth
// edges, light added or laid over, seeded noise for stars, clouds and
// planets, and the game's own sprites stamped where a recipe names them.
#pragma once

#include "PictureRecipe.h"
#include "PixelImage.h"

#include <filesystem>

namespace DataGen {

// `spriteSources` is the folder of the sprite recipes a "sprite" directive
// names. Throws std::runtime_error "<file>:<line>: ..." on a fault found
// while painting (a missing sprite, a letter the font lacks).
PixelImage PaintPicture(const PictureRecipe& recipe, const std::filesystem::path& spriteSources);

}  // namespace DataGen
