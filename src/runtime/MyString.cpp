#include "MyString.h"

#include <stdexcept>

namespace {

// Lead bytes of CP932 double-byte characters.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

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

void SplitText(std::string_view s, std::string_view delimiter, std::span<std::string> pieces,
               std::int32_t& count)
{
    if (delimiter.empty()) return;
    for (std::string& piece : pieces) piece.clear();
    std::string work(s);
    work += delimiter;
    count = 0;
    std::string_view rest = work;
    for (std::size_t at = FindDelimiter(rest, delimiter); at != std::string_view::npos;
         at = FindDelimiter(rest, delimiter)) {
        if (std::size_t(count) >= pieces.size()) throw std::out_of_range("SplitText: more pieces than room");
        pieces[std::size_t(count)] = std::string(rest.substr(0, at));
        ++count;
        rest.remove_prefix(at + delimiter.size());
    }
}
