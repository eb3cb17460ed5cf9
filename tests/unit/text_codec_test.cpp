#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(TextCodec, Cp932KeepsTheBackslashAndRoundTrips)
{
    struct TCase {
        std::string utf8, cp932;
    };
    const TCase cases[] = {
        {"\\", "\x5C"},
        {"点", "\x93\x5F"},
        {"表", "\x95\x5C"},
        {"コルヴァレン★たたかいのきろく", "\x83\x52\x83\x8B\x83\x94\x83\x40\x83\x8C\x83\x93\x81\x9A\x82\xBD\x82\xBD"
                                        "\x82\xA9\x82\xA2\x82\xCC\x82\xAB\x82\xEB\x82\xAD"},
        {"Stage3: 1234", "Stage3: 1234"},
        {"", ""},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(Platform::Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
        EXPECT_EQ(Platform::Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
    }
}

TEST(TextCodec, RefusesWhatHasNoFormInTheOtherEncoding)
{
    EXPECT_THROW(Platform::Utf8ToCp932("\xF0\x9F\x8E\xAE"), std::runtime_error);  // an emoji
    EXPECT_THROW(Platform::Cp932ToUtf8("\x82"), std::runtime_error);               // a lone lead byte
}

}  // namespace
