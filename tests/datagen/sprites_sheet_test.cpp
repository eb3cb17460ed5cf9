#include "DataGen.h"
#include "Sprites.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace DataGen;

const Rgb Key{255, 0, 255};

std::filesystem::path RepoAssets()
{
    return KORVALEN_ASSETS_DIR;
}


std::vector<std::uint8_t> Bytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FillEnclosedHoles, FillsPocketsButKeepsNotchesOpenToTheBorder)
{
    const Rgb grey{7, 7, 7};
    PixelImage pocket(5, 5, Key);  // a 3 x 3 block with a see-through pixel in its middle
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 3; ++x) pocket.At(x, y) = grey;
    pocket.At(2, 2) = Key;
    PixelImage notch = pocket;  // the same, opened to the top edge
    notch.At(2, 1) = Key;

    FillEnclosedHoles(pocket, Key);
    FillEnclosedHoles(notch, Key);

    EXPECT_EQ(pocket.At(2, 2), grey);
    EXPECT_EQ(pocket.At(0, 0), Key);
    EXPECT_EQ(notch.At(2, 2), Key);
    EXPECT_EQ(notch.At(2, 1), Key);
}

TEST(MakeSheet, RefusesASolidSpriteWithASeeThroughCentre)
{
    const TTempFolder folder;
    const std::filesystem::path& dir = folder.Path();
    std::ofstream(dir / "ring.txt") << "size 9 9\nframes 1\ncolour a 1 2 3\nrect a 1 1 3 8\n";
    try {
        MakeSheet(dir, SheetSpec{"ring", SheetRole::Solid, 0, 0, 0});
        FAIL() << "a sprite that cannot be hit at its centre was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("ring.txt"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("centre"), std::string::npos) << e.what();
    }
}

TEST(MakeSheet, RefusesAFrameCountOtherThanTheGameLoads)
{
    const TTempFolder folder;
    const std::filesystem::path& dir = folder.Path();
    std::ofstream(dir / "ship.txt") << "size 8 8\nframes 3\ncolour a 1 2 3\nrect a 2 2 6 6\n";
    EXPECT_THROW(MakeSheet(dir, SheetSpec{"ship", SheetRole::Solid, 12, 0, 0}), std::runtime_error);
}

std::int32_t LittleEndian32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::int32_t>(b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 |
                                     static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

TEST(WriteSprites, SameSourcesGiveSameBytesAndSizesTheGameExpects)
{
    const TTempFolder firstRun, secondRun;
    const Paths first{RepoAssets(), firstRun.Path()};
    const Paths second{RepoAssets(), secondRun.Path()};
    WriteSprites(first);
    WriteSprites(second);
    for (const SheetSpec& wanted : GameSheets()) {
        const std::string file = std::string(wanted.name) + ".bmp";
        const std::vector<std::uint8_t> bytes = Bytes(first.out / file);
        ASSERT_GT(bytes.size(), 54u) << file;
        EXPECT_EQ(bytes, Bytes(second.out / file)) << file;
        const std::int32_t width = LittleEndian32(bytes, 18), height = LittleEndian32(bytes, 22);
        if (wanted.width > 0) {
            EXPECT_EQ(width, wanted.width) << file;
            EXPECT_EQ(height, wanted.height) << file;
        } else if (wanted.frames > 0) {
            EXPECT_EQ(width % wanted.frames, 0) << file;
        } else {
            EXPECT_EQ(width % height, 0) << file << ": square frames";
            EXPECT_LE(width / height, 16) << file;
        }
    }
}

}  // namespace
