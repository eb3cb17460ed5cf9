#include "FixtureSheets.h"

#include "BmpWriter.h"
#include "FixtureJpeg.h"
#include "WavFile.h"
#include "runtime/MyWave.h"

#include <array>
#include <string>

namespace {

// Enemies are 16 pixels square, bosses larger; at ×2 and ×3 they grow further.
constexpr std::array<TFixtureSheet, 32> GameSheets = {{
    {"mine", 32, 32, 12},    {"minedark", 32, 32, 12}, {"shot", 4, 8, 1},        {"eshot", 8, 8, 1},
    {"bom01", 16, 16, 10},   {"bom02", 16, 16, 10},    {"bom01b", 16, 16, 10},   {"bom02b", 16, 16, 10},
    {"teki01", 16, 16, 4},   {"teki01t", 16, 16, 4},   {"teki02", 24, 24, 4},    {"teki02r", 24, 24, 4},
    {"teki03", 16, 16, 4},   {"teki03r", 16, 16, 4},   {"teki04", 16, 16, 4},    {"teki04r", 16, 16, 4},
    {"teki06", 16, 16, 4},   {"teki06g", 16, 16, 4},   {"teki06r", 16, 16, 4},   {"blood", 48, 48, 4},
    {"shadow", 48, 48, 4},   {"meteo1", 16, 16, 4},    {"meteo2", 20, 20, 4},    {"meteo3", 24, 24, 4},
    {"meteo4", 28, 28, 4},   {"meteo5", 32, 32, 4},    {"my2", 32, 32, 8},       {"e0", 16, 16, 4},
    {"e15", 16, 16, 4},      {"e16", 16, 16, 4},       {"e19", 64, 64, 4},       {"e7", 16, 16, 4},
}};

// A Standard MIDI File of one track holding one note.
constexpr std::uint8_t OneNotePiece[] = {
    'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0,                       // format 0, one track, 480 ticks
    'M', 'T', 'r', 'k', 0, 0, 0, 12, 0, 0x90, 60, 100, 0x60, 0x80, 60, 0,  // a note on and off
    0, 0xFF, 0x2F, 0,                                                          // end of track
};

constexpr std::array<std::string_view, 12> Pieces = {"ronri", "varnel", "nozomare", "byakuya", "ketudan", "ito",
                                                     "jenoside", "namae", "fukai", "velmor", "end", "yomenai"};

// Short chapters in the game's format: chapter 0 turns pages and changes its
// picture, chapter 9 ends with a figure; the others have one page each.
constexpr std::string_view FirstChapter =
    "# chapter 0\n"
    "@page scene03.jpg\n"
    "一行目\n"
    "二行目\n"
    "@page\n"
    "一\n二\n三\n四\n五\n六\n"
    "@page scene02.jpg\n"
    "終わり\n";
constexpr std::string_view MiddleChapter = "@page scene00.jpg\n前の行\n後の行\n";
constexpr std::string_view LastChapter =
    "@page scene03.jpg\n"
    "結び\n"
    "@page fig4.bmp\n"
    "図の説明(Fig.4)\n"
    "@page scene04.jpg\n"
    "終\n";

DataGen::Rgb ToRgb(const TFixturePixel& p) { return {p.r, p.g, p.b}; }

void Write(const TTempFolder& folder, std::string_view name, const DataGen::PixelImage& image)
{
    const std::vector<std::uint8_t> bytes = DataGen::EncodeBmp(image);
    folder.Write(std::filesystem::path("dat") / (std::string(name) + ".bmp"), bytes);
}

}  // namespace

void WriteFixtureSheet(const TTempFolder& folder, const TFixtureSheet& sheet,
                       const std::vector<std::pair<std::int32_t, std::int32_t>>& holes)
{
    DataGen::PixelImage image(sheet.frameWidth * sheet.frames, sheet.frameHeight);
    for (std::int32_t f = 0; f < sheet.frames; ++f) {
        const std::int32_t left = f * sheet.frameWidth;
        for (std::int32_t y = 0; y < sheet.frameHeight; ++y)
            for (std::int32_t x = 0; x < sheet.frameWidth; ++x)
                image.At(left + x, y) = DataGen::Rgb{std::uint8_t(10 + f), 20, 30};
        image.At(left, 0) = ToRgb(FixtureKey);
        for (const auto& [hx, hy] : holes) image.At(left + hx, hy) = ToRgb(FixtureKey);
    }
    Write(folder, sheet.name, image);
}

void WriteFixtureBitmap(const TTempFolder& folder, std::string_view name, std::int32_t width, std::int32_t height,
                        const std::vector<TFixturePixel>& pixels)
{
    DataGen::PixelImage image(width, height);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) image.At(x, y) = ToRgb(pixels.at(std::size_t(y * width + x)));
    Write(folder, name, image);
}

void WriteGameFixtureSheets(const TTempFolder& folder)
{
    for (const TFixtureSheet& sheet : GameSheets) WriteFixtureSheet(folder, sheet);
    // The side panel's background: a plain dark grey picture.
    Write(folder, "sideback", DataGen::PixelImage(160, 416, DataGen::Rgb{40, 40, 48}));
    for (std::string_view piece : Pieces)
        folder.Write(std::filesystem::path("dat") / (std::string(piece) + ".mid"), OneNotePiece);
    // Every effect: a moment of silence.
    const std::vector<std::int16_t> silence(441, 0);
    for (std::string_view sound : Sound::All) folder.Write(sound, DataGen::EncodeWav(silence, 44100));
    for (int n = 0; n < 10; ++n) {
        const std::string_view text = n == 0 ? FirstChapter : n == 9 ? LastChapter : MiddleChapter;
        folder.Write(std::filesystem::path("dat/story") / ("chapter" + std::to_string(n) + ".txt"), text);
    }
    for (int n = 0; n < 5; ++n) folder.Write("dat/scene0" + std::to_string(n) + ".jpg", RedBlueJpeg);
    for (int n = 1; n <= 4; ++n)
        Write(folder, "fig" + std::to_string(n), DataGen::PixelImage(20, 10, DataGen::Rgb{std::uint8_t(40 * n), 200, 100}));
}
