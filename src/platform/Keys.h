// Windows virtual-key codes of the keys the game and its window use.
#pragma once

#include <cstdint>

namespace VK {
constexpr std::uint8_t Return = 13;
constexpr std::uint8_t Shift = 16;
constexpr std::uint8_t Control = 17;
constexpr std::uint8_t Menu = 18;  // Alt
constexpr std::uint8_t Escape = 27;
constexpr std::uint8_t Space = 32;
constexpr std::uint8_t Left = 37;
constexpr std::uint8_t Up = 38;
constexpr std::uint8_t Right = 39;
constexpr std::uint8_t Down = 40;
// Letters and digits are their upper-case ASCII codes: 'A' = 65, '0' = 48.
constexpr std::uint8_t A = 'A';
constexpr std::uint8_t C = 'C';
constexpr std::uint8_t D = 'D';
constexpr std::uint8_t P = 'P';
constexpr std::uint8_t S = 'S';
constexpr std::uint8_t X = 'X';
constexpr std::uint8_t Z = 'Z';
constexpr std::uint8_t F1 = 112;
constexpr std::uint8_t F10 = 121;
}  // namespace VK
