// The game's runtime started the way the game starts it, through the main
// form's own start-up, but headless (fake clock, silent audio, scripted
// message boxes) and in a temporary folder whose dat/ holds the small fixture
// sheets: the game reads its assets relative to its current folder, and this
// is the seam rule tests start it through.
#pragma once

#include "FixtureSheets.h"
#include "TempFolder.h"
#include "game/UnitForm.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cstdint>
#include <memory>

// How many objects of a pool are in use.
template <typename TPool>
std::int32_t LiveCount(const TPool& pool)
{
    return std::int32_t(std::count_if(pool.begin(), pool.end(), [](const auto& c) { return c->exists; }));
}

class TGameRuntime {
public:
    explicit TGameRuntime(std::uint64_t seed = 1);
    ~TGameRuntime();
    TGameRuntime(const TGameRuntime&) = delete;
    TGameRuntime& operator=(const TGameRuntime&) = delete;

    const TTempFolder& Folder() const { return folder_; }
    TFormMain& Form() { return *form_; }
    Platform::TFakeClock clock{100000};

    // What a stage start leaves for the characters: every one of them free,
    // the store's stage entries free, the player entered and come to rest,
    // and the stage clock at 0.
    void PrepareStage();
    // Runs the current scene's tick n times, 51 ms apart, as the frame loop would.
    void Tick(std::int32_t n = 1);
    // A key pressed or released through the form, as between two ticks.
    void Press(std::uint8_t key);
    void Release(std::uint8_t key);

private:
    TTempFolder folder_;
    std::unique_ptr<TInFolder> inFolder_;
    std::unique_ptr<TFormMain> form_;
};
