#include "DrawRecipe.h"
#include "SpriteRecipe.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

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

}  // namespace
