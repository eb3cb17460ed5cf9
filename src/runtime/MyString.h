// Text helpers on the game's byte strings (CP932). Positions count bytes; a
// delimiter is never found starting in the second byte of a double-byte character.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The first n bytes of s; all of s when shorter; empty when n ≤ 0.
std::string LeftPart(std::string_view s, std::int32_t n);
// The last n bytes of s; all of s when shorter; empty when n ≤ 0.
std::string RightPart(std::string_view s, std::int32_t n);
// Splits s at every delimiter into pieces and sets count. An empty delimiter
// leaves both untouched. More pieces than entries throws std::out_of_range.
void SplitText(std::string_view s, std::string_view delimiter, std::span<std::string> pieces,
               std::int32_t& count);
// Byte position of the first delimiter in s that starts on a character
// boundary, or std::string_view::npos.
std::size_t FindDelimiter(std::string_view s, std::string_view delimiter);
// How many pieces SplitText would make of s.
std::int32_t CountPieces(std::string_view s, std::string_view delimiter);
// Whether the last character of s (counted from the start, so a trail byte
// is never taken for a lead byte) is the given one.
bool EndsWithCharacter(std::string_view s, std::string_view character);
