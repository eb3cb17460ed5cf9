#include "DrawRecipe.h"
#include "SpriteRecipe.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace DataGen;

std::string ErrorOf(const std::string& text)
{
    try {
        ParseRecipe(text, "sprites/bad.txt");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(no error)";
}

struct BadSource {
    const char* what;
    const char* text;
    const char* message;  // the start of the expected message: file and line
};

TEST(SpriteRecipe, FaultsAreReportedWithFileAndLine)
{
    const BadSource cases[] = {
        {"grid character not in the palette",
         "size 4 2\nframes 1\ncolour a 1 2 3\ngrid 0 0\naa\naZ\nend\n", "sprites/bad.txt:6: grid character 'Z'"},
        {"figure colour equal to the key", "size 4 4\nframes 1\ncolour a 255 0 255\n", "sprites/bad.txt:3:"},
        {"unknown directive", "size 4 4\nframes 1\nsquare 1 2 3\n", "sprites/bad.txt:3: unknown directive"},
        {"shape colour not in the palette", "size 4 4\nframes 1\ncircle q 2 2 1\n", "sprites/bad.txt:3: colour 'q'"},
        {"polygon with an odd count", "size 4 4\nframes 1\ncolour a 1 2 3\npoly a 0 0 4 0 4\n", "sprites/bad.txt:4:"},
        {"too many frames", "size 4 4\nframes 17\n", "sprites/bad.txt:2:"},
        {"not a number", "size 4 four\n", "sprites/bad.txt:1: \"four\" is not a number"},
        {"unclosed grid", "size 4 2\nframes 1\ncolour a 1 2 3\ngrid 0 0\naa\n", "sprites/bad.txt:5: grid without"},
        {"ragged grid", "size 4 2\nframes 1\ncolour a 1 2 3\ngrid 0 0\naa\na\nend\n", "sprites/bad.txt:6: grid rows differ"},
        {"shape before size", "frames 1\ncolour a 1 2 3\ncircle a 1 1 1\n", "sprites/bad.txt:3:"},
        {"nothing drawn", "size 4 4\nframes 1\n", "sprites/bad.txt:2: nothing to draw"},
        {"material not among its shades", "size 4 4\nframes 1\ncolour a 1 2 3\ncolour b 4 5 6\ncolour c 7 8 9\nshades a b c\n",
         "sprites/bad.txt:6: colour 'a' must be one of its own shades"},
        {"unknown motion", "size 4 4\nframes 2\ngroup wobble 1\n", "sprites/bad.txt:3: unknown motion"},
        {"swing without its pivot", "size 4 4\nframes 2\ngroup swing 10\n", "sprites/bad.txt:3: \"group swing\" takes"},
        {"delayed frames group", "size 4 4\nframes 2\ngroup frames 1 delay 0.5\n", "sprites/bad.txt:3: \"group frames\" takes"},
        {"shown frame past the last", "size 4 4\nframes 2\ncolour a 1 2 3\ngroup frames 2\nrect a 0 0 1 1\nend\n",
         "sprites/bad.txt:6: a \"group frames\" names a frame past the last"},
        {"no copies", "size 4 4\nframes 1\ncolour a 1 2 3\nrect a 0 0 1 1 around 0\n", "sprites/bad.txt:4: \"0\" must be a whole number"},
        {"tendril short of numbers", "size 4 4\nframes 1\ncolour a 1 2 3\ntendril a 0 0 3 3 2 1 1\n", "sprites/bad.txt:4: \"tendril\" takes"},
    };
    for (const BadSource& c : cases)
        EXPECT_EQ(ErrorOf(c.text).rfind(c.message, 0), 0u) << c.what << ": " << ErrorOf(c.text);
}

TEST(SpriteRecipe, LikeLoopIsRefusedNamingTheFile)
{
    const TTempFolder folder;
    const std::filesystem::path& dir = folder.Path();
    std::ofstream(dir / "a.txt") << "like b\n";
    std::ofstream(dir / "b.txt") << "like a\n";
    try {
        ReadRecipe(dir / "a.txt");
        FAIL() << "a loop of \"like\" was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(".txt:1:"), std::string::npos) << e.what();
    }
}

TEST(SpriteRecipe, VariantKeepsBaseShapesAndOverridesColours)
{
    const TTempFolder folder;
    const std::filesystem::path& dir = folder.Path();
    std::ofstream(dir / "base.txt") << "size 4 4\nframes 2\ncolour a 10 20 30\nrect a 1 1 3 3\n";
    std::ofstream(dir / "red.txt") << "like base\ncolour a 200 0 0\n";
    const SpriteRecipe red = ReadRecipe(dir / "red.txt");
    EXPECT_EQ(red.file, dir / "red.txt");
    const PixelImage frame = DrawFrame(red, 0);
    EXPECT_EQ(frame.At(1, 1), (Rgb{200, 0, 0}));
    EXPECT_EQ(frame.At(0, 0), (Rgb{255, 0, 255}));
}

TEST(DrawRecipe, MirroredGridIsReflectedAboutTheFrameCentre)
{
    const SpriteRecipe recipe = ParseRecipe(
        "size 6 1\nframes 1\ncolour a 10 0 0\ncolour b 0 10 0\ngrid 0 0 mirror\nab.\nend\n", "m.txt");
    const PixelImage frame = DrawFrame(recipe, 0);
    const Rgb a{10, 0, 0}, b{0, 10, 0}, key{255, 0, 255};
    const Rgb expected[6] = {a, b, key, key, b, a};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(frame.At(x, 0), expected[x]) << "column " << x;
}

TEST(DrawRecipe, CycleLoopsThroughItsColoursAndBack)
{
    const SpriteRecipe recipe =
        ParseRecipe("size 1 1\nframes 4\ncycle c 0 0 0 / 200 100 50\nrect c 0 0 1 1\n", "c.txt");
    EXPECT_EQ(PaletteColour(recipe, 'c', 0.0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PaletteColour(recipe, 'c', 0.25), (Rgb{100, 50, 25}));
    EXPECT_EQ(PaletteColour(recipe, 'c', 0.5), (Rgb{200, 100, 50}));
    EXPECT_EQ(PaletteColour(recipe, 'c', 0.75), (Rgb{100, 50, 25}));
}

TEST(DrawRecipe, OutlineSurroundsTheFigureWithoutTouchingDiagonals)
{
    const SpriteRecipe recipe = ParseRecipe(
        "size 5 5\nframes 1\ncolour a 1 1 1\ncolour o 9 9 9\noutline o\nrect a 2 2 3 3\n", "o.txt");
    const PixelImage frame = DrawFrame(recipe, 0);
    EXPECT_EQ(frame.At(2, 2), (Rgb{1, 1, 1}));
    for (const auto& [x, y] : {std::pair{1, 2}, {3, 2}, {2, 1}, {2, 3}}) EXPECT_EQ(frame.At(x, y), (Rgb{9, 9, 9}));
    EXPECT_EQ(frame.At(1, 1), (Rgb{255, 0, 255}));
}

std::vector<int> OpaqueColumns(const PixelImage& frame, int row)
{
    std::vector<int> columns;
    for (int x = 0; x < frame.Width(); ++x)
        if (frame.At(x, row) != Rgb{255, 0, 255}) columns.push_back(x);
    return columns;
}

bool Covers(const PixelImage& frame, int x, int y) { return frame.At(x, y) != Rgb{255, 0, 255}; }

TEST(DrawRecipe, LitShapesWithShadesTakeOnlyThoseShadesDarkerAwayFromTheLight)
{
    const SpriteRecipe recipe = ParseRecipe(
        "size 20 20\nframes 1\ncolour 1 10 0 0\ncolour 2 20 0 0\ncolour 3 30 0 0\ncolour 4 40 0 0\n"
        "shades 3 1 2 3 4\ncircle 3 10 10 9 lit\n", "s.txt");
    const PixelImage frame = DrawFrame(recipe, 0);
    for (int y = 0; y < 20; ++y)
        for (const int x : OpaqueColumns(frame, y)) {
            const Rgb c = frame.At(x, y);
            EXPECT_TRUE(c.g == 0 && c.b == 0 && c.r % 10 == 0 && c.r >= 10 && c.r <= 40) << x << "," << y;
        }
    EXPECT_GT(frame.At(5, 5).r, frame.At(15, 15).r);
}

TEST(DrawRecipe, CraterCatchesTheLightOnItsFarWallAndItsNearRim)
{
    const SpriteRecipe recipe = ParseRecipe(
        "size 20 20\nframes 1\ncolour 1 10 0 0\ncolour 2 20 0 0\ncolour 3 30 0 0\ncolour 4 40 0 0\ncolour 5 50 0 0\n"
        "shades 3 1 2 3 4 5\ncrater 3 10 10 9\n", "c.txt");
    const PixelImage frame = DrawFrame(recipe, 0);
    // The wall inside the pit nearest the upper-left light is in shade, the far one lit;
    // outside the pit the rim is the other way round.
    EXPECT_LT(frame.At(7, 7).r, frame.At(12, 12).r);
    EXPECT_GT(frame.At(4, 5).r, frame.At(15, 14).r);
}

TEST(DrawRecipe, MotionsMovePartsAsTheirDirectivesSay)
{
    struct Case {
        const char* what;
        const char* group;                // the group round a 2 x 2 block at 10 ... 12, 2 ... 4
        int frame;                        // of 4
        std::pair<int, int> covered, bare;  // a pixel the block then covers (none at 0, 0), and one it has left
    };
    const Case cases[] = {
        {"swing turns about the pivot", "group swing 90 11 11", 1, {18, 10}, {10, 2}},
        {"slide glides along, a share of the way each frame", "group slide 0 8", 2, {10, 6}, {10, 2}},
        {"bob sways out and back", "group bob 4 0", 1, {14, 2}, {10, 2}},
        {"a delay runs the motion late", "group bob 4 0 delay 0.25", 2, {14, 2}, {10, 2}},
        {"spin turns about a point of its own", "group spin 1 11 7", 1, {14, 6}, {10, 2}},
        {"frames shows the part only in those frames", "group frames 0 2", 1, {0, 0}, {10, 2}},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("size 22 22\nframes 4\ncolour a 1 2 3\n") + c.group + "\nrect a 10 2 12 4\nend\n";
        const PixelImage frame = DrawFrame(ParseRecipe(text, "m.txt"), c.frame);
        if (c.covered.first > 0) {
            EXPECT_TRUE(Covers(frame, c.covered.first, c.covered.second)) << c.what;
        }
        EXPECT_FALSE(Covers(frame, c.bare.first, c.bare.second)) << c.what;
    }
}

TEST(DrawRecipe, MirroredAndTurnedCopiesMoveAsTheShapeDoes)
{
    // A block at the top bobbing up and down: its copies a quarter and half a
    // turn round bob along their own radius; its mirror image bobs as it does.
    const SpriteRecipe around = ParseRecipe(
        "size 20 20\nframes 4\ncolour a 1 2 3\ngroup bob 0 -2\nrect a 9 3 11 5 around 4\nend\n", "a.txt");
    const PixelImage out = DrawFrame(around, 1);  // a quarter loop: the furthest out
    EXPECT_TRUE(Covers(out, 9, 1));
    EXPECT_TRUE(Covers(out, 18, 9));
    EXPECT_TRUE(Covers(out, 9, 18));
    EXPECT_TRUE(Covers(out, 1, 9));
    EXPECT_FALSE(Covers(out, 16, 9));

    const SpriteRecipe mirrored = ParseRecipe(
        "size 20 20\nframes 4\ncolour a 1 2 3\ngroup bob -3 0\nrect a 3 9 5 11 mirror\nend\n", "m.txt");
    const PixelImage spread = DrawFrame(mirrored, 1);  // the left block out to the left, its image to the right
    EXPECT_TRUE(Covers(spread, 0, 9));
    EXPECT_TRUE(Covers(spread, 19, 9));
    EXPECT_FALSE(Covers(spread, 4, 9));
    EXPECT_FALSE(Covers(spread, 15, 9));
}

TEST(DrawRecipe, TendrilKeepsItsRootWhileAWaveSwingsItsTaperingTip)
{
    const SpriteRecipe recipe =
        ParseRecipe("size 20 40\nframes 4\ncolour a 1 2 3\ntendril a 10 2 10 38 8 2 5 1\n", "t.txt");
    const PixelImage quarter = DrawFrame(recipe, 1), threeQuarters = DrawFrame(recipe, 3);
    EXPECT_EQ(OpaqueColumns(quarter, 3), OpaqueColumns(threeQuarters, 3)) << "the root moves";
    EXPECT_NE(OpaqueColumns(quarter, 36), OpaqueColumns(threeQuarters, 36)) << "the tip stays";
    EXPECT_GT(OpaqueColumns(quarter, 3).size(), OpaqueColumns(quarter, 36).size() + 3) << "no taper";
}

}  // namespace
