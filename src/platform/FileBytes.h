// Whole-file reads for the loaders of pictures, sheets and music.
#pragma once

#include <string>
#include <vector>

namespace Platform {

// Pictures are far smaller than this; a larger file is refused as damaged.
constexpr std::size_t MaxPictureFileBytes = 64 * 1024 * 1024;

// The file's bytes; throws ELoadError naming the file when it cannot be
// opened or read, or is larger than maxBytes.
std::vector<unsigned char> ReadFileBytes(const std::string& path, std::size_t maxBytes);

}  // namespace Platform
