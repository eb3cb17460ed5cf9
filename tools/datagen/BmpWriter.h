// Writes pictures as uncompressed 24-bit Windows bitmaps (BITMAPINFOHEADER,
// rows bottom-up, each row padded to a multiple of four bytes).
#pragma once

#include "PixelImage.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace DataGen {

std::vector<std::uint8_t> EncodeBmp(const PixelImage& image);
// Throws std::runtime_error naming the file when it cannot be written.
void WriteBmp(const std::filesystem::path& file, const PixelImage& image);

}  // namespace DataGen
