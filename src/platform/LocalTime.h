// The local date and time as text for people: the user's short date and long
// time (LC_TIME), date first.
#pragma once

#include <string>

namespace Platform {

// "%x %X" in the user's LC_TIME locale, as UTF-8; in the C locale's formats
// when that locale cannot be had.
std::string LocalDateTimeText();
// The same in the C locale's formats ("12/11/26 03:40:00").
std::string PlainDateTimeText();

}  // namespace Platform
