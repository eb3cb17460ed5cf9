// Conversion between the program's UTF-8 text and the CP932 (Shift-JIS) bytes
// of the battle record.
#pragma once

#include <string>
#include <string_view>

namespace Platform {

// Throws std::runtime_error on text that has no CP932 form.
std::string Utf8ToCp932(std::string_view utf8);
// Throws std::runtime_error on bytes that are not valid CP932.
std::string Cp932ToUtf8(std::string_view cp932);

}  // namespace Platform
