// Writes pictures as baseline JPEG files through libjpeg-turbo: 24-bit colour,
// no chroma subsampling, a fixed quality and the exact integer DCT, so the
// same picture always gives the same bytes.
#pragma once

#include "PixelImage.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace DataGen {

constexpr int StoryJpegQuality = 92;

// Throws std::runtime_error when libjpeg refuses the picture.
std::vector<std::uint8_t> EncodeJpeg(const PixelImage& image, int quality = StoryJpegQuality);

}  // namespace DataGen
