// The check every sound effect passes before the mixer sees it.
#pragma once

#include <span>
#include <string>

namespace Audio {

// The effects are a few seconds long; a file far larger is damaged.
constexpr std::size_t MaxWaveFileBytes = 16 * 1024 * 1024;

// Whether the bytes are a RIFF WAVE file the game plays: uncompressed PCM,
// one or two channels of 8 or 16 bits at a common rate, and sample data that
// lies wholly inside the file. On failure why says what is wrong.
bool CheckWaveBytes(std::span<const unsigned char> bytes, std::string& why);

}  // namespace Audio
