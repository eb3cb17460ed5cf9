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
//   shades C C1 C2 ...         a material's hand-picked shades, darkest first (C among them):
//                              a "lit" shape of colour C takes one of these instead of a
//                              computed tint, so the art keeps to a few shades
//   outline C                  a one-pixel rim of colour C around the finished figure
//   explosion SEED C1 C2 ...   the sheet is a fireball; colours run from hottest to coldest
//
// Shapes are painted in order, later ones on top. Coordinates are frame pixels
// (fractions allowed); each shape may end with the words "mirror" (also drawn
// reflected about the frame's vertical centre line, moving as its reflection),
// "around N" (drawn N times, turned evenly round the frame centre, each copy
// moving as the shape does: the plates of a ring, the teeth of a gear) and
// "lit" (shaded as if lit from the upper left):
//
//   ellipse C CX CY RX RY      circle C CX CY R            ring C CX CY R WIDTH
//   rect C X0 Y0 X1 Y1         line C X0 Y0 X1 Y1 WIDTH    poly C X1 Y1 X2 Y2 X3 Y3 ...
//   rock C CX CY R SEED ROUGHNESS           a lumpy disc (meteors)
//   crater C CX CY R                        a pit with a raised rim, always lit: its far
//                                           wall catches the light, its near wall is in shade
//   tendril C X0 Y0 X1 Y1 W0 W1 SWAY WAVES  a limb tapering from width W0 at its root X0 Y0
//                                           to W1 at its tip; a wave runs WAVES times along
//                                           it each loop, swinging the tip by up to SWAY
//   gradient C1 C2 X0 Y0 X1 Y1               a rectangle shading from C1 at the top to C2
//   speckle C PERCENT SEED X0 Y0 X1 Y1       scattered single pixels
//   grid X Y [scale N] [mirror]              pixel art: the lines up to "end", one palette
//                                            character per pixel, '.' paints nothing
//
// Moving parts: the shapes between "group MOTION ..." and "end" move together.
// A motion about a point turns or grows about the frame centre unless X Y are given:
//
//   group spin TURNS [X Y]     turn TURNS times per loop
//   group pulse AMOUNT [X Y]   grow and shrink by AMOUNT (0.1 = 10 %)
//   group bob DX DY            sway back and forth by up to DX, DY pixels
//   group swing DEGREES X Y    rock back and forth about X Y by up to DEGREES
//   group slide DX DY          glide DX, DY pixels over the loop, then start again (drops)
//   group frames F1 F2 ...     drawn only in these frames, numbered from 0 (blinks, hatches)
//
// A motion may end with "delay FRACTION": it runs that share of a loop late, so
// parts alike move out of step. A tendril's wave keeps its group's delay.
#pragma once

#include "PixelImage.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace DataGen {

enum class ShapeKind { Ellipse, Ring, Rect, Line, Polygon, Rock, Crater, Tendril, Gradient, Speckle, Grid };

struct Shape {
    ShapeKind kind = ShapeKind::Ellipse;
    char colour = 0;
    char colour2 = 0;               // gradient's bottom colour
    std::vector<double> numbers;    // the kind's numbers, in the order of the directive
    std::vector<std::string> rows;  // grid rows
    bool mirror = false;
    bool lit = false;
    int around = 1;                 // copies turned evenly round the frame centre
    int group = -1;                 // index into SpriteRecipe::groups, -1 for none
};

enum class Motion { Spin, Pulse, Bob, Swing, Slide, Frames };

struct Pivot {
    double x = 0;
    double y = 0;
};

struct Group {
    Motion motion = Motion::Spin;
    double a = 0;                // turns, amount, degrees, or dx
    double b = 0;                // dy
    std::optional<Pivot> pivot;  // spin, pulse and swing: the frame centre when absent
    double delay = 0;            // share of a loop the motion runs late
    std::uint32_t shown = 0;     // frames: bit F set when the group is drawn in frame F
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
    std::map<char, std::vector<char>> shades;  // a material's shades, darkest first
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
