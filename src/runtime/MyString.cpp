#include "MyString.h"

#include <stdexcept>

namespace {

// Lead bytes of CP932 double-byte characters.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Calls the function with each piece of s between delimiters; a delimiter is
// appended first, so the text after the last one is a piece too.
template <typename TPieceFn>
void ForEachPiece(std::string_view s, std::string_view delimiter, TPieceFn onPiece)
{
    std::string work(s);
    work += delimiter;
    std::string_view rest = work;
    for (std::size_t at = FindDelimiter(rest, delimiter); at != std::string_view::npos;
         at = FindDelimiter(rest, delimiter)) {
        onPiece(rest.substr(0, at));
        rest.remove_prefix(at + delimiter.size());
    }
}

}  // namespace

std::string LeftPart(std::string_view s, std::int32_t n)
{
    if (n <= 0) return {};
    return std::string(s.substr(0, std::size_t(n)));
}

std::string RightPart(std::string_view s, std::int32_t n)
{
    if (n <= 0) return {};
    if (std::size_t(n) >= s.size()) return std::string(s);
    return std::string(s.substr(s.size() - std::size_t(n)));
}

std::size_t FindDelimiter(std::string_view s, std::string_view delimiter)
{
    for (std::size_t i = 0; i < s.size();) {
        if (s.substr(i, delimiter.size()) == delimiter) return i;
        i += (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
    }
    return std::string_view::npos;
}

std::int32_t CountPieces(std::string_view s, std::string_view delimiter)
{
    std::int32_t count = 0;
    if (!delimiter.empty()) ForEachPiece(s, delimiter, [&](std::string_view) { ++count; });
    return count;
}

bool EndsWithCharacter(std::string_view s, std::string_view character)
{
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size();) {
        last = i;
        i += (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
    }
    return !s.empty() && s.substr(last) == character;
}

void SplitText(std::string_view s, std::string_view delimiter, std::span<std::string> pieces,
               std::int32_t& count)
{
    if (delimiter.empty()) return;
    for (std::string& piece : pieces) piece.clear();
    count = 0;
    ForEachPiece(s, delimiter, [&](std::string_view piece) {
        if (std::size_t(count) >= pieces.size()) throw std::out_of_range("SplitText: more pieces than room");
        pieces[std::size_t(count)] = std::string(piece);
        ++count;
    });
}
