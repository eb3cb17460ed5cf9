// The story's pictures: the recipe format's refusals, what the painter puts
// where, the JPEG encoding, and the same bytes from the same sources.
#include "DataGen.h"
#include "JpegWriter.h"
#include "PicturePainter.h"
#include "PictureRecipe.h"
#include "Pictures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace DataGen;
namespace fs = std::filesystem;

const fs::path Assets = KORVALEN_ASSETS_DIR;

std::vector<std::uint8_t> ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

PixelImage Paint(const std::string& recipe)
{
    return PaintPicture(ParsePictureRecipe(recipe, "pic.txt"), Assets / "sprites");
}

// The message of the refusal, parsing or painting, or "" when it was accepted.
std::string Refusal(const std::string& recipe)
{
    try {
        Paint(recipe);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(PictureRecipe, FaultsAreRefusedWithFileAndLine)
{
    struct Case {
        const char* what;
        std::string recipe;
        std::string where;
    };
    const std::string head = "size 16 16\ncolour a 1 2 3\n";
    const Case cases[] = {
        {"no size", "colour a 1 2 3\nfill a\n", "pic.txt:2: "},
        {"a size beyond the limit", "size 4096 16\n", "pic.txt:1: "},
        {"an unknown directive", head + "blob a 1 2 3\n", "pic.txt:3: "},
        {"an undefined colour", head + "circle b 8 8 4\n", "pic.txt:3: "},
        {"one colour where four are needed", head + "planet a 8 8 4 1\n", "pic.txt:3: "},
        {"a missing value", head + "line a 1 1 9 9\n", "pic.txt:3: "},
        {"a word for a number", head + "circle a 8 x 4\n", "pic.txt:3: "},
        {"an unknown option", head + "circle a 8 8 4 glossy\n", "pic.txt:3: "},
        {"an opacity above one", head + "circle a 8 8 4 alpha 2\n", "pic.txt:3: "},
        {"a poly of two points", head + "poly a 1 1 9 9\n", "pic.txt:3: "},
        {"a block left open", head + "repeat 3 step 2 0\ncircle a 1 1 1\n", "pic.txt:4: "},
        {"an end without a block", head + "end\n", "pic.txt:3: "},
        {"a repeat without its motion", head + "repeat 3 sideways 2 0\n", "pic.txt:3: "},
        {"a text without its closing quote", head + "text a 8 8 1 \"AB\n", "pic.txt:3: "},
        {"a letter the lettering lacks", head + "fill a\ntext a 8 8 1 \"ab\"\n", "pic.txt:4: "},
        {"a sprite that does not exist", head + "sprite nosuch 0 8 8 1\n", "pic.txt:3: "},
        {"a sprite frame beyond its sheet", head + "sprite mine 40 8 8 1\n", "pic.txt:3: "},
    };
    for (const Case& c : cases) {
        const std::string message = Refusal(c.recipe);
        EXPECT_EQ(message.substr(0, c.where.size()), c.where) << c.what << ": \"" << message << "\"";
    }
}

const Rgb Black{0, 0, 0};
const Rgb Red{200, 0, 0};

TEST(PicturePainter, ShapesCoverTheirInsideWithSmoothEdgesAndLeaveTheRest)
{
    const PixelImage image = Paint("size 32 32\ncolour k 0 0 0\ncolour r 200 0 0\nfill k\ncircle r 16.5 16.5 8\n");
    EXPECT_EQ(image.At(16, 16), Red);
    EXPECT_EQ(image.At(2, 2), Black);
    // The pixel whose centre lies on the rim is half covered.
    const int rim = image.At(24, 16).r;
    EXPECT_GT(rim, 40);
    EXPECT_LT(rim, 160);
}

TEST(PicturePainter, LightIsAddedAndLayersCover)
{
    const PixelImage image = Paint(
        "size 32 32\ncolour g 100 100 100\ncolour w 100 0 0\ncolour r 200 0 0\n"
        "fill g\nglow w 8.5 8.5 4 1\nrect r 20 20 30 30 alpha 0.5\n");
    EXPECT_EQ(image.At(8, 8), (Rgb{200, 100, 100})) << "the glow's centre adds all its light";
    EXPECT_EQ(image.At(28, 2), (Rgb{100, 100, 100}));
    EXPECT_EQ(image.At(25, 25), (Rgb{150, 50, 50})) << "half covered by the red";
}

TEST(PicturePainter, RepeatsMoveScaleFadeAndClip)
{
    const PixelImage moved = Paint("size 40 8\ncolour k 0 0 0\ncolour r 200 0 0\nfill k\n"
                                   "repeat 3 step 10 0 fade 0.5\nrect r 2 2 6 6\nend\n");
    EXPECT_EQ(moved.At(4, 4), Red);
    EXPECT_EQ(moved.At(14, 4), (Rgb{100, 0, 0}));
    EXPECT_EQ(moved.At(24, 4), (Rgb{50, 0, 0}));
    EXPECT_EQ(moved.At(34, 4), Black);

    // Each copy halves its distance to (0, 0): rects at 16, 8 and 4.
    const PixelImage scaled = Paint("size 32 32\ncolour k 0 0 0\ncolour r 200 0 0\nfill k\n"
                                    "repeat 3 toward 0 0 0.5\nrect r 16 16 24 24\nend\n");
    EXPECT_EQ(scaled.At(20, 20), Red);
    EXPECT_EQ(scaled.At(10, 10), Red);
    EXPECT_EQ(scaled.At(5, 5), Red);
    EXPECT_EQ(scaled.At(14, 14), Black);

    const PixelImage clipped = Paint("size 32 8\ncolour k 0 0 0\ncolour r 200 0 0\nfill k\n"
                                     "clip 0 0 16 8\nrect r 0 0 32 8\nend\n");
    EXPECT_EQ(clipped.At(10, 4), Red);
    EXPECT_EQ(clipped.At(20, 4), Black);
}

TEST(PicturePainter, LetteringAndSpritesLandWhereTheyAreNamed)
{
    // "1" in the pixel font: its stem is the middle column, its foot three wide.
    const PixelImage letter = Paint("size 9 9\ncolour k 0 0 0\ncolour w 255 255 255\nfill k\ntext w 4.5 4.5 1 \"1\"\n");
    EXPECT_EQ(letter.At(4, 3), (Rgb{255, 255, 255}));
    EXPECT_EQ(letter.At(3, 7), (Rgb{255, 255, 255}));
    EXPECT_EQ(letter.At(2, 3), Black);

    // The player's sprite at twice its size: opaque at its centre, its
    // see-through corners leave the background alone.
    const PixelImage sprite = Paint("size 64 64\ncolour k 0 0 0\nfill k\nsprite mine 0 32 32 2\n");
    EXPECT_NE(sprite.At(32, 32), Black);
    EXPECT_EQ(sprite.At(1, 1), Black);
    EXPECT_EQ(sprite.At(62, 62), Black);
}

TEST(StoryPictures, ARecipeLargerThanTheStoryScreenIsRefused)
{
    const TTempFolder assets;
    assets.Write("pictures/scene00.txt", "size 337 200\ncolour a 1 2 3\nfill a\n");
    assets.Write("pictures/fig1.txt", "size 256 231\ncolour a 1 2 3\nfill a\n");
    EXPECT_THROW(MakeStoryPicture(assets.Path(), "scene00.jpg"), std::runtime_error);
    EXPECT_THROW(MakeStoryPicture(assets.Path(), "fig1.bmp"), std::runtime_error);
    assets.Write("pictures/fig1.txt", "size 336 230\ncolour a 1 2 3\nfill a\n");
    EXPECT_NO_THROW(MakeStoryPicture(assets.Path(), "fig1.bmp"));
}

TEST(JpegWriter, WritesABaselineColourPictureWithFullColourResolution)
{
    PixelImage image(24, 16, Rgb{10, 200, 30});
    const std::vector<std::uint8_t> jpeg = EncodeJpeg(image);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
    // The baseline frame header: 8 bits, 16 rows, 24 columns, three
    // components each sampled 1 x 1.
    const std::vector<std::uint8_t> frame{0xFF, 0xC0, 0x00, 0x11, 8, 0, 16, 0, 24, 3, 1, 0x11};
    EXPECT_NE(std::search(jpeg.begin(), jpeg.end(), frame.begin(), frame.end()), jpeg.end());
    EXPECT_EQ(EncodeJpeg(image), jpeg);
}

TEST(StoryPictures, TheSameSourcesGiveTheSameBytes)
{
    const TTempFolder first, second;
    WritePictures({Assets, first.Path()});
    WritePictures({Assets, second.Path()});
    for (const std::string_view file : StoryPictureFiles) {
        const std::vector<std::uint8_t> bytes = ReadAll(first / file);
        EXPECT_GT(bytes.size(), 1000u) << file;
        EXPECT_EQ(bytes, ReadAll(second / file)) << file;
    }
}

}  // namespace
