// Windows bitmap files: the 24-bit uncompressed ones the game uses load in
// every layout such a file may have; anything else, and every header whose
// numbers do not fit the file, is a load error naming the file and the cause.
#include "BmpWriter.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

// 3 × 2, so each row of 9 bytes is padded to 12: top row red, green, blue;
// bottom row white, black, grey.
DataGen::PixelImage Picture()
{
    DataGen::PixelImage image(3, 2);
    image.At(0, 0) = {255, 0, 0};
    image.At(1, 0) = {0, 255, 0};
    image.At(2, 0) = {0, 0, 255};
    image.At(0, 1) = {255, 255, 255};
    image.At(2, 1) = {128, 128, 128};
    return image;
}

void Put32(TBytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b.at(at + std::size_t(i)) = std::uint8_t(v >> (8 * i));
}
void Put16(TBytes& b, std::size_t at, std::uint32_t v)
{
    b.at(at) = std::uint8_t(v);
    b.at(at + 1) = std::uint8_t(v >> 8);
}

TBytes Encoded() { return DataGen::EncodeBmp(Picture()); }

// The same picture with its rows stored top first (a negative height).
TBytes TopDown()
{
    const TBytes b = Encoded();
    TBytes out(b.begin(), b.begin() + 54);
    Put32(out, 22, std::uint32_t(-2));
    out.insert(out.end(), b.begin() + 54 + 12, b.end());
    out.insert(out.end(), b.begin() + 54, b.begin() + 54 + 12);
    return out;
}

// The same picture behind the 124-byte header that paint programs write.
TBytes WithV5Header()
{
    const TBytes b = Encoded();
    TBytes out(b.begin(), b.begin() + 54);
    out.insert(out.end(), 124 - 40, 0);
    Put32(out, 14, 124);
    Put32(out, 10, 14 + 124);
    out.insert(out.end(), b.begin() + 54, b.end());
    Put32(out, 2, std::uint32_t(out.size()));
    return out;
}

TEST(BitmapFiles, TwentyFourBitFilesLoadTopRowFirstInEveryLayout)
{
    const std::pair<const char*, TBytes> files[] = {
        {"bottom-up", Encoded()}, {"top-down", TopDown()}, {"124-byte header", WithV5Header()}};
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        TBitmap b;
        ASSERT_NO_THROW(b.LoadFromBytes("dat/test.bmp", bytes));
        ASSERT_EQ(b.Width(), 3);
        ASSERT_EQ(b.Height(), 2);
        EXPECT_EQ(b.Row(0)[0], (TPixel{0, 0, 255}));
        EXPECT_EQ(b.Row(0)[1], (TPixel{0, 255, 0}));
        EXPECT_EQ(b.Row(0)[2], (TPixel{255, 0, 0}));
        EXPECT_EQ(b.Row(1)[0], (TPixel{255, 255, 255}));
        EXPECT_EQ(b.Row(1)[1], (TPixel{0, 0, 0}));
        EXPECT_EQ(b.Row(1)[2], (TPixel{128, 128, 128}));
    }
}

TEST(BitmapFiles, TheLargestAllowedSidesLoad)
{
    for (const auto& [w, h] : {std::pair{MaxBitmapSide, 1}, std::pair{1, MaxBitmapSide}}) {
        TBitmap b;
        b.LoadFromBytes("dat/test.bmp", DataGen::EncodeBmp(DataGen::PixelImage(w, h, {1, 2, 3})));
        EXPECT_EQ(b.Width(), w);
        EXPECT_EQ(b.Height(), h);
    }
}

struct TBadBitmap {
    const char* what;
    std::function<void(TBytes&)> damage;
    const char* says;
};

TEST(BitmapFiles, WhatTheGameDoesNotUseOrTheFileCannotHoldIsRefusedNamingTheFile)
{
    const TBadBitmap cases[] = {
        {"empty", [](TBytes& b) { b.clear(); }, "not a Windows bitmap file"},
        {"another signature", [](TBytes& b) { b[0] = 'P'; }, "not a Windows bitmap file"},
        {"cut in the file header", [](TBytes& b) { b.resize(16); }, "not a Windows bitmap file"},
        {"cut in the info header", [](TBytes& b) { b.resize(30); }, "the bitmap header is cut short"},
        {"an OS/2 core header", [](TBytes& b) { Put32(b, 14, 12); }, "unsupported bitmap header of 12 bytes"},
        {"a header size of 4 GiB", [](TBytes& b) { Put32(b, 14, 0xFFFFFFFF); }, "unsupported bitmap header"},
        {"two colour planes", [](TBytes& b) { Put16(b, 26, 2); }, "colour planes"},
        {"8-bit paletted", [](TBytes& b) { Put16(b, 28, 8); }, "8 bits per pixel; the game reads 24-bit bitmaps only"},
        {"32-bit", [](TBytes& b) { Put16(b, 28, 32); }, "32 bits per pixel"},
        {"1-bit", [](TBytes& b) { Put16(b, 28, 1); }, "1 bits per pixel"},
        {"run-length compressed", [](TBytes& b) { Put32(b, 30, 1); }, "a compressed bitmap"},
        {"bit fields", [](TBytes& b) { Put32(b, 30, 3); }, "a compressed bitmap"},
        {"JPEG inside", [](TBytes& b) { Put32(b, 30, 4); }, "a compressed bitmap"},
        {"no columns", [](TBytes& b) { Put32(b, 18, 0); }, "dimensions 0 × 2 out of range"},
        {"negative width", [](TBytes& b) { Put32(b, 18, std::uint32_t(-3)); }, "dimensions -3 × 2 out of range"},
        {"too wide", [](TBytes& b) { Put32(b, 18, 8193); }, "out of range (1 to 8192 on a side)"},
        {"no rows", [](TBytes& b) { Put32(b, 22, 0); }, "out of range"},
        {"too high", [](TBytes& b) { Put32(b, 22, 8193); }, "out of range"},
        {"too high top-down", [](TBytes& b) { Put32(b, 22, std::uint32_t(-8193)); }, "out of range"},
        {"the most negative height", [](TBytes& b) { Put32(b, 22, 0x80000000); }, "out of range"},
        {"pixels past the end", [](TBytes& b) { Put32(b, 10, std::uint32_t(b.size() + 1)); }, "lies outside the file"},
        {"pixels inside the header", [](TBytes& b) { Put32(b, 10, 20); }, "the pixel data's offset 20 lies outside"},
        {"a pixel offset of 4 GiB", [](TBytes& b) { Put32(b, 10, 0xFFFFFFFF); }, "lies outside the file"},
        {"one byte short", [](TBytes& b) { b.pop_back(); }, "the pixel data is cut short: 3 × 2 needs 24 bytes"},
        {"rows without their padding", [](TBytes& b) { b.resize(54 + 18); }, "cut short"},
        {"larger than it holds", [](TBytes& b) { Put32(b, 18, 8000); }, "cut short"},
    };
    for (const TBadBitmap& c : cases) {
        SCOPED_TRACE(c.what);
        TBytes bytes = Encoded();
        c.damage(bytes);
        TBitmap b;
        try {
            b.LoadFromBytes("dat/damaged.bmp", bytes);
            ADD_FAILURE() << "loaded";
        } catch (const ELoadError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("\"dat/damaged.bmp\""), std::string::npos) << message;
            EXPECT_NE(message.find(c.says), std::string::npos) << message;
        }
    }
}

TEST(BitmapFiles, FilesGoThroughTheSameChecks)
{
    const TTempFolder folder;
    TBytes cut = Encoded();
    cut.resize(60);
    const std::string damaged = folder.Write("cut.bmp", cut).string();
    std::filesystem::create_directory(folder / "folder.bmp");
    const std::pair<std::string, const char*> cases[] = {
        {damaged, "the pixel data is cut short"},
        {(folder / "folder.bmp").string(), "it is a folder, not a file"},
        {(folder / "missing.bmp").string(), "there is no such file"},
    };
    for (const auto& [path, says] : cases) {
        TBitmap b;
        try {
            b.LoadFromFile(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const ELoadError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot load \"" + path + "\": " + e.Why());
            EXPECT_NE(e.Why().find(says), std::string::npos) << e.what();
        }
    }
}

}  // namespace
