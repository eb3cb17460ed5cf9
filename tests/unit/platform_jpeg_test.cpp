// JPEG loading: colours decoded into blue-green-red rows, and every kind of
// bad file raising a load error that names it instead of ending the process.
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "support/FixtureJpeg.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t RedBlueFrameHeader = 158;  // offset of the 0xFF 0xC0 frame marker

// Made for this test with libjpeg: 8 × 8 grey-scale, every pixel 128.
const TBytes GreyJpeg = {
    0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x03, 0x02, 0x02, 0x03, 0x02, 0x02, 0x03,
    0x03, 0x03, 0x03, 0x04, 0x03, 0x03, 0x04, 0x05, 0x08, 0x05, 0x05, 0x04, 0x04, 0x05, 0x0a, 0x07,
    0x07, 0x06, 0x08, 0x0c, 0x0a, 0x0c, 0x0c, 0x0b, 0x0a, 0x0b, 0x0b, 0x0d, 0x0e, 0x12, 0x10, 0x0d,
    0x0e, 0x11, 0x0e, 0x0b, 0x0b, 0x10, 0x16, 0x10, 0x11, 0x13, 0x14, 0x15, 0x15, 0x15, 0x0c, 0x0f,
    0x17, 0x18, 0x16, 0x14, 0x18, 0x12, 0x14, 0x15, 0x14, 0xff, 0xc0, 0x00, 0x0b, 0x08, 0x00, 0x08,
    0x00, 0x08, 0x01, 0x01, 0x11, 0x00, 0xff, 0xc4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc4, 0x00, 0x14,
    0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3f, 0x00, 0x3f, 0xff, 0xd9,
};

constexpr int Tolerance = 8;

std::string WriteFixture(const TTempFolder& folder, const std::string& name, const TBytes& bytes)
{
    return folder.Write(name, bytes).string();
}

void ExpectNear(const TPixel& pixel, int r, int g, int b)
{
    EXPECT_NEAR(pixel.r, r, Tolerance);
    EXPECT_NEAR(pixel.g, g, Tolerance);
    EXPECT_NEAR(pixel.b, b, Tolerance);
}

TEST(JpegLoading, DecodesColoursIntoBlueGreenRedRowsTopFirst)
{
    const TTempFolder folder;
    TBitmap bitmap;
    bitmap.LoadJpegFile(WriteFixture(folder, "redblue.jpg", RedBlueJpeg));
    ASSERT_EQ(bitmap.Width(), 16);
    ASSERT_EQ(bitmap.Height(), 8);
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
        for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
            SCOPED_TRACE("pixel " + std::to_string(x) + ", " + std::to_string(y));
            if (x < 8) {
                ExpectNear(bitmap.Row(y)[x], 255, 0, 0);
            } else {
                ExpectNear(bitmap.Row(y)[x], 0, 0, 255);
            }
        }
    }
}

TEST(JpegLoading, GreyScaleComesOutAsGreyPixels)
{
    const TTempFolder folder;
    TBitmap bitmap;
    bitmap.LoadJpegFile(WriteFixture(folder, "grey.jpg", GreyJpeg));
    ASSERT_EQ(bitmap.Width(), 8);
    ASSERT_EQ(bitmap.Height(), 8);
    for (const TPixel& pixel : bitmap.Pixels()) {
        EXPECT_EQ(pixel.r, pixel.g);
        EXPECT_EQ(pixel.g, pixel.b);
        EXPECT_NEAR(pixel.g, 128, Tolerance);
    }
}

TBytes Truncated(std::size_t length) { return TBytes(RedBlueJpeg.begin(), RedBlueJpeg.begin() + length); }

// The frame header with its height and width replaced.
TBytes WithSize(std::uint16_t width, std::uint16_t height)
{
    TBytes bytes = RedBlueJpeg;
    bytes[RedBlueFrameHeader + 5] = std::uint8_t(height >> 8);
    bytes[RedBlueFrameHeader + 6] = std::uint8_t(height & 0xFF);
    bytes[RedBlueFrameHeader + 7] = std::uint8_t(width >> 8);
    bytes[RedBlueFrameHeader + 8] = std::uint8_t(width & 0xFF);
    return bytes;
}

TBytes WithScanDataDamaged()
{
    TBytes bytes = RedBlueJpeg;
    // Markers in the middle of the entropy-coded data.
    bytes[bytes.size() - 8] = 0xFF;
    bytes[bytes.size() - 7] = 0xD0;
    return bytes;
}

struct TBadFile {
    const char* name;
    TBytes bytes;
};

TEST(JpegLoading, BadFilesRaiseALoadErrorNamingTheFile)
{
    const TBadFile cases[] = {
        {"empty.jpg", {}},
        {"text.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}},
        {"cut_in_header.jpg", Truncated(100)},
        {"cut_in_frame_header.jpg", Truncated(RedBlueFrameHeader + 6)},
        {"cut_in_scan.jpg", Truncated(RedBlueJpeg.size() - 6)},
        {"no_end_marker.jpg", Truncated(RedBlueJpeg.size() - 2)},
        {"damaged_scan.jpg", WithScanDataDamaged()},
        {"too_wide.jpg", WithSize(8193, 8)},
        {"too_high.jpg", WithSize(16, 8193)},
        {"zero_width.jpg", WithSize(0, 8)},
    };
    const TTempFolder folder;
    for (const TBadFile& bad : cases) {
        SCOPED_TRACE(bad.name);
        const std::string path = WriteFixture(folder, bad.name, bad.bytes);
        TBitmap bitmap;
        try {
            bitmap.LoadJpegFile(path);
            ADD_FAILURE() << "no error";
        } catch (const ELoadError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
    }
}

// A grey progressive picture, side × side pixels (one 8 × 8 block unless
// told), in scans: the DC scan, then one scan for each of the first AC
// coefficients.
// Both Huffman tables hold one 1-bit code, for "no difference" and "end of
// block", so each scan's data is a single byte.
TBytes Progressive(int scans, std::uint16_t side = 8)
{
    TBytes b = {0xFF, 0xD8};
    const auto marker = [&](std::uint8_t code, const TBytes& body) {
        b.insert(b.end(), {0xFF, code, std::uint8_t((body.size() + 2) >> 8), std::uint8_t(body.size() + 2)});
        b.insert(b.end(), body.begin(), body.end());
    };
    TBytes quantization = {0x00};
    quantization.insert(quantization.end(), 64, 1);
    marker(0xDB, quantization);
    marker(0xC2, {8, std::uint8_t(side >> 8), std::uint8_t(side), std::uint8_t(side >> 8), std::uint8_t(side), 1, 1,
                  0x11, 0});
    for (const std::uint8_t table : {std::uint8_t(0x00), std::uint8_t(0x10)}) {
        TBytes huffman = {table, 1};
        huffman.insert(huffman.end(), 15, 0);
        huffman.push_back(0);
        marker(0xC4, huffman);
    }
    for (int scan = 0; scan < scans; ++scan) {
        marker(0xDA, {1, 1, 0x00, std::uint8_t(scan), std::uint8_t(scan), 0});
        b.push_back(0x7F);
    }
    b.insert(b.end(), {0xFF, 0xD9});
    return b;
}

// With comment segments of 60000 bytes after the start marker.
TBytes Padded(TBytes b, int comments)
{
    for (int i = 0; i < comments; ++i) {
        TBytes comment = {0xFF, 0xFE, 60002 >> 8, 60002 & 0xFF};
        comment.insert(comment.end(), 60000, 'x');
        b.insert(b.begin() + 2, comment.begin(), comment.end());
    }
    return b;
}

TEST(JpegLoading, ProgressivePicturesLoadWithinTheirLimits)
{
    TBitmap bitmap;
    ASSERT_NO_THROW(bitmap.LoadJpegBytes("dat/scene.jpg", Progressive(10)));
    EXPECT_EQ(bitmap.Width(), 8);
    EXPECT_EQ(bitmap.Height(), 8);
    const struct {
        TBytes bytes;
        const char* says;
    } refused[] = {
        {Progressive(33), "the picture has too many scans"},
        {Padded(Progressive(1, 8192), 3), "the picture needs too much memory to decode"},
        {Progressive(1, 8192), "the picture's data is too short for 8192 × 8192 pixels (at least 131072 bytes, "
                               "the file holds 141)"},
    };
    for (const auto& [bytes, says] : refused) {
        try {
            bitmap.LoadJpegBytes("dat/scene.jpg", bytes);
            ADD_FAILURE() << says;
        } catch (const ELoadError& error) {
            EXPECT_EQ(std::string(error.what()), std::string("Cannot load \"dat/scene.jpg\": ") + says);
        }
    }
}

// The frame header marked as arithmetic-coded (SOF9 in place of SOF0).
TBytes WithArithmeticCoding()
{
    TBytes bytes = RedBlueJpeg;
    bytes[RedBlueFrameHeader + 1] = 0xC9;
    return bytes;
}

TEST(JpegLoading, FaultsSayWhatIsWrong)
{
    const struct {
        TBytes bytes;
        const char* says;
    } cases[] = {
        {{}, "not a JPEG picture"},
        {{0xFF, 0xD8}, "not a JPEG picture"},
        {{'B', 'M', 0, 0}, "not a JPEG picture"},
        {WithSize(8193, 8), "the picture is 8193 × 8 pixels, more than 8192 on a side"},
        {Truncated(RedBlueJpeg.size() - 6), "Premature end of JPEG file"},
        {WithArithmeticCoding(), "an arithmetic-coded picture; the game reads Huffman-coded JPEG pictures only"},
    };
    for (const auto& [bytes, says] : cases) {
        TBitmap bitmap;
        try {
            bitmap.LoadJpegBytes("dat/scene.jpg", bytes);
            ADD_FAILURE() << says;
        } catch (const ELoadError& error) {
            EXPECT_EQ(error.Why(), says);
        }
    }
}

TEST(JpegLoading, MissingFileRaisesALoadErrorNamingIt)
{
    const TTempFolder folder;
    const std::string path = (folder / "no_such_picture.jpg").string();
    TBitmap bitmap;
    try {
        bitmap.LoadJpegFile(path);
        FAIL() << "no error";
    } catch (const ELoadError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
}

}  // namespace
