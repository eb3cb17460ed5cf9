// Small helpers every graphics unit uses: row tables for direct pixel
// access, resizing and filling, whole-bitmap blits, colours, and picture loading.
#pragma once

#include "platform/Bitmap.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One entry per bitmap row, top first; each row checks its column index.
// Valid until the bitmap is resized or reloaded.
using TRowTable = std::vector<std::span<TPixel>>;

// Rebuilds the row table of the bitmap (24-bit, rows top first).
void MakeRowTable(TBitmap& bitmap, TRowTable& rows);
// Resizes the bitmap and rebuilds its row table; the content is undefined.
void ResizeBitmap(TBitmap& bitmap, TRowTable& rows, std::int32_t width, std::int32_t height);
// Resizes the bitmap and writes the pixel everywhere.
void FillBitmap(TBitmap& bitmap, TRowTable& rows, std::int32_t width, std::int32_t height, TPixel pixel);
// Blits the whole source onto the destination at (0, 0), clipped by the destination.
void BltWhole(TBitmap& destination, const TBitmap& source, TRop rop);
TColor GreyColor(std::uint8_t level);
TPixel MakeTriple(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// Loads a picture into the bitmap: a path ending exactly in ".jpg" is decoded
// as JPEG, anything else read as a Windows bitmap. Throws ELoadError naming the file.
void LoadPicture(const std::string& path, TBitmap& bitmap);
