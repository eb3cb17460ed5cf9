#include "LocalTime.h"

#include <ctime>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <stdexcept>
#include <string_view>

namespace Platform {
namespace {

std::tm LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string Format(const std::tm& when, locale_t locale)
{
    char text[256];
    const std::size_t length = strftime_l(text, sizeof text, "%x %X", &when, locale);
    return std::string(text, length);
}

// The locale's own bytes as UTF-8; empty when they cannot be converted.
std::string ToUtf8(const std::string& text, const char* codeset)
{
    if (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) return text;
    iconv_t cd = iconv_open("UTF-8", codeset);
    if (cd == iconv_t(-1)) return {};
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size(), outLeft = out.size();
    char* dst = out.data();
    const bool converted = iconv(cd, &in, &inLeft, &dst, &outLeft) != std::size_t(-1);
    iconv_close(cd);
    if (!converted) return {};
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string LocalDateTimeText()
{
    const std::tm now = LocalNow();
    locale_t user = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", locale_t(0));
    if (user == locale_t(0)) return PlainDateTimeText();
    const std::string text = ToUtf8(Format(now, user), nl_langinfo_l(CODESET, user));
    freelocale(user);
    return text.empty() ? PlainDateTimeText() : text;
}

std::string PlainDateTimeText()
{
    locale_t plain = newlocale(LC_TIME_MASK, "C", locale_t(0));
    if (plain == locale_t(0)) throw std::runtime_error("no C locale");
    const std::string text = Format(LocalNow(), plain);
    freelocale(plain);
    return text;
}

}  // namespace Platform
