// The barrier: a pointed hexagon 90 × 96 filled with blue streaks on black,
// ORed around the ship so only its light shows. The streaks jump about because
// each frame shows another window of a larger, fixed stripe texture; the same
// hexagon decides which enemy bullets the barrier wipes out.
#pragma once

#include "MyImage.h"

#include <cstdint>
#include <memory>

class TBrrBmp {
public:
    static constexpr std::int32_t Width = 90;
    static constexpr std::int32_t Height = 96;

    TBitmap Texture;  // 180 × 192 stripes
    TRowTable TextureRows;
    TBitmap Output;  // the picture handed out for drawing
    TRowTable OutputRows;
    TBitmap Shape;  // white inside the hexagon, black outside
    TRowTable ShapeRows;

    TBrrBmp();
    void Build();
    // Cuts a new random window out of the texture, trimmed to the hexagon.
    void Refresh();
    TBitmap& GetBitmap();
    // Whether the point, relative to the barrier's top-left corner, lies in the hexagon.
    bool IsInside(std::int32_t x, std::int32_t y) const;
};

// Made when the program starts, before the main form exists.
extern std::unique_ptr<TBrrBmp> BrrBmp;
