// A picture recipe: the readable source of one story picture under
// assets/pictures/. One directive per line; '#' starts a comment.
//
//   size W H                      the picture's size in pixels
//   colour NAME R G B             a named colour
//
// Every other directive paints, in order, later ones on top. It names its
// paint first: one colour, or colours joined by '/' (a shape with two shades
// from the first to the second, top to bottom unless "dir" turns it).
//
// Layers over the whole picture:
//   fill C                             gradient C1/C2 X0 Y0 X1 Y1
//   stars C SEED COUNT                 scattered stars, a few bright ones with rays
//   nebula C SEED SCALE STRENGTH       soft clouds of light
//   clouds LIT/SHADE X0 Y0 X1 Y1 SCALE SEED COVER
//                                      a sea of clouds seen from above, COVER 0 ... 1
//   glow C X Y R STRENGTH              light added around a point
//   planet SEA/LAND/CLOUD/AIR X Y R SEED   a lit globe with its air's halo
//   vignette STRENGTH                  darkens towards the corners (no paint)
//
// Shapes (edges are smooth at any size):
//   circle C X Y R                     ellipse C X Y RX RY [ANGLE]
//   rect C X0 Y0 X1 Y1 [ROUND]         poly C X1 Y1 X2 Y2 X3 Y3 ...
//   line C X0 Y0 X1 Y1 WIDTH           arrow C X0 Y0 X1 Y1 WIDTH (head at the end)
//   ring C X Y R WIDTH                 arc C X Y R WIDTH FROM TO (degrees, clockwise from 3 o'clock)
//   sprite NAME FRAME X Y SCALE [ANGLE]  a game sprite from assets/sprites/, centred on X Y
//   text C X Y SIZE "WORDS"            pixel lettering centred on X Y, SIZE pixels per dot
//
// Options after a directive, in any order:
//   alpha A     opacity 0 ... 1              add        adds light instead of covering
//   soft S      blurs the edge by S pixels   shade K    lit from the upper left by K
//   grain SEED AMOUNT  a surface texture     dir DEG    turns a two-shade paint (90: left to right)
//   light X Y Z        where the light comes from (planet)
//   head        an arrowhead at an arc's TO end
//
// Blocks, closed by "end", may nest:
//   repeat N step DX DY [fade F]            N copies, each moved by DX DY
//   repeat N toward X Y FACTOR [fade F]     N copies, each scaled by FACTOR towards X Y
//                                           (rows that recede to a vanishing point)
//   clip X0 Y0 X1 Y1                        paints only inside the rectangle
// "fade F" multiplies each further copy's opacity by F.
#pragma once

#include "PixelImage.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace DataGen {

constexpr int MaxPictureSide = 1024;

enum class PictureOpKind {
    Fill, Gradient, Stars, Nebula, Clouds, Glow, Planet, Vignette,
    Circle, Ellipse, Rect, Poly, Line, Arrow, Ring, Arc, Sprite, Text,
};

struct PicturePoint {
    double x = 0;
    double y = 0;
};

struct ClipBox {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct PictureOp {
    PictureOpKind kind = PictureOpKind::Fill;
    int line = 0;                      // where the directive stands, for messages
    std::vector<Rgb> colours;
    std::vector<PicturePoint> points;  // moved and scaled by blocks
    std::vector<double> lengths;       // scaled by blocks
    std::vector<double> values;        // angles, seeds, counts, strengths
    std::string word;                  // the sprite's name or the text
    double alpha = 1;
    double soft = 0;
    double shade = 0;
    std::uint32_t grainSeed = 0;
    double grain = 0;
    double dir = 0;
    std::array<double, 3> light{-0.55, -0.6, 0.6};  // towards the light; z points at the viewer
    bool add = false;
    bool head = false;
    std::optional<ClipBox> clip;
};

struct PictureRecipe {
    std::filesystem::path file;
    int width = 0;
    int height = 0;
    std::vector<PictureOp> ops;
};

// Throws std::runtime_error "<file>:<line>: <what is wrong>" on any fault.
PictureRecipe ParsePictureRecipe(const std::string& text, const std::filesystem::path& file);
PictureRecipe ReadPictureRecipe(const std::filesystem::path& file);

}  // namespace DataGen
