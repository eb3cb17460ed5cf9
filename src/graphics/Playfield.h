// Where things are in the playfield's work bitmap: the visible window, and the
// world in which characters live (the window with a 128-pixel margin all round).
#pragma once

#include <cstdint>

namespace Playfield {
// The visible window; right and bottom are exclusive.
constexpr std::int32_t Left = 128;
constexpr std::int32_t Top = 128;
constexpr std::int32_t Right = 384;
constexpr std::int32_t Bottom = 544;
// The world: characters outside 0 ≤ x < WorldWidth, 0 ≤ y < WorldHeight are removed.
constexpr std::int32_t WorldWidth = 512;
constexpr std::int32_t WorldHeight = 672;
}  // namespace Playfield
