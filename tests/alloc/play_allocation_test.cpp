// Thousands of ticks of play across every stage allocate nothing on the game
// thread: steering, every weapon, bombs, deaths, a boss's death and the stage
// clear, pause, and the frame rate in the caption. Stage starts and loading a
// piece of music are outside the count.
#include "AllocationCount.h"
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTShot.h"
#include "game/UnitFrame.h"
#include "platform/Keys.h"
#include "runtime/MyTime.h"
#include "runtime/UnitMain.h"
#include "stage/UnitStage.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <thread>
#include <string>

namespace {

constexpr std::int32_t TicksPerStage = 600;

// Which keys the script holds in a tick: a changing mix of everything.
void PlayKeys(TGameRuntime& runtime, std::int32_t tick)
{
    struct TPattern {
        std::uint8_t key;
        std::int32_t period, held;
    };
    constexpr std::array<TPattern, 10> patterns = {{
        {VK::Z, 7, 5}, {VK::X, 29, 9}, {VK::C, 13, 4}, {VK::S, 41, 6}, {VK::A, 53, 7},
        {VK::D, 97, 2}, {VK::Left, 11, 5}, {VK::Right, 17, 6}, {VK::Up, 23, 4}, {VK::Down, 19, 5},
    }};
    for (const TPattern& p : patterns) {
        const std::int32_t phase = tick % p.period;
        if (phase == 0) runtime.Press(p.key);
        if (phase == p.held) runtime.Release(p.key);
    }
}

// The ship struck from time to time, when it can be.
void StrikeNowAndThen(std::int32_t tick)
{
    if (tick % 150 == 75 && Mine->hittable()) EShots[0]->launch(Mine->x, Mine->y, 0, 0, 0, 0, 1);
}

// What the play went through, so the count is known to cover it.
struct TSeen {
    bool bomb = false, death = false, laser = false, barrier = false, dark = false, homing = false, pause = false,
         bossDeath = false, stageClear = false;
};
TSeen seen;

void Observe()
{
    seen.bomb = seen.bomb || Mine->bombRadius == 250;
    seen.death = seen.death || (Mine->exists && !Mine->alive);
    seen.laser = seen.laser || Mine->laserWidth > 0;
    seen.barrier = seen.barrier || Mine->barrier;
    seen.dark = seen.dark || Mine->dark;
    seen.homing = seen.homing || std::any_of(Shots.begin(), Shots.end(), [](const auto& s) { return s->homingFrames > 0; });
    seen.bossDeath = seen.bossDeath || (Enemies[BossSlot]->exists && !Enemies[BossSlot]->alive);
    seen.stageClear = seen.stageClear || StageClear;
}

void PauseAndResume(TGameRuntime& runtime)
{
    runtime.Press(VK::Space);
    runtime.Tick(3);
    seen.pause = seen.pause || Pause;
    runtime.Release(VK::Space);
    runtime.Press(VK::Space);
    runtime.Tick();
    runtime.Release(VK::Space);
}

// One stage's play, then its boss killed and the stage clear run down to the
// tick before its chapter (which is not play).
void PlayStage(TGameRuntime& runtime, std::int32_t tick0)
{
    for (std::int32_t t = 0; t < TicksPerStage; ++t) {
        PlayKeys(runtime, tick0 + t);
        StrikeNowAndThen(t);
        if (t == 300) PauseAndResume(runtime);
        runtime.Tick();
    }
    if (StageNo >= 10 || GameOver) return;
    spawnBoss(std::uint8_t(10 + StageNo), 256, 300);
    Enemies[BossSlot]->damage(Enemies[BossSlot]->hp);
    while (StageClear && ClearCount > 0) runtime.Tick();
}

TEST(NoAllocation, ThousandsOfTicksOfPlayAcrossTheStagesAllocateNothing)
{
    TGameRuntime runtime;
    // The one-frame weapon states are seen while the frame is drawn, before the tick clears them.
    OnGameFrameDrawn = Observe;
    runtime.Press(VK::P);  // the frame rate in the caption
    runtime.Tick();
    runtime.Release(VK::P);
    std::int64_t allocations = 0;
    std::int32_t played = 0;
    std::string where;
    for (std::int32_t stage = 0; stage <= 10; ++stage) {
        NewGame(stage);
        Mine->lives = 50;
        Score = 1000000;
        // The Another stage from just before its bonus boss and second piece
        // of music, whose loading is outside the count.
        if (stage == 10) StageFrame = 6001;
        runtime.Tick();
        const TAllocationCount count;
        PlayStage(runtime, played);
        if (count.Allocations() > 0 && where.empty()) where = "stage " + std::to_string(stage);
        allocations += count.Allocations();
        played += TicksPerStage;
    }
    EXPECT_EQ(allocations, 0) << "first in " << where;
    EXPECT_GT(played, 6000);
    EXPECT_TRUE(FpsVisible);
    OnGameFrameDrawn = nullptr;
    const std::pair<const char*, bool> covered[] = {
        {"a bomb", seen.bomb},   {"a death", seen.death},     {"the laser", seen.laser},
        {"the barrier", seen.barrier}, {"the dark phase", seen.dark}, {"a homing shot", seen.homing},
        {"a boss's death", seen.bossDeath}, {"a stage clear", seen.stageClear}, {"a pause", seen.pause},
    };
    for (const auto& [what, was] : covered) EXPECT_TRUE(was) << "the play never had " << what;
}

TEST(AllocationCount, SeesEveryKindOfAllocationOnItsThreadOnly)
{
    // Kept where the compiler cannot see them go, so no allocation is optimised away.
    static void* volatile kept = nullptr;
    const TAllocationCount count;
    kept = std::malloc(10);
    std::free(kept);
    kept = std::calloc(2, 10);
    std::free(kept);
    kept = std::realloc(nullptr, 10);
    std::free(kept);
    kept = new int(3);
    delete static_cast<int*>(kept);
    kept = new char[40];
    delete[] static_cast<char*>(kept);
    EXPECT_EQ(count.Allocations(), 5);
    std::thread([] {
        for (int i = 0; i < 100; ++i) {
            kept = std::malloc(10);
            std::free(kept);
        }
    }).join();
    EXPECT_LT(count.Allocations(), 5 + 100) << "starting a thread allocates here, but its own allocations are not counted";
}

}  // namespace
