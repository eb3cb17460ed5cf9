#include "graphics/MyImage.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

TPixel Px(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return MakeTriple(r, g, b); }

void Fill(TBitmap& bmp, std::int32_t w, std::int32_t h, TPixel p)
{
    TRowTable rows;
    FillBitmap(bmp, rows, w, h, p);
}

// The coordinates of every pixel that differs from p.
std::vector<std::pair<int, int>> PixelsNot(const TBitmap& bmp, TPixel p)
{
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (!(bmp.Row(y)[x] == p)) out.push_back({x, y});
    return out;
}

TEST(RasterOps, EachOperationCombinesBytewise)
{
    struct TCase {
        TRop rop;
        TPixel expected;
    };
    const TPixel dst = Px(0xF0, 0x0F, 0x55), src = Px(0x3C, 0x3C, 0xFF);
    const TCase cases[] = {
        {SRCCOPY, src},
        {SRCAND, Px(0x30, 0x0C, 0x55)},
        {SRCPAINT, Px(0xFC, 0x3F, 0xFF)},
        {DSTANDNOTSRC, Px(0xC0, 0x03, 0x00)},
    };
    for (const TCase& c : cases) {
        TBitmap d, s;
        Fill(d, 2, 2, dst);
        Fill(s, 2, 2, src);
        d.Canvas().BitBlt(0, 0, 2, 2, s, 0, 0, c.rop);
        EXPECT_EQ(d.Row(1)[1], c.expected) << int(c.rop);
    }
}

// A sprite's one-pass blit gives the pixels of SRCAND then SRCPAINT, clipped
// the same way, wherever the sprite lies.
TEST(RasterOps, MaskBltIsAndThenPaintInOnePass)
{
    TBitmap mask, image;
    Fill(mask, 7, 5, Px(0, 0, 0));
    Fill(image, 7, 5, Px(0x12, 0x34, 0x56));
    for (std::int32_t y = 0; y < 5; ++y)
        for (std::int32_t x = 0; x < 7; ++x)
            if ((x + y) % 3 == 0) {
                mask.Row(y)[x] = Px(0xFF, 0xFF, 0xFF);
                image.Row(y)[x] = Px(0, 0, 0);
            }
    const std::pair<std::int32_t, std::int32_t> places[] = {{3, 2}, {-4, -2}, {10, 6}, {-7, 0}, {12, 9}};
    for (const auto& [x, y] : places) {
        TBitmap twoPass, onePass;
        Fill(twoPass, 13, 9, Px(0xA5, 0x5A, 0xC3));
        Fill(onePass, 13, 9, Px(0xA5, 0x5A, 0xC3));
        twoPass.Canvas().BitBlt(x, y, 7, 5, mask, 0, 0, SRCAND);
        twoPass.Canvas().BitBlt(x, y, 7, 5, image, 0, 0, SRCPAINT);
        onePass.Canvas().MaskBlt(x, y, 7, 5, mask, image);
        EXPECT_EQ(onePass.Pixels(), twoPass.Pixels()) << "at " << x << ", " << y;
    }
    TBitmap wrong;
    Fill(wrong, 6, 5, Px(0, 0, 0));
    EXPECT_THROW(image.Canvas().MaskBlt(0, 0, 7, 5, wrong, image), std::invalid_argument);
}

TEST(RasterOps, ClippedToBothBitmapsLikeGdi)
{
    struct TCase {
        int x, y, w, h, sx, sy;
        int changedLeft, changedTop, changedRight, changedBottom;  // inclusive box in the destination, or empty
    };
    const TCase cases[] = {
        {-2, -3, 5, 5, 0, 0, 0, 0, 2, 1},    // sticks out top-left of the destination
        {8, 8, 5, 5, 0, 0, 8, 8, 9, 9},      // sticks out bottom-right of the destination
        {4, 4, 5, 5, -2, -1, 6, 5, 8, 8},    // reads from before the source's corner
        {0, 0, 10, 10, 2, 2, 0, 0, 3, 3},    // the source (6 × 6) runs out first
        {3, 3, 0, 4, 0, 0, 1, 1, 0, 0},      // zero width: nothing
        {20, 20, 4, 4, 0, 0, 1, 1, 0, 0},    // wholly outside: nothing
    };
    for (const TCase& c : cases) {
        TBitmap d, s;
        Fill(d, 10, 10, Px(0, 0, 0));
        Fill(s, 6, 6, Px(255, 255, 255));
        d.Canvas().BitBlt(c.x, c.y, c.w, c.h, s, c.sx, c.sy, SRCCOPY);
        for (const auto& [x, y] : PixelsNot(d, Px(0, 0, 0))) {
            EXPECT_TRUE(x >= c.changedLeft && x <= c.changedRight && y >= c.changedTop && y <= c.changedBottom)
                << "case x=" << c.x << " y=" << c.y << ": pixel " << x << "," << y;
        }
        const int expected = std::max(0, c.changedRight - c.changedLeft + 1) *
                             std::max(0, c.changedBottom - c.changedTop + 1);
        EXPECT_EQ(int(PixelsNot(d, Px(0, 0, 0)).size()), expected) << "case x=" << c.x << " y=" << c.y;
    }
}

TEST(RasterOps, CopyWithinOneBitmapMovesTheOriginalPixels)
{
    // A copy that overlaps itself reads every pixel before it is overwritten.
    for (auto [dx, dy] : {std::pair{1, 1}, std::pair{-1, -1}, std::pair{2, 0}, std::pair{0, -2}}) {
        TBitmap b;
        Fill(b, 6, 6, Px(0, 0, 0));
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) b.Row(y)[x] = Px(std::uint8_t(x), std::uint8_t(y), 0);
        b.Canvas().BitBlt(2 + dx, 2 + dy, 2, 2, b, 2, 2, SRCCOPY);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(b.Row(2 + dy + y)[2 + dx + x], Px(std::uint8_t(2 + x), std::uint8_t(2 + y), 0))
                    << dx << "," << dy;
    }
}

TEST(RasterOps, RowsOfOddLengthCombineEveryByte)
{
    // 5 pixels are 15 bytes: whole words and a tail.
    TBitmap d, s;
    Fill(d, 5, 1, Px(0xFF, 0xFF, 0xFF));
    Fill(s, 5, 1, Px(0x0F, 0xF0, 0x3C));
    d.Canvas().BitBlt(0, 0, 5, 1, s, 0, 0, SRCAND);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(d.Row(0)[x], Px(0x0F, 0xF0, 0x3C)) << x;
}

TEST(RasterOps, BltWholeChangesOnlyTheSourceSizedCorner)
{
    TBitmap d, s;
    Fill(d, 120, 40, Px(1, 2, 3));
    Fill(s, 100, 20, Px(9, 9, 9));
    BltWhole(d, s, SRCCOPY);
    const auto changed = PixelsNot(d, Px(1, 2, 3));
    EXPECT_EQ(changed.size(), 2000u);
    for (const auto& [x, y] : changed) EXPECT_TRUE(x < 100 && y < 20);
}

TEST(RasterOps, StretchCopyMakesBlocks)
{
    TBitmap s, d;
    Fill(s, 2, 1, Px(0, 0, 0));
    s.Row(0)[1] = Px(255, 0, 0);
    Fill(d, 6, 3, Px(7, 7, 7));
    d.Canvas().StretchCopy({0, 0, 6, 3}, s, {0, 0, 2, 1});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(d.Row(y)[x], x < 3 ? Px(0, 0, 0) : Px(255, 0, 0)) << x << "," << y;
}

TEST(RasterOps, FillRectIsClippedAndExclusiveAndClearBrushFillsNothing)
{
    TBitmap d;
    Fill(d, 8, 8, Px(0, 0, 0));
    d.Canvas().SetBrushColor(RGB(10, 20, 30));
    d.Canvas().FillRect({-4, 6, 3, 20});
    EXPECT_EQ(PixelsNot(d, Px(0, 0, 0)).size(), 6u);  // x 0..2, y 6..7
    EXPECT_EQ(d.Row(7)[2], Px(10, 20, 30));
    d.Canvas().SetBrushClear();
    d.Canvas().FillRect({0, 0, 8, 8});
    EXPECT_EQ(PixelsNot(d, Px(0, 0, 0)).size(), 6u);
}

TEST(RasterOps, EllipseHasABlackOutlineAndBrushFill)
{
    TBitmap d;
    Fill(d, 20, 20, Px(255, 255, 255));
    d.Canvas().SetBrushColor(RGB(0, 0, 200));
    d.Canvas().Ellipse({2, 2, 18, 18});
    EXPECT_EQ(d.Row(10)[10], Px(0, 0, 200));
    EXPECT_EQ(d.Row(10)[2], Px(0, 0, 0)) << "left edge is pen";
    EXPECT_EQ(d.Row(2)[2], Px(255, 255, 255)) << "corner of the box is outside";
    EXPECT_EQ(d.Row(10)[18], Px(255, 255, 255)) << "right edge is exclusive";
}

TEST(ImageHelpers, FillBitmapWithZeroSizeLeavesNothing)
{
    for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
        TBitmap b;
        TRowTable rows = {};
        FillBitmap(b, rows, w, h, Px(1, 1, 1));
        EXPECT_EQ(b.Width(), w);
        EXPECT_EQ(b.Height(), h);
        EXPECT_EQ(rows.size(), std::size_t(h));
        for (const auto& row : rows) EXPECT_TRUE(row.empty());
    }
}

TEST(ImageHelpers, RowTableRowsAreTopFirstAndCheckTheirIndex)
{
    TBitmap b;
    TRowTable rows;
    FillBitmap(b, rows, 3, 2, Px(0, 0, 0));
    rows[1][2] = Px(4, 5, 6);
    EXPECT_EQ(b.Row(1)[2], Px(4, 5, 6));
    EXPECT_EQ(b.Pixels()[5], Px(4, 5, 6));
    EXPECT_DEATH(rows[1][3] = Px(1, 1, 1), "");
}

TEST(ImageHelpers, MaskOfOneColourIsPureBlackAndWhite)
{
    TBitmap b;
    Fill(b, 3, 1, Px(255, 0, 255));
    b.Row(0)[1] = Px(10, 200, 30);
    b.Row(0)[2] = Px(254, 0, 255);
    b.Mask(Px(255, 0, 255));
    EXPECT_EQ(b.Row(0)[0], Px(255, 255, 255));
    EXPECT_EQ(b.Row(0)[1], Px(0, 0, 0));
    EXPECT_EQ(b.Row(0)[2], Px(0, 0, 0));
}

TEST(ImageHelpers, ColoursFollowTheRgbRule)
{
    EXPECT_EQ(GreyColor(200), 200u + 256u * 200u + 65536u * 200u);
    EXPECT_EQ(RGB(1, 2, 3), 1u + 2u * 256u + 3u * 65536u);
    const TPixel p = MakeTriple(1, 2, 3);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(&p)[0], 3) << "blue byte first";
}

// A 2 × 2 24-bit bottom-up bitmap file: top row red, blue; bottom row green, white.
std::string TinyBmp()
{
    const unsigned char bytes[] = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                        // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,  // info header
        0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 255, 0, 255, 255, 255, 0, 0,  // bottom row: green, white, padding
        0, 0, 255, 255, 0, 0, 0, 0,      // top row: red, blue, padding
    };
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

class PictureFiles : public ::testing::Test {
protected:
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("korvalen-pictures-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
};

TEST_F(PictureFiles, BmpLoadsTopRowFirst)
{
    TBitmap b;
    LoadPicture(Write("tiny.bmp", TinyBmp()), b);
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Row(0)[0], Px(255, 0, 0));
    EXPECT_EQ(b.Row(0)[1], Px(0, 0, 255));
    EXPECT_EQ(b.Row(1)[0], Px(0, 255, 0));
    EXPECT_EQ(b.Row(1)[1], Px(255, 255, 255));
}

TEST_F(PictureFiles, OnlyALowerCaseJpgIsDecodedAsJpeg)
{
    // Bitmap bytes under JPEG-like names: read as bitmaps unless the name ends in ".jpg".
    for (const char* name : {"a.JPG", "a.Jpg", "a.jpeg", "a.bmp"}) {
        TBitmap b;
        EXPECT_NO_THROW(LoadPicture(Write(name, TinyBmp()), b)) << name;
        EXPECT_EQ(b.Width(), 2) << name;
    }
    TBitmap b;
    EXPECT_THROW(LoadPicture(Write("a.jpg", TinyBmp()), b), ELoadError) << "decoded as JPEG, so refused";
}

TEST_F(PictureFiles, LoadErrorsNameTheFile)
{
    std::string bigHeader = TinyBmp();
    bigHeader[18] = char(0xFF);
    bigHeader[19] = char(0xFF);  // width 65535
    const std::string cases[] = {
        (dir / "missing.bmp").string(),
        Write("notabitmap.bmp", "hello, this is not a picture at all, not at all, no no no no no"),
        Write("truncated.bmp", TinyBmp().substr(0, 60)),
        Write("huge.bmp", bigHeader),
    };
    for (const std::string& path : cases) {
        TBitmap b;
        try {
            LoadPicture(path, b);
            ADD_FAILURE() << path << " loaded";
        } catch (const ELoadError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

}  // namespace
