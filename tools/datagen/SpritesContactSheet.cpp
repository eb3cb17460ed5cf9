// One picture for a person to review all the game's art at once: every frame
// of every sheet on black (see-through pixels shown black, as in the game),
// one sheet after another, wrapped into rows.
#include "BmpWriter.h"
#include "DataGen.h"
#include "Sprites.h"

#include <algorithm>

namespace DataGen {
namespace {

constexpr int SheetWidth = 1024;
constexpr int Gap = 4;

struct Placed {
    PixelImage frame;
    int x;
    int y;
};

int FrameCount(const SheetSpec& wanted, const PixelImage& sheet)
{
    return wanted.frames > 0 ? wanted.frames : sheet.Width() / sheet.Height();
}

PixelImage FrameOnBlack(const PixelImage& sheet, int index, int width, bool keyed)
{
    PixelImage frame(width, sheet.Height());
    const Rgb key = sheet.At(index * width, 0);
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb p = sheet.At(index * width + x, y);
            frame.At(x, y) = keyed && p == key ? Rgb{} : p;
        }
    return frame;
}

// Lays the frames out left to right, a new row for every sheet and whenever
// the row is full.
std::vector<Placed> LayOut(const std::filesystem::path& sources)
{
    std::vector<Placed> placed;
    int y = Gap;
    for (const SheetSpec& wanted : GameSheets()) {
        const PixelImage sheet = MakeSheet(sources, wanted);
        const int frames = FrameCount(wanted, sheet);
        const int width = sheet.Width() / frames;
        int x = Gap;
        for (int f = 0; f < frames; ++f) {
            if (x + width + Gap > SheetWidth && x > Gap) { x = Gap; y += sheet.Height() + Gap; }
            placed.push_back({FrameOnBlack(sheet, f, width, wanted.role != SheetRole::Picture), x, y});
            x += width + Gap;
        }
        y += sheet.Height() + 3 * Gap;
    }
    return placed;
}

}  // namespace

void WriteContactSheet(const Paths& paths, const std::filesystem::path& file)
{
    const std::vector<Placed> placed = LayOut(paths.assets / "sprites");
    int height = 0;
    for (const Placed& p : placed) height = std::max(height, p.y + p.frame.Height() + Gap);
    PixelImage contact(SheetWidth, height);
    for (const Placed& p : placed) contact.Paste(p.frame, p.x, p.y);
    WriteBmp(file, contact);
}

}  // namespace DataGen
