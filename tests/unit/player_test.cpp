// The player: the glide in from the side panel, inertia, walls and friction,
// what each action costs from the gauge, the bomb's price, the homing
// target's cycle, and ships lost to hits.
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTBomb.h"
#include "chara/UnitTShot.h"
#include "graphics/UnitScreenBuf.h"
#include "platform/Audio.h"
#include "platform/Keys.h"
#include "runtime/MyWave.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"
#include "support/GameRuntime.h"
#include "support/SoundLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class Player : public ::testing::Test {
protected:
    TGameRuntime runtime;
    TMyChara& me = *Mine;

    void SetUp() override
    {
        runtime.PrepareStage();
        me.invulnFrames = 0;
    }
    // The player's part of a frame of play, in the game's order.
    void Frame()
    {
        me.recharge();
        playerControl();
        MoveAll();
        me.endFrame();
    }
};

TEST_F(Player, AShipGlidesInFromThePanelAndComesToRest)
{
    me.lives = 3;
    ScreenBufSide->LivesAnim.count = 7;
    Audio::StartLog();
    me.enter();
    EXPECT_EQ(PlayedWaves(), std::vector<std::string>{"dat/bullet.wav"});
    EXPECT_EQ(me.lives, 2);
    EXPECT_EQ(me.anim.count, 7) << "the same frame as the icons it leaves";
    EXPECT_EQ(me.x, 400);
    EXPECT_EQ(me.y, 512);
    EXPECT_TRUE(me.entering);
    EXPECT_EQ(me.invulnFrames, 50);
    std::vector<bool> entering;
    for (int i = 0; i < 16; ++i) {
        me.update();
        entering.push_back(me.entering);
    }
    EXPECT_EQ(me.x, 264);
    EXPECT_EQ(me.y, 457);
    EXPECT_EQ(me.vx, 0);
    EXPECT_EQ(me.vy, 0);
    EXPECT_TRUE(entering[1]) << "x 369: the right edge is still outside";
    EXPECT_FALSE(entering[2]) << "x 355: the right edge is inside the window";
    EXPECT_EQ(me.invulnFrames, 34);
}

TEST_F(Player, KeysAreIgnoredWhileEntering)
{
    me.entering = true;
    KeyTableKeyDown(VK::Right);
    KeyTableKeyDown(VK::Z);
    playerControl();
    EXPECT_EQ(me.ax, 0);
    EXPECT_EQ(me.energy, 2000);
}

TEST_F(Player, HoldingOneDirectionSpeedsUpWithoutLimitAndReleaseGlides)
{
    KeyTableKeyDown(VK::Left);
    std::vector<std::int32_t> steps;
    for (int i = 0; i < 5; ++i) {
        const std::int32_t before = me.x;
        Frame();
        steps.push_back(before - me.x);
    }
    EXPECT_EQ(steps, (std::vector<std::int32_t>{2, 3, 4, 5, 6}));
    KeyTableKeyUp(VK::Left);
    steps.clear();
    for (int i = 0; i < 7; ++i) {
        const std::int32_t before = me.x;
        Frame();
        steps.push_back(before - me.x);
    }
    EXPECT_EQ(steps, (std::vector<std::int32_t>{5, 4, 3, 2, 1, 0, 0}));
}

TEST_F(Player, OppositeKeysCancelButStillCostEnergy)
{
    KeyTableKeyDown(VK::Left);
    KeyTableKeyDown(VK::Right);
    KeyTableKeyDown(VK::Up);
    me.energy = 500;
    playerControl();
    EXPECT_EQ(me.energy, 490);
    EXPECT_EQ(me.ax, 0);
    EXPECT_EQ(me.ay, -2);
    me.energy = 9;
    me.ay = 0;
    playerControl();
    EXPECT_EQ(me.ay, 0) << "steering that cannot be paid for does nothing";
    EXPECT_EQ(me.energy, 9);
}

TEST_F(Player, TheWallsStopOnlyAShipMovingOutward)
{
    struct TCase {
        std::int32_t x, y, vx, vy;
        std::int32_t wantX, wantY, wantVx, wantVy;
    };
    const TCase cases[] = {
        {130, 300, -5, 0, 128, 300, 0, 0},  // stopped at the left wall
        {380, 300, 6, 0, 383, 300, 0, 0},   // the right wall is at 383
        {200, 130, 0, -4, 200, 128, 0, 0},
        {200, 540, 0, 9, 200, 543, 0, 0},
        {100, 300, 2, 0, 102, 300, 1, 0},   // outside the window moving inward: not pulled in
        {400, 300, -3, 0, 397, 300, -2, 0},
        {200, 300, 3, -3, 203, 297, 2, -2},  // friction takes one toward rest
    };
    for (const TCase& c : cases) {
        me.x = c.x;
        me.y = c.y;
        me.vx = c.vx;
        me.vy = c.vy;
        me.update();
        EXPECT_EQ(me.x, c.wantX) << "from " << c.x << ", " << c.y;
        EXPECT_EQ(me.y, c.wantY) << "from " << c.x << ", " << c.y;
        EXPECT_EQ(me.vx, c.wantVx) << "from " << c.x << ", " << c.y;
        EXPECT_EQ(me.vy, c.wantVy) << "from " << c.x << ", " << c.y;
    }
}

// The frames (counted from 1) in which the beam was on, and its widths.
struct TLaserLog {
    std::vector<std::int32_t> frames;
    std::vector<std::int32_t> widths;
};

TEST_F(Player, TheLaserFromAFullGaugeLasts24FramesThenFiresInSingleFrames)
{
    KeyTableKeyDown(VK::X);
    TLaserLog log;
    for (std::int32_t frame = 1; frame <= 40; ++frame) {
        me.recharge();
        playerControl();
        MoveAll();
        if (me.laserWidth > 0) {
            log.frames.push_back(frame);
            log.widths.push_back(me.laserWidth);
        }
        me.endFrame();
    }
    std::vector<std::int32_t> frames, widths;
    for (std::int32_t f = 1; f <= 24; ++f) frames.push_back(f);
    for (std::int32_t f : {26, 31, 36}) frames.push_back(f);
    widths = {2, 4, 6, 8};
    widths.resize(24, 10);
    widths.insert(widths.end(), {2, 2, 2});
    EXPECT_EQ(log.frames, frames);
    EXPECT_EQ(log.widths, widths);
}

TEST_F(Player, TheDarkPhaseFromAFullGaugeLasts49Frames)
{
    KeyTableKeyDown(VK::A);
    Audio::StartLog();
    std::vector<std::int32_t> darkFrames;
    for (std::int32_t frame = 1; frame <= 55; ++frame) {
        me.recharge();
        playerControl();
        if (me.dark) {
            darkFrames.push_back(frame);
            EXPECT_FALSE(me.hittable());
        }
        MoveAll();
        me.endFrame();
    }
    std::vector<std::int32_t> expected;
    for (std::int32_t f = 1; f <= 49; ++f) expected.push_back(f);
    for (std::int32_t f : {51, 54}) expected.push_back(f);  // then whenever the gauge holds 60 again
    EXPECT_EQ(darkFrames, expected);
    const std::vector<std::string> sounds = PlayedWaves();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "dat/weakshort.wav"), 51);
}

TEST_F(Player, TheDarkPhaseWaitsForTheInvulnerabilityToRunOut)
{
    KeyTableKeyDown(VK::A);
    me.invulnFrames = 2;
    playerControl();
    EXPECT_FALSE(me.dark);
    me.invulnFrames = 1;
    playerControl();
    EXPECT_TRUE(me.dark);
}

TEST_F(Player, TheMainShotFiresAPairEveryThirdFrameWithoutDrainingTheGauge)
{
    KeyTableKeyDown(VK::Z);
    me.vx = 3;
    me.vy = -2;
    me.recharge();
    playerControl();
    EXPECT_EQ(Shots[0]->vx, 4) << "the ship's velocity plus the pair's own";
    EXPECT_EQ(Shots[0]->vy, -17);
    EXPECT_EQ(Shots[1]->vx, 2);
    EXPECT_EQ(Shots[1]->vy, -17);
    for (int i = 0; i < 10; ++i) Shots[0]->update();
    EXPECT_EQ(Shots[0]->vy, -27) << "bullets speed up toward the top";

    std::vector<std::int32_t> firedIn;
    me.vx = me.vy = 0;
    for (std::int32_t frame = 0; frame < 30; ++frame) {
        const std::int32_t before = LiveCount(Shots);
        me.recharge();
        playerControl();
        if (LiveCount(Shots) > before) firedIn.push_back(frame);
        MoveAll();
        me.endFrame();
        EXPECT_GE(me.energy, 1970);
    }
    EXPECT_EQ(firedIn, (std::vector<std::int32_t>{3, 6, 9, 12, 15, 18, 21, 24, 27}));
}

TEST_F(Player, ABombCostsAThousandPointsAndIsRefusedWithoutThem)
{
    KeyTableKeyDown(VK::D);
    Score = 999;
    playerControl();
    EXPECT_EQ(me.bombRadius, 0);
    EXPECT_EQ(Score, 999);

    Score = 1000;
    Audio::StartLog();
    playerControl();
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(me.bombRadius, 250);
    EXPECT_EQ(me.bombEffect, 250);
    EXPECT_EQ(me.bombX, me.x);
    EXPECT_EQ(me.invulnFrames, 50);
    EXPECT_EQ(PlayedWaves().front(), "dat/bomb.wav");
    EXPECT_EQ(WaveHold, 48);
    me.endFrame();
    EXPECT_EQ(me.bombRadius, 0) << "the blast acts in one frame";

    struct TRefusal {
        const char* why;
        bool stageClear, alive;
        std::int32_t effect;
    };
    const TRefusal refusals[] = {
        {"the last blast is still shrinking", false, true, 1},
        {"the stage is cleared", true, true, 0},
        {"the ship is dying", false, false, 0},
    };
    for (const TRefusal& r : refusals) {
        Score = 5000;
        StageClear = r.stageClear;
        me.alive = r.alive;
        me.bombEffect = r.effect;
        playerControl();
        EXPECT_EQ(Score, 5000) << r.why;
    }
    StageClear = false;
    me.alive = true;
    me.bombEffect = 0;
    playerControl();
    EXPECT_EQ(Score, 4000) << "held, D bombs again once the blast has shrunk away";
}

TEST_F(Player, TheHomingTargetCyclesThroughLiveEnemiesTheBossSlotIncluded)
{
    for (std::size_t slot : {3u, 10u}) Enemies[slot]->spawnKind(4, 200, 200);
    spawnBoss(19, 300, 200);
    std::vector<std::int32_t> targets;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(me.findTarget());
        targets.push_back(me.targetIndex);
    }
    EXPECT_EQ(targets, (std::vector<std::int32_t>{3, 10, 127, 3, 10}));

    me.energy = 119;
    EXPECT_FALSE(me.findTarget()) << "looking needs 120 in the gauge";
    EXPECT_EQ(me.targetIndex, 10);

    me.energy = 2000;
    Enemies[3]->setPresence(false);
    Enemies[127]->setPresence(false);
    EXPECT_TRUE(me.findTarget());
    EXPECT_EQ(me.targetIndex, 10) << "the old target's slot is looked at last";
    Enemies[10]->setPresence(false);
    EXPECT_FALSE(me.findTarget());
    EXPECT_EQ(me.targetIndex, 10);
}

TEST_F(Player, HomingShotsMoveTheTargetOnEveryFrameAndFireEveryThird)
{
    for (std::size_t slot : {1u, 2u}) Enemies[slot]->spawnKind(4, 200, 200);
    KeyTableKeyDown(VK::C);
    std::vector<std::int32_t> targets;
    for (int frame = 0; frame < 4; ++frame) {
        me.recharge();
        playerControl();
        targets.push_back(me.targetIndex);
        me.update();
        me.endFrame();
    }
    EXPECT_EQ(targets, (std::vector<std::int32_t>{1, 2, 1, 2}));
    EXPECT_EQ(LiveCount(Shots), 2) << "frames 0 and 3";
    EXPECT_EQ(Shots[0]->target, Enemies[1].get());
    EXPECT_EQ(Shots[1]->target, Enemies[2].get());
    EXPECT_EQ(Shots[0]->power, 2);
}

TEST_F(Player, TheShipHasItsCurrentShipAndItsLivesThenTheGameEnds)
{
    me.lives = 2;
    Audio::StartLog();
    std::vector<std::int32_t> livesAfterEntry;
    for (int hit = 0; hit < 3; ++hit) {
        me.invulnFrames = 0;
        ASSERT_TRUE(me.hittable());
        me.hit();
        EXPECT_FALSE(me.alive);
        EXPECT_TRUE(me.exists);
        EXPECT_EQ(me.deathFrames, 15);
        const std::int32_t explosionsBefore = LiveCount(Bombs);
        for (int i = 0; i < 15; ++i) me.update();
        EXPECT_EQ(LiveCount(Bombs) - explosionsBefore, 10) << "an explosion in each of the first 10 dying updates";
        me.update();
        if (hit < 2) livesAfterEntry.push_back(me.lives);
        for (const auto& bomb : Bombs) bomb->setPresence(false);
    }
    EXPECT_EQ(livesAfterEntry, (std::vector<std::int32_t>{1, 0}));
    EXPECT_TRUE(GameOver);
    EXPECT_EQ(GameOverCount, 200);
    EXPECT_TRUE(std::filesystem::exists(runtime.Folder() / "レポート.txt")) << "the lost game is recorded";
    EXPECT_FALSE(me.exists) << "no reserve: the ship is gone";
    const std::vector<std::string> sounds = PlayedWaves();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "dat/fire.wav"), 2);
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "dat/break.wav"), 1);
}

TEST_F(Player, AnInvulnerableShipSparklesAndTheDarkShipHasItsOwnSet)
{
    me.invulnFrames = 5;
    me.draw();
    EXPECT_EQ(LiveCount(Bombs), 1);
    EXPECT_EQ(me.sprite->name, "mine");
    me.dark = true;
    me.draw();
    EXPECT_EQ(me.sprite->name, "minedark");
    me.alive = false;
    me.draw();
    EXPECT_EQ(LiveCount(Bombs), 2) << "a dying ship is not drawn and does not sparkle";
}

}  // namespace
