// Turns a sprite recipe into pictures: one frame, or the whole sheet with its
// frames side by side.
#pragma once

#include "PixelImage.h"
#include "SpriteRecipe.h"

#include <vector>

namespace DataGen {

// One frame; every pixel the figure does not cover has the recipe's key colour.
PixelImage DrawFrame(const SpriteRecipe& recipe, int frame);
PixelImage DrawSheet(const SpriteRecipe& recipe);
// The colour of palette character `c` at `phase` (0 ... 1) of the animation loop.
Rgb PaletteColour(const SpriteRecipe& recipe, char c, double phase);

// Explosion sheets are painted by code from the recipe's seed and colour ramp.
PixelImage DrawExplosionFrame(const SpriteRecipe& recipe, int frame);

}  // namespace DataGen
