#include "BmpWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using DataGen::EncodeBmp;
using DataGen::PixelImage;
using DataGen::Rgb;

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

// 3 x 2: each row is 9 bytes of pixels plus 3 of padding.
PixelImage OddWidthPicture()
{
    PixelImage image(3, 2);
    image.At(0, 0) = {255, 0, 0};
    image.At(1, 0) = {0, 255, 0};
    image.At(2, 0) = {0, 0, 255};
    image.At(0, 1) = {1, 2, 3};
    image.At(1, 1) = {4, 5, 6};
    image.At(2, 1) = {7, 8, 9};
    return image;
}

TEST(BmpWriter, HeaderDescribesUncompressed24BitBottomUpPicture)
{
    const std::vector<std::uint8_t> b = EncodeBmp(OddWidthPicture());
    ASSERT_EQ(b.size(), 54u + 2u * 12u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 10), 54u);  // pixels start right after the two headers
    EXPECT_EQ(U32(b, 14), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(U32(b, 18), 3u);
    EXPECT_EQ(U32(b, 22), 2u);   // positive height: rows stored bottom-up
    EXPECT_EQ(U16(b, 26), 1u);
    EXPECT_EQ(U16(b, 28), 24u);
    EXPECT_EQ(U32(b, 30), 0u);   // no compression
    EXPECT_EQ(U32(b, 34), 24u);
}

TEST(BmpWriter, RowsAreBottomUpInBlueGreenRedOrderPaddedWithZeros)
{
    const std::vector<std::uint8_t> b = EncodeBmp(OddWidthPicture());
    const std::vector<std::uint8_t> pixels(b.begin() + 54, b.end());
    const std::vector<std::uint8_t> expected = {
        3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,         // bottom row first
        0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,  // then the top row
    };
    EXPECT_EQ(pixels, expected);
}

TEST(BmpWriter, RowsOfWidthDivisibleByFourNeedNoPadding)
{
    EXPECT_EQ(EncodeBmp(PixelImage(4, 3, Rgb{9, 9, 9})).size(), 54u + 3u * 12u);
}

}  // namespace
