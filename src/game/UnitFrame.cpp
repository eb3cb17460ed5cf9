#include "UnitFrame.h"

#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "graphics/UnitScreenBuf.h"
#include "graphics/UnitTCSC.h"

#include <array>
#include <string_view>

namespace {

struct TFixedSet {
    std::string_view name;
    std::int32_t frames;
};

// Loaded into the store's first entries at start-up.
constexpr std::array<TFixedSet, 8> FixedSets = {{
    {"mine", 12},    // the player's ship
    {"minedark", 12},  // the ship in its dark phase
    {"shot", 1},     // the player's bullets
    {"eshot", 1},    // enemy bullets
    {"bom01", 10},   // hits on enemies
    {"bom02", 10},   // destroyed enemies
    {"bom01b", 10},  // the player's explosions
    {"bom02b", 10},  // the player's last explosion
}};

}  // namespace

void CreateBuffers()
{
    ScreenBufMain = std::make_unique<TScreenBufMain>();
    ScreenBufSide = std::make_unique<TScreenBufSide>();
    for (std::unique_ptr<TCSC>& set : CSCTable) set = std::make_unique<TCSC>();
}

void LoadSprites()
{
    ScreenBufMain->InitMain(256, 416, MakeTriple(0, 0, 0));
    ScreenBufSide->InitSide(160, 416, Mine->panelView(), MakeTriple(64, 64, 64));
    for (std::size_t i = 0; i < FixedSets.size(); ++i)
        CSCTable[i]->LoadBmp(FixedSets[i].name, FixedSets[i].frames, ScreenBufMain->Work, 1);
    FixedCSCCount = std::int32_t(FixedSets.size());
}

void FreeBuffers()
{
    ScreenBufMain.reset();
    ScreenBufSide.reset();
    for (std::unique_ptr<TCSC>& set : CSCTable) set.reset();
}
