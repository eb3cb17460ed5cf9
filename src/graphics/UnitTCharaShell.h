// One frame of a sprite set: its picture, with the see-through area blacked
// out, and a mask that is black where the frame is opaque and white elsewhere.
#pragma once

#include "MyImage.h"

#include <cstdint>

class TCharaShell {
public:
    TBitmap image;
    TBitmap mask;
    TRowTable imageRows;
    TRowTable maskRows;
    std::int32_t width = 0;
    std::int32_t height = 0;

    // Builds the frame from a bitmap holding exactly the (enlarged) frame.
    // Every pixel of the colour of its top-left pixel is see-through.
    void SetBitmap(const TBitmap& frame);
    // Draws the frame centred on (cx, cy) of the target, unless it lies wholly
    // outside the visible playfield.
    void DrawAt(TBitmap& target, std::int32_t cx, std::int32_t cy) const;
    // Whether the frame is opaque in column x of row y; the caller keeps
    // 0 ≤ x < width and 0 ≤ y < height.
    bool IsSolid(std::int32_t x, std::int32_t y) const;
};
