// RIFF WAVE files: 16-bit PCM, mono.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace DataGen {

// The whole file, header and samples, little-endian.
std::vector<std::uint8_t> EncodeWav(std::span<const std::int16_t> samples, int sampleRate);

}  // namespace DataGen
