#include "TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <string>

namespace Platform {
namespace {

// "CP932", never "SHIFT_JIS": the latter maps 0x5C to the yen sign.
std::string Convert(std::string_view text, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != std::size_t(-1)) continue;
        if (errno == E2BIG) {
            const std::size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            dst = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        iconv_close(cd);
        throw std::runtime_error(std::string("text cannot be converted from ") + from + " to " + to);
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) { return Convert(utf8, "CP932", "UTF-8"); }
std::string Cp932ToUtf8(std::string_view cp932) { return Convert(cp932, "UTF-8", "CP932"); }

}  // namespace Platform
