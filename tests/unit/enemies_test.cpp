// Enemies: the numbers their behaviours rest on, launching, damage and
// points, and the boss's slow death that clears the stage.
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTBomb.h"
#include "chara/UnitTShot.h"
#include "graphics/UnitScreenBuf.h"
#include "platform/Audio.h"
#include "runtime/MyRandom.h"
#include "runtime/MyWave.h"
#include "runtime/UnitMain.h"
#include "support/GameRuntime.h"
#include "support/SoundLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class Enemy : public ::testing::Test {
protected:
    TGameRuntime runtime;
    void SetUp() override { runtime.PrepareStage(); }
    void TearDown() override { SetRandomSource(nullptr); }

    // Every draw answers n − 1: no chance step is ever taken, and ±1 gives +1.
    static void NoChances()
    {
        SetRandomSource([](std::int32_t n) { return n - 1; });
    }
};

TEST(StopDistance, HowFarAVelocityCarriesAtABrakingOfOne)
{
    const std::pair<std::int32_t, std::int32_t> cases[] = {{3, 6}, {0, 0}, {-3, -3}, {1, 1}, {-1, 0}, {10, 55}, {-10, -45}};
    for (const auto& [v, d] : cases) EXPECT_EQ(stopDistance(v), d) << v;
}

TEST_F(Enemy, ADivingWeaverDivesThenSwingsThenFallsAway)
{
    NoChances();
    StageFrame = 1;
    spawnEnemy(3, 256, 100);
    TEnemy& e = *Enemies[0];
    ASSERT_EQ(e.ax, 1);
    ASSERT_EQ(e.vx, -8);
    std::vector<std::int32_t> ys;
    std::int32_t lowX = 1000, highX = -1000, lowVx = 100, highVx = -100;
    for (int update = 1; update <= 90; ++update) {
        e.update();
        ys.push_back(e.y);
        if (update > 20) {
            lowX = std::min(lowX, e.x);
            highX = std::max(highX, e.x);
            lowVx = std::min(lowVx, e.vx);
            highVx = std::max(highVx, e.vx);
        }
    }
    EXPECT_EQ(ys[13], 205) << "the dive ends at y 205 in 14 updates";
    EXPECT_EQ(ys[40], 205);
    EXPECT_EQ(lowVx, -9);
    EXPECT_EQ(highVx, 9);
    EXPECT_EQ(lowX, 228);
    EXPECT_EQ(highX, 309);
    EXPECT_EQ(e.homingFrames, 0);
    e.update();
    EXPECT_EQ(e.ay, 1) << "after its 90-frame timer it drops away";
    e.update();
    EXPECT_GT(e.y, 205);
}

TEST_F(Enemy, ADivingWeaverFiresInEverySecondFrameWhileOnScreen)
{
    NoChances();
    spawnEnemy(3, 256, 100);
    TEnemy& e = *Enemies[0];
    std::vector<bool> fired;
    for (int update = 0; update < 40; ++update) {
        const std::int32_t before = LiveCount(EShots);
        e.update();
        fired.push_back(LiveCount(EShots) > before);
    }
    EXPECT_FALSE(fired[0]) << "above the window at first";
    for (std::size_t i = 10; i + 1 < fired.size(); ++i) EXPECT_NE(fired[i], fired[i + 1]) << "update " << i;
}

TEST_F(Enemy, MeteorsAreSlowedOnlyOnceTheyPassThirty)
{
    NoChances();
    StageFrame = 1;
    spawnEnemy(24, 200, 0);
    TEnemy& meteor = *Enemies[0];
    meteor.y = 0;
    std::vector<std::int32_t> speeds;
    while (meteor.exists && speeds.size() < 200) {
        meteor.update();
        speeds.push_back(meteor.vy);
    }
    EXPECT_EQ(std::vector<std::int32_t>(speeds.begin(), speeds.begin() + 31),
              (std::vector<std::int32_t>{3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
                                         3, 3, 3, 6}))
        << "drifting while its 30-frame timer runs, then falling with its pull of 3";
    const auto first = std::find_if(speeds.begin(), speeds.end(), [](std::int32_t v) { return v > 30; });
    ASSERT_NE(first, speeds.end());
    EXPECT_EQ(*first, 33) << "it flies once at 31 to 33";
    EXPECT_EQ(*(first + 1), 28) << "then is slowed to 25 before its move";
    EXPECT_LE(*std::max_element(speeds.begin(), speeds.end()), 33);
}

TEST_F(Enemy, TheStageTwoBossLaunchesOnlyWhileSlotZeroIsFree)
{
    SetRandomSource([](std::int32_t) { return 0; });  // every chance taken
    spawnBoss(12, 256, 300);
    TEnemy& boss = *Enemies[127];
    spawnEnemy(4, 150, 300);
    spawnEnemy(4, 160, 300);
    Enemies[0]->setPresence(false);
    Enemies[1]->x = 170;
    Enemies[2]->exists = false;
    boss.update();
    ASSERT_TRUE(Enemies[0]->exists);
    EXPECT_EQ(Enemies[0]->kind, 3) << "launched into slot 0";
    EXPECT_EQ(Enemies[0]->points, 0);
    Enemies[0]->y = 300;
    boss.update();
    EXPECT_NE(Enemies[2]->kind, 3) << "slot 0 is taken: nothing is launched, though slot 2 is free";
}

TEST_F(Enemy, LaunchedEnemiesAreAimedButKeepTheirKindsAccelerationAndTimer)
{
    spawnAimedEnemy(4, 256, 300, 0);
    const TEnemy& faller = *Enemies[0];
    EXPECT_EQ(faller.vx, 0);
    EXPECT_EQ(faller.vy, 0);
    EXPECT_EQ(faller.ay, 1);
    EXPECT_EQ(faller.points, 0);

    spawnAimedEnemy(3, Mine->x, Mine->y - 100, 10);
    const TEnemy& weaver = *Enemies[1];
    EXPECT_EQ(weaver.vx, 0);
    EXPECT_EQ(weaver.vy, 10) << "aimed at the player below";
    EXPECT_EQ(weaver.ay, -1);
    EXPECT_EQ(weaver.homingFrames, 90);

    spawnAimedEnemy(0, 256, 60, 5);
    EXPECT_FALSE(Enemies[2]->exists) << "off screen: removed at once";
    spawnAimedEnemy(0, Mine->x, Mine->y, 5);
    EXPECT_FALSE(Enemies[2]->exists) << "not from the player's centre";
}

TEST_F(Enemy, AnOrdinaryKillScoresExplodesAndSounds)
{
    Audio::StartLog();
    spawnEnemy(0, 250, 300);
    TEnemy& e = *Enemies[0];
    e.vx = 2;
    e.damage(1);
    EXPECT_FALSE(e.exists);
    EXPECT_EQ(Score, 1);
    ASSERT_EQ(LiveCount(Bombs), 1);
    EXPECT_EQ(Bombs[0]->sprite->name, "bom01");
    EXPECT_EQ(Bombs[0]->x, 250);
    EXPECT_EQ(Bombs[0]->vx, 2) << "the explosion drifts with the enemy's last velocity";
    EXPECT_EQ(PlayedWaves(), std::vector<std::string>{"dat/pan.wav"});
}

TEST_F(Enemy, HitPointsRunDownBeforeTheKill)
{
    spawnEnemy(6, 250, 300);
    TEnemy& e = *Enemies[0];
    e.damage(14);
    EXPECT_TRUE(e.alive);
    EXPECT_EQ(e.hp, 1);
    e.damage(1);
    EXPECT_FALSE(e.exists);
    EXPECT_EQ(Score, 15);
}

TEST_F(Enemy, NothingIsScoredWhileTheGameIsOver)
{
    GameOver = true;
    spawnEnemy(26, 250, 300);
    Enemies[0]->damage(100);
    spawnBoss(19, 250, 300);
    Enemies[127]->damage(100);
    for (int i = 0; i < 101; ++i) Enemies[127]->update();
    EXPECT_EQ(Score, 0);
}

TEST_F(Enemy, ABossDiesInOneHundredAndOneUpdatesScoringInOneHundred)
{
    NoChances();
    Audio::StartLog();
    spawnBoss(19, 256, 300);
    TEnemy& boss = *Enemies[127];
    boss.damage(99);
    EXPECT_TRUE(boss.alive);
    boss.damage(1);
    EXPECT_FALSE(boss.alive);
    EXPECT_TRUE(boss.exists) << "still drawn while it dies";
    EXPECT_EQ(boss.dyingFrames, 100);
    EXPECT_TRUE(StageClear);
    EXPECT_EQ(ClearCount, 140);
    EXPECT_EQ(Score, 0) << "a boss scores while it dies, not at the kill";

    std::int32_t updates = 0, flashes = 0, explosions = 0;
    std::vector<std::int32_t> scoreAt;
    while (boss.exists && updates < 200) {
        TickWaveHold();
        const std::int32_t before = LiveCount(Bombs);
        boss.update();
        ++updates;
        explosions += LiveCount(Bombs) - before;
        if (ScreenBufMain->FlashPending) {
            ++flashes;
            ScreenBufMain->FlashPending = false;
        }
        scoreAt.push_back(Score);
        for (const auto& bomb : Bombs) bomb->setPresence(false);
    }
    EXPECT_EQ(updates, 101);
    EXPECT_EQ(explosions, 101);
    EXPECT_EQ(Score, 400) << "100 times its 4 points";
    EXPECT_EQ(scoreAt[99], 400);
    EXPECT_EQ(flashes, 2) << "in the 100th and 101st updates";
    const std::vector<std::string> sounds = PlayedWaves();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "dat/open.wav"), 1);
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "dat/collapse.wav"), 50) << "heard every second tick";
}

TEST_F(Enemy, ADyingBossStillMovesButNeitherFiresNorLaunches)
{
    spawnBoss(19, 256, 300);
    TEnemy& boss = *Enemies[127];
    boss.damage(100);
    SetRandomSource([](std::int32_t) { return 0; });  // every chance taken
    const std::int32_t x = boss.x;
    for (int i = 0; i < 20; ++i) boss.update();
    EXPECT_EQ(LiveCount(EShots), 0);
    EXPECT_EQ(LiveCount(Enemies), 1);
    EXPECT_NE(boss.x, x) << "it wanders on";
}

TEST_F(Enemy, OrdinaryEnemiesLeaveTheWorldButBossesComeBackFromTheTop)
{
    NoChances();
    spawnEnemy(0, 250, 660);
    Enemies[0]->vy = 20;
    Enemies[0]->update();
    EXPECT_FALSE(Enemies[0]->exists);
    EXPECT_EQ(Score, 0);

    spawnBoss(19, 600, 700);
    Enemies[127]->update();
    EXPECT_TRUE(Enemies[127]->exists) << "a boss is never removed at the edge";
    Enemies[127]->setPresence(false);

    spawnBoss(10, 250, 590);  // 48 high: y − height is 542
    TEnemy& boss = *Enemies[127];
    boss.update();
    EXPECT_EQ(boss.y, 600);
    boss.update();
    EXPECT_EQ(boss.x, Mine->x) << "fallen far below the window, it comes back in above the player";
    EXPECT_EQ(boss.y, 80 + 10);
}

TEST_F(Enemy, ChasersKeepTheirLastAccelerationOnceTheTimerRunsOut)
{
    NoChances();
    spawnEnemy(2, Mine->x + 50, 200);
    TEnemy& chaser = *Enemies[0];
    chaser.homingFrames = 1;
    chaser.update();
    EXPECT_EQ(chaser.ax, -1);
    EXPECT_EQ(chaser.ay, 1);
    for (int i = 0; i < 12; ++i) chaser.update();
    EXPECT_EQ(chaser.vx, -13) << "no limit any more";
    EXPECT_EQ(chaser.vy, 13);
}

TEST_F(Enemy, ChaseAndWanderRespectTheirLimits)
{
    NoChances();
    spawnEnemy(11, 200, 200);
    TEnemy& chaser = *Enemies[0];
    chaser.vx = 10;
    chaser.vy = -3;
    chaser.x = Mine->x - 100;
    chaser.update();
    EXPECT_EQ(chaser.ax, 0) << "already at the limit toward the player";
    EXPECT_EQ(chaser.ay, 1);

    spawnEnemy(8, 100, 400);
    TEnemy& wanderer = *Enemies[1];
    wanderer.vx = 3;
    wanderer.vy = -10;
    wanderer.update();
    EXPECT_EQ(wanderer.ax, 1) << "left of the box: pushed right";
    EXPECT_EQ(wanderer.ay, 0) << "above the box but already at the speed limit upward";
}

TEST_F(Enemy, TrackingFallersBrakeTowardThePlayer)
{
    spawnEnemy(7, Mine->x - 10, 200);
    TEnemy& faller = *Enemies[0];
    faller.update();
    EXPECT_EQ(faller.ax, 1);
    faller.vx = 4;  // carries 10 pixels: right on the player
    faller.x = Mine->x - 10;
    faller.update();
    EXPECT_EQ(faller.ax, 0);
    faller.vx = 5;
    faller.x = Mine->x - 10;
    faller.update();
    EXPECT_EQ(faller.ax, -1);
}

TEST_F(Enemy, TheSideOfASwingingStartIsOneDraw)
{
    std::vector<std::int32_t> asked;
    SetRandomSource([&](std::int32_t n) {
        asked.push_back(n);
        return 0;
    });
    spawnEnemy(13, 256, 80);
    EXPECT_EQ(asked, std::vector<std::int32_t>{2});
    EXPECT_EQ(Enemies[0]->ax, -1);
    EXPECT_EQ(Enemies[0]->vx, 16) << "swinging against its acceleration";
    asked.clear();
    spawnEnemy(0, 256, 80);
    EXPECT_TRUE(asked.empty()) << "kinds without a swing draw nothing";
}

}  // namespace
