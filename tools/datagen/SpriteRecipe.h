// A sprite recipe: the readable source of one sheet under assets/sprites/.
//
// A recipe is a text file of one directive per line ('#' starts a comment):
//
//   like NAME                  start from NAME.txt in the same folder (first line only)
//   size W H                   frame size in pixels
//   frames N                   frames side by side in the sheet (1 ... 16)
//   key R G B                  see-through colour (default 255 0 255); figures never use it
//   colour C R G B             palette entry: character C stands for this colour
//   cycle C R G B / R G B ...  palette entry whose colour loops through these over the frames
//   darken PERCENT R G B       every colour defined so far goes PERCENT of the way to R G B
//   outline C                  a one-pixel rim of colour C around the finished figure
//   explosion SEED C1 C2 ...   the sheet is a fireball; colours run from hottest to coldest
//
// Shapes are painted in order, later ones on top. Coordinates are frame pixels
// (fractions allowed); each shape may end with the words "mirror" (also drawn
// reflected about the frame's vertical centre line) and "lit" (shaded as if lit
// from the upper left):
//
//   ellipse C CX CY RX RY      circle C CX CY R            ring C CX CY R WIDTH
//   rect C X0 Y0 X1 Y1         line C X0 Y0 X1 Y1 WIDTH    poly C X1 Y1 X2 Y2 X3 Y3 ...
//   rock C CX CY R SEED ROUGHNESS           a lumpy disc (meteors)
//   gradient C1 C2 X0 Y0 X1 Y1               a rectangle shading from C1 at the top to C2
//   speckle C PERCENT SEED X0 Y0 X1 Y1       scattered single pixels
//   grid X Y [scale N] [mirror]              pixel art: the lines up to "end", one palette
//                                            character per pixel, '.' paints nothing
//
// Moving parts: the shapes between "group MOTION ..." and "end" move together:
//
//   group spin TURNS           turn about the frame centre TURNS times per loop
//   group pulse AMOUNT         grow and shrink about the frame centre by AMOUNT (0.1 = 10 %)
//   group bob DX DY            sway back and forth by up to DX, DY pixels
#pragma once

#include "PixelImage.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace DataGen {

enum class ShapeKind { Ellipse, Ring, Rect, Line, Polygon, Rock, Gradient, Speckle, Grid };

struct Shape {
    ShapeKind kind = ShapeKind::Ellipse;
    char colour = 0;
    char colour2 = 0;               // gradient's bottom colour
    std::vector<double> numbers;    // the kind's numbers, in the order of the directive
    std::vector<std::string> rows;  // grid rows
    bool mirror = false;
    bool lit = false;
    int group = -1;                 // index into SpriteRecipe::groups, -1 for none
};

enum class Motion { Spin, Pulse, Bob };

struct Group {
    Motion motion = Motion::Spin;
    double a = 0;  // turns, amount, or dx
    double b = 0;  // dy
};

struct Explosion {
    std::uint32_t seed = 0;
    std::vector<char> ramp;  // palette characters, hottest first
};

struct SpriteRecipe {
    std::filesystem::path file;
    int width = 0;
    int height = 0;
    int frames = 0;
    Rgb key{255, 0, 255};
    std::map<char, std::vector<Rgb>> palette;  // one colour, or the keys of a cycle
    std::optional<char> outline;
    std::optional<Explosion> explosion;
    std::vector<Group> groups;
    std::vector<Shape> shapes;
};

constexpr int MaxFrames = 16;
constexpr int MaxFrameSize = 512;

// Reads `file` (and any recipe it is "like"). Throws std::runtime_error
// "<file>:<line>: <what is wrong>" on any fault.
SpriteRecipe ReadRecipe(const std::filesystem::path& file);
// The same from text already in memory; `file` only names it in messages and
// locates recipes named by "like".
SpriteRecipe ParseRecipe(const std::string& text, const std::filesystem::path& file);

}  // namespace DataGen
