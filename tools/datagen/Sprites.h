// The game's pictures: every sprite sheet, the side panel's background and the
// window icon, each drawn from its recipe assets/sprites/<name>.txt.
#pragma once

#include "PixelImage.h"

#include <filesystem>
#include <vector>

namespace DataGen {

enum class SheetRole {
    Solid,    // ships, enemies, bullets: hit-tested, so solid bodies, opaque at the centre
    Effect,   // explosions: drawn only, never hit-tested
    Picture,  // a plain picture with no see-through colour (the side panel)
    Icon,     // the window icon: see-through from its top-left pixel, like a sprite
};

struct SheetSpec {
    const char* name;
    SheetRole role;
    int frames;  // as the game loads it; 0 means square frames cut from the sheet's height
    int width;   // required picture size, 0 where the recipe chooses
    int height;
};

// Every picture the game loads, in the order they are written and reviewed.
const std::vector<SheetSpec>& GameSheets();

// Reads the recipe, draws the sheet, and holds it to what the game expects of
// it; throws std::runtime_error naming the recipe file when it falls short.
PixelImage MakeSheet(const std::filesystem::path& spriteSources, const SheetSpec& wanted);

// Pockets of the key colour that the border cannot reach are filled with a
// neighbouring colour: hits read the mask, and a pocket would let bullets through.
void FillEnclosedHoles(PixelImage& frame, Rgb key);

}  // namespace DataGen
