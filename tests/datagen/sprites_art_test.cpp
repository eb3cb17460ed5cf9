// Measures of the sprites' art drawn from the repository's recipes: how much
// of a figure moves, how many shades a boss uses, how many of its parts move,
// and that no part of a figure thins into a one-pixel line in any frame.
#include "DrawRecipe.h"
#include "SpriteRecipe.h"
#include "Sprites.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace DataGen;

const std::filesystem::path SpriteSources = std::filesystem::path(KORVALEN_ASSETS_DIR) / "sprites";

// The bosses drawn at their own size, each the last foe of its stage.
const char* const LargeBosses[] = {"blood", "shadow", "teki02", "teki02r", "e19"};
// Fighters that the early stages enlarge two- and threefold into their bosses.
const char* const EnlargedBosses[] = {"teki01", "teki01t", "teki03", "teki04", "teki06", "teki06r", "teki06g"};

SpriteRecipe Recipe(const std::string& name) { return ReadRecipe(SpriteSources / (name + ".txt")); }

// A sheet as the game gets it, cut into its frames.
std::vector<PixelImage> Frames(const SheetSpec& wanted)
{
    const SpriteRecipe recipe = Recipe(wanted.name);
    const PixelImage sheet = MakeSheet(SpriteSources, wanted);
    std::vector<PixelImage> frames;
    for (int f = 0; f < recipe.frames; ++f) {
        PixelImage frame(recipe.width, recipe.height);
        for (int y = 0; y < recipe.height; ++y)
            for (int x = 0; x < recipe.width; ++x) frame.At(x, y) = sheet.At(f * recipe.width + x, y);
        frames.push_back(frame);
    }
    return frames;
}

std::vector<PixelImage> Frames(const std::string& name) { return Frames(SheetSpec{name.c_str(), SheetRole::Solid, 0, 0, 0}); }

bool Opaque(const PixelImage& frame, int x, int y)
{
    return frame.Contains(x, y) && frame.At(x, y) != frame.At(0, 0);
}

// Changed pixels between two frames, as a share of the pixels either covers.
double ChangedShare(const PixelImage& a, const PixelImage& b)
{
    int changed = 0, figure = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            figure += Opaque(a, x, y) || Opaque(b, x, y);
            changed += a.At(x, y) != b.At(x, y);
        }
    return figure > 0 ? static_cast<double>(changed) / figure : 0.0;
}

// The least share that changes from one frame to the next, the loop's wrap included.
double LeastChangedShare(const std::vector<PixelImage>& frames)
{
    double least = 1.0;
    for (std::size_t f = 0; f < frames.size(); ++f)
        least = std::min(least, ChangedShare(frames[f], frames[(f + 1) % frames.size()]));
    return least;
}

// An opaque pixel with nothing beside it on the left and right, or nothing
// above and below: a line one pixel thick runs through it.
bool Thin(const PixelImage& frame, int x, int y)
{
    return Opaque(frame, x, y) && ((!Opaque(frame, x - 1, y) && !Opaque(frame, x + 1, y)) ||
                                   (!Opaque(frame, x, y - 1) && !Opaque(frame, x, y + 1)));
}

// The most thin pixels that touch one another (diagonals included). The tip
// of a spike is one such pixel; two or more are a one-pixel line.
int LongestThinRun(const PixelImage& frame)
{
    const int w = frame.Width(), h = frame.Height();
    std::vector<std::uint8_t> seen(static_cast<std::size_t>(w * h), 0);
    int longest = 0;
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0) {
            if (seen[static_cast<std::size_t>(y0 * w + x0)] || !Thin(frame, x0, y0)) continue;
            std::vector<std::pair<int, int>> todo{{x0, y0}};
            seen[static_cast<std::size_t>(y0 * w + x0)] = 1;
            int run = 0;
            while (!todo.empty()) {
                const auto [x, y] = todo.back();
                todo.pop_back();
                ++run;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (!frame.Contains(nx, ny) || seen[static_cast<std::size_t>(ny * w + nx)] || !Thin(frame, nx, ny))
                            continue;
                        seen[static_cast<std::size_t>(ny * w + nx)] = 1;
                        todo.emplace_back(nx, ny);
                    }
            }
            longest = std::max(longest, run);
        }
    return longest;
}

int DistinctShades(const std::vector<PixelImage>& frames)
{
    std::set<std::tuple<int, int, int>> shades;
    for (const PixelImage& frame : frames)
        for (int y = 0; y < frame.Height(); ++y)
            for (int x = 0; x < frame.Width(); ++x)
                if (Opaque(frame, x, y)) shades.emplace(frame.At(x, y).r, frame.At(x, y).g, frame.At(x, y).b);
    return static_cast<int>(shades.size());
}

int DifferingPixels(const PixelImage& a, const PixelImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) differing += a.At(x, y) != b.At(x, y);
    return differing;
}

std::vector<PixelImage> DrawnFrames(const SpriteRecipe& recipe)
{
    std::vector<PixelImage> frames;
    for (int f = 0; f < recipe.frames; ++f) frames.push_back(DrawFrame(recipe, f));
    return frames;
}

// Whether holding one part still changes, in some frame, at least a hundredth
// of the frame: then that part visibly moves.
bool MovesVisibly(const std::vector<PixelImage>& moving, const SpriteRecipe& partHeldStill)
{
    const int least = partHeldStill.width * partHeldStill.height / 100;
    for (int f = 0; f < partHeldStill.frames; ++f)
        if (DifferingPixels(moving.at(static_cast<std::size_t>(f)), DrawFrame(partHeldStill, f)) >= least) return true;
    return false;
}

// Moving parts are the groups and the colour cycles; a part is held still by
// taking its shapes out of their group, or a cycle's colour by keeping its first.
// Counting stops at `enough`, as each count draws the whole loop again.
int VisiblyMovingParts(const SpriteRecipe& recipe, int enough)
{
    const std::vector<PixelImage> moving = DrawnFrames(recipe);
    int parts = 0;
    for (std::size_t g = 0; g < recipe.groups.size() && parts < enough; ++g) {
        SpriteRecipe still = recipe;
        for (Shape& shape : still.shapes)
            if (shape.group == static_cast<int>(g)) shape.group = -1;
        parts += MovesVisibly(moving, still);
    }
    for (auto c = recipe.palette.begin(); c != recipe.palette.end() && parts < enough; ++c) {
        if (c->second.size() < 2) continue;
        SpriteRecipe still = recipe;
        still.palette[c->first] = {c->second.front()};
        parts += MovesVisibly(moving, still);
    }
    return parts;
}

TEST(SpriteArt, FiguresChangeVisiblyFromFrameToFrame)
{
    const std::pair<const char*, double> least[] = {
        {"e0", 0.2}, {"shadow", 0.2}, {"blood", 0.2}, {"teki02", 0.2}, {"teki02r", 0.2}, {"e19", 0.2},
    };
    for (const auto& [name, share] : least) EXPECT_GE(LeastChangedShare(Frames(name)), share) << name;
}

TEST(SpriteArt, NoFigureThinsIntoAOnePixelLineInAnyFrame)
{
    for (const SheetSpec& wanted : GameSheets()) {
        if (wanted.role != SheetRole::Solid) continue;
        const std::vector<PixelImage> finished = Frames(wanted);
        SpriteRecipe bare = Recipe(wanted.name);  // the figure before its outline is drawn round it
        bare.outline.reset();
        for (int f = 0; f < bare.frames; ++f) {
            EXPECT_LE(LongestThinRun(finished.at(static_cast<std::size_t>(f))), 1) << wanted.name << " frame " << f;
            EXPECT_LE(LongestThinRun(DrawFrame(bare, f)), 1) << wanted.name << " frame " << f << " without its outline";
        }
    }
}

TEST(SpriteArt, BossesKeepToAFewHandPickedShades)
{
    constexpr int MostShades = 40;
    for (const char* name : LargeBosses) EXPECT_LE(DistinctShades(Frames(name)), MostShades) << name;
    for (const char* name : EnlargedBosses) EXPECT_LE(DistinctShades(Frames(name)), MostShades) << name;
}

TEST(SpriteArt, BossesMoveSeveralPartsAtOnce)
{
    constexpr int LeastParts = 4;
    for (const char* name : LargeBosses) EXPECT_GE(VisiblyMovingParts(Recipe(name), LeastParts), LeastParts) << name;
}

}  // namespace
