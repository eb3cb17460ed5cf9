// The generated sprite sheets, side panel and icon, read with the game's own loaders.
#include "graphics/MyImage.h"
#include "graphics/UnitTCSC.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TSheet {
    const char* name;
    std::int32_t frames;  // 0: square frames, as the stage sets are loaded
    bool solidCentre;     // ships, enemies and bullets: collisions test centres
};

const TSheet Sheets[] = {
    {"mine", 12, true},     {"minedark", 12, true}, {"shot", 1, true},     {"eshot", 1, true},
    {"bom01", 10, false},   {"bom02", 10, false},   {"bom01b", 10, false}, {"bom02b", 10, false},
    {"teki01", 0, true},    {"teki01t", 0, true},   {"teki02", 0, true},   {"teki02r", 0, true},
    {"teki03", 0, true},    {"teki03r", 0, true},   {"teki04", 0, true},   {"teki04r", 0, true},
    {"teki06", 0, true},    {"teki06g", 0, true},   {"teki06r", 0, true},  {"blood", 0, true},
    {"shadow", 0, true},    {"meteo1", 0, true},    {"meteo2", 0, true},   {"meteo3", 0, true},
    {"meteo4", 0, true},    {"meteo5", 0, true},    {"my2", 0, true},      {"e0", 0, true},
    {"e15", 0, true},       {"e16", 0, true},       {"e19", 0, true},      {"e7", 0, true},
};

// Opaque pixels of a frame, and whether its centre is one of them.
struct TFrameReport {
    std::int32_t opaque = 0;
    bool centreOpaque = false;
};

TFrameReport InspectFrame(const TCharaShell& frame)
{
    TFrameReport report;
    for (std::int32_t y = 0; y < frame.height; ++y)
        for (std::int32_t x = 0; x < frame.width; ++x) report.opaque += frame.IsSolid(x, y);
    report.centreOpaque = frame.IsSolid(frame.width / 2, frame.height / 2);
    return report;
}

TEST(SpriteSheets, EveryFrameHasAFigureAndSolidOnesAreOpaqueAtTheCentre)
{
    TBitmap playfield;
    for (const TSheet& s : Sheets) {
        SCOPED_TRACE(s.name);
        TCSC set;
        ASSERT_NO_THROW(set.LoadBmp(s.name, s.frames, playfield, 1));
        ASSERT_GE(set.frameCount, 1);
        if (s.frames > 0) {
            EXPECT_EQ(set.frameCount, s.frames);
        }
        for (std::int32_t f = 0; f < set.frameCount; ++f) {
            const TFrameReport r = InspectFrame(set.GetShell(f));
            EXPECT_GT(r.opaque, 0) << "frame " << f;
            if (s.solidCentre) {
                EXPECT_TRUE(r.centreOpaque) << "frame " << f;
            }
        }
    }
}

TEST(SpriteSheets, SquareFramesFillTheSheet)
{
    for (const TSheet& s : Sheets) {
        if (s.frames != 0) continue;
        TBitmap sheet;
        LoadPicture("dat/" + std::string(s.name) + ".bmp", sheet);
        EXPECT_EQ(sheet.Width() % sheet.Height(), 0) << s.name << ": no columns left over";
    }
}

TEST(SpriteSheets, SizesServeThePlay)
{
    struct TSize {
        const char* name;
        std::int32_t scale, minSide, maxSide;
    };
    const TSize sizes[] = {
        {"mine", 1, 28, 36},       // the panel spaces its ship icons 32 pixels apart
        {"eshot", 1, 3, 12},       // small
        {"teki01", 3, 24, 256},    // bosses at ×2 and ×3 still fit the playfield
        {"teki01t", 3, 24, 256},  {"teki03", 2, 24, 256}, {"teki04", 3, 24, 256},
        {"teki06", 2, 24, 256},   {"teki06r", 2, 24, 256}, {"teki06g", 2, 24, 256},
        {"blood", 1, 64, 160},     // bosses at scale 1 are large
        {"shadow", 1, 64, 160},   {"e19", 1, 64, 160},
    };
    TBitmap playfield;
    for (const TSize& s : sizes) {
        TCSC set;
        set.LoadBmp(s.name, s.name == std::string("mine") ? 12 : 0, playfield, s.scale);
        EXPECT_GE(set.height, s.minSide) << s.name;
        EXPECT_LE(set.height, s.maxSide) << s.name;
    }
}

TEST(SpriteSheets, SidePanelAndIconHaveTheirSizes)
{
    TBitmap panel, icon;
    LoadPicture("dat/sideback.bmp", panel);
    EXPECT_EQ(panel.Width(), 160);
    EXPECT_EQ(panel.Height(), 416);
    LoadPicture("dat/icon.bmp", icon);
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Height(), 32);
}

}  // namespace
