#include "Sprites.h"

#include "BmpWriter.h"
#include "DataGen.h"
#include "DrawRecipe.h"
#include "SpriteRecipe.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace DataGen {
namespace {

constexpr int MaxSquareFrames = 16;

std::filesystem::path SpriteSources(const Paths& paths) { return paths.assets / "sprites"; }

[[noreturn]] void Reject(const SpriteRecipe& recipe, const std::string& what)
{
    throw std::runtime_error(recipe.file.string() + ": " + what);
}

void CheckShape(const SpriteRecipe& recipe, const SheetSpec& wanted)
{
    if (wanted.frames > 0 && recipe.frames != wanted.frames)
        Reject(recipe, "the game loads " + std::to_string(wanted.frames) + " frames, the recipe draws " +
                           std::to_string(recipe.frames));
    if (wanted.frames == 0 && recipe.width != recipe.height)
        Reject(recipe, "the game cuts this sheet into square frames; make the frame size square");
    if (wanted.frames == 0 && recipe.frames > MaxSquareFrames)
        Reject(recipe, "at most " + std::to_string(MaxSquareFrames) + " frames");
    if (wanted.width > 0 && (recipe.width * recipe.frames != wanted.width || recipe.height != wanted.height))
        Reject(recipe, "the picture must be " + std::to_string(wanted.width) + " x " + std::to_string(wanted.height));
}

void CheckFrame(const SpriteRecipe& recipe, const SheetSpec& wanted, const PixelImage& frame, int index)
{
    const std::string where = "frame " + std::to_string(index) + ": ";
    if (frame.At(0, 0) != recipe.key)
        Reject(recipe, where + "the top-left pixel must be the see-through colour");
    if (wanted.role == SheetRole::Solid && frame.At(frame.Width() / 2, frame.Height() / 2) == recipe.key)
        Reject(recipe, where + "the centre pixel must be solid (hits are tested there)");
}

}  // namespace

const std::vector<SheetSpec>& GameSheets()
{
    using enum SheetRole;
    static const std::vector<SheetSpec> sheets = {
        {"mine", Solid, 12, 0, 0},      {"minedark", Solid, 12, 0, 0},
        {"shot", Solid, 1, 0, 0},       {"eshot", Solid, 1, 0, 0},
        {"bom01", Effect, 10, 0, 0},    {"bom02", Effect, 10, 0, 0},
        {"bom01b", Effect, 10, 0, 0},   {"bom02b", Effect, 10, 0, 0},
        {"teki01", Solid, 0, 0, 0},     {"teki01t", Solid, 0, 0, 0},
        {"teki02", Solid, 0, 0, 0},     {"teki02r", Solid, 0, 0, 0},
        {"teki03", Solid, 0, 0, 0},     {"teki03r", Solid, 0, 0, 0},
        {"teki04", Solid, 0, 0, 0},     {"teki04r", Solid, 0, 0, 0},
        {"teki06", Solid, 0, 0, 0},     {"teki06g", Solid, 0, 0, 0},
        {"teki06r", Solid, 0, 0, 0},    {"blood", Solid, 0, 0, 0},
        {"shadow", Solid, 0, 0, 0},     {"meteo1", Solid, 0, 0, 0},
        {"meteo2", Solid, 0, 0, 0},     {"meteo3", Solid, 0, 0, 0},
        {"meteo4", Solid, 0, 0, 0},     {"meteo5", Solid, 0, 0, 0},
        {"my2", Solid, 0, 0, 0},        {"e0", Solid, 0, 0, 0},
        {"e15", Solid, 0, 0, 0},        {"e16", Solid, 0, 0, 0},
        {"e19", Solid, 0, 0, 0},        {"e7", Solid, 0, 0, 0},
        {"sideback", Picture, 1, 160, 416},
        {"icon", Icon, 1, 32, 32},
    };
    return sheets;
}

void FillEnclosedHoles(PixelImage& frame, Rgb key)
{
    const int w = frame.Width(), h = frame.Height();
    std::vector<std::uint8_t> outside(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    const auto cell = [w](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x); };
    std::vector<std::pair<int, int>> todo;
    for (int x = 0; x < w; ++x) { todo.emplace_back(x, 0); todo.emplace_back(x, h - 1); }
    for (int y = 0; y < h; ++y) { todo.emplace_back(0, y); todo.emplace_back(w - 1, y); }
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        if (!frame.Contains(x, y) || outside.at(cell(x, y)) || frame.At(x, y) != key) continue;
        outside.at(cell(x, y)) = 1;
        todo.insert(todo.end(), {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}});
    }
    // Each sweep fills the hole pixels that touch the figure; a hole of n pixels
    // is gone after at most n sweeps.
    for (bool filled = true; filled;) {
        filled = false;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (outside.at(cell(x, y)) || frame.At(x, y) != key) continue;
                for (const auto& [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}})
                    if (frame.Contains(nx, ny) && frame.At(nx, ny) != key) {
                        frame.At(x, y) = frame.At(nx, ny);
                        filled = true;
                        break;
                    }
            }
    }
}

PixelImage MakeSheet(const std::filesystem::path& spriteSources, const SheetSpec& wanted)
{
    const SpriteRecipe recipe = ReadRecipe(spriteSources / (std::string(wanted.name) + ".txt"));
    CheckShape(recipe, wanted);
    PixelImage sheet(recipe.width * recipe.frames, recipe.height);
    for (int f = 0; f < recipe.frames; ++f) {
        PixelImage frame = DrawFrame(recipe, f);
        if (wanted.role == SheetRole::Solid || wanted.role == SheetRole::Icon) FillEnclosedHoles(frame, recipe.key);
        if (wanted.role != SheetRole::Picture) CheckFrame(recipe, wanted, frame, f);
        sheet.Paste(frame, f * recipe.width, 0);
    }
    return sheet;
}

void WriteSprites(const Paths& paths)
{
    for (const SheetSpec& wanted : GameSheets())
        WriteBmp(paths.out / (std::string(wanted.name) + ".bmp"), MakeSheet(SpriteSources(paths), wanted));
}

}  // namespace DataGen
