#include "runtime/MyString.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// "点" in CP932 is 0x93 0x5F; "表" is 0x95 0x5C, whose second byte is a backslash.
const std::string Ten = "\x93\x5F";
const std::string Hyou = "\x95\x5C";

struct TSplitCase {
    std::string text, delimiter;
    std::vector<std::string> pieces;
};

TEST(StringHelpers, SplitTextCases)
{
    const TSplitCase cases[] = {
        {"Stage3: 1234" + Ten, ": ", {"Stage3", "1234" + Ten}},
        {"a: : b", ": ", {"a", "", "b"}},
        {"a: ", ": ", {"a", ""}},
        {"", ": ", {""}},
        {"no delimiter", ": ", {"no delimiter"}},
        // A backslash delimiter inside a double-byte character is not a delimiter.
        {"x" + Hyou + "y\\z", "\\", {"x" + Hyou + "y", "z"}},
        // Nor is a delimiter whose first byte is a trail byte.
        {Hyou + "\\", "\\", {Hyou, ""}},
    };
    for (const TSplitCase& c : cases) {
        std::array<std::string, 10> pieces;
        std::int32_t count = -1;
        SplitText(c.text, c.delimiter, pieces, count);
        ASSERT_EQ(count, std::int32_t(c.pieces.size())) << c.text;
        for (std::size_t i = 0; i < c.pieces.size(); ++i) EXPECT_EQ(pieces[i], c.pieces[i]) << c.text;
        for (std::size_t i = c.pieces.size(); i < pieces.size(); ++i) EXPECT_TRUE(pieces[i].empty());
    }
}

TEST(StringHelpers, SplitTextWithEmptyDelimiterLeavesEverything)
{
    std::array<std::string, 2> pieces = {"keep", "these"};
    std::int32_t count = 7;
    SplitText("a: b", "", pieces, count);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(pieces[0], "keep");
}

TEST(StringHelpers, SplitTextEmptiesOldPiecesFirst)
{
    std::array<std::string, 3> pieces = {"old", "old", "old"};
    std::int32_t count = 0;
    SplitText("one", ": ", pieces, count);
    EXPECT_EQ(pieces[0], "one");
    EXPECT_EQ(pieces[1], "");
    EXPECT_EQ(pieces[2], "");
}

TEST(StringHelpers, SplitTextWithTooManyPiecesIsARangeError)
{
    std::array<std::string, 2> pieces;
    std::int32_t count = 0;
    EXPECT_THROW(SplitText("a: b: c", ": ", pieces, count), std::out_of_range);
}

TEST(StringHelpers, LeftAndRightParts)
{
    EXPECT_EQ(RightPart("teki06x2", 2), "x2");
    EXPECT_EQ(LeftPart("teki06x2", 6), "teki06");
    EXPECT_EQ(RightPart("ab", 5), "ab");
    EXPECT_EQ(LeftPart("ab", 5), "ab");
    EXPECT_EQ(LeftPart("ab", 0), "");
    EXPECT_EQ(LeftPart("ab", -1), "");
    EXPECT_EQ(RightPart("ab", 0), "");
    EXPECT_EQ(RightPart("1234" + Ten, 2), Ten);
}

}  // namespace
