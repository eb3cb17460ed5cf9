// The pools and spawners: which slots are searched, what a full pool drops,
// the order of all 450 characters, bullet set-up and explosion lifetimes.
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTBomb.h"
#include "chara/UnitTShot.h"
#include "platform/Keys.h"
#include "runtime/MyRandom.h"
#include "runtime/UnitGetKey.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class Pools : public ::testing::Test {
protected:
    TGameRuntime runtime;
    void SetUp() override { runtime.PrepareStage(); }
    void TearDown() override { SetRandomSource(nullptr); }
};

TEST_F(Pools, AllCharactersAreListedInMovingAndDrawingOrder)
{
    ASSERT_EQ(AllCharas.size(), 450u);
    for (std::size_t i = 0; i < 128; ++i) EXPECT_EQ(AllCharas[i], Enemies[i].get());
    for (std::size_t i = 0; i < 128; ++i) EXPECT_EQ(AllCharas[128 + i], Bombs[i].get());
    for (std::size_t i = 0; i < 64; ++i) EXPECT_EQ(AllCharas[256 + i], Shots[i].get());
    EXPECT_EQ(AllCharas[320], Friend.get());
    EXPECT_EQ(AllCharas[321], Mine.get());
    for (std::size_t i = 0; i < 128; ++i) EXPECT_EQ(AllCharas[322 + i], EShots[i].get());
    EXPECT_EQ(Mine->sprite->name, "mine");
    EXPECT_EQ(Shots[63]->sprite->name, "shot");
    EXPECT_EQ(EShots[127]->sprite->name, "eshot");
}

TEST_F(Pools, SlotOneHundredTwentySevenIsOnlyForTheBossSpawners)
{
    for (int i = 0; i < 127; ++i) spawnEnemy(0, 200, 200);
    EXPECT_EQ(LiveCount(Enemies), 127);
    EXPECT_FALSE(Enemies[127]->exists);
    spawnEnemy(0, 200, 200);
    spawnAimedEnemy(0, 200, 200, 5);
    EXPECT_FALSE(Enemies[127]->exists) << "ordinary spawns are dropped";

    spawnBoss(10, 256, 80);
    EXPECT_TRUE(Enemies[127]->boss);
    EXPECT_EQ(Enemies[127]->kind, 10);
    Enemies[127]->x = 111;
    spawnBoss(12, 256, 80);
    spawnBonusBoss(28, 256, 80);
    EXPECT_EQ(Enemies[127]->kind, 10) << "nothing happens while the slot is taken";
    EXPECT_EQ(Enemies[127]->x, 111);

    Enemies[127]->setPresence(false);
    spawnBonusBoss(28, 256, 80);
    EXPECT_FALSE(Enemies[127]->boss) << "a bonus boss does not end the stage";
    EXPECT_EQ(Enemies[127]->points, 10000);
}

TEST_F(Pools, AFullShotPoolSpendsTheEnergyButFiresNothingAndOneFreeSlotFiresTheFirstOfThePair)
{
    for (const auto& shot : Shots) shot->launch(300, 300, 0, 0, 0, 0, 1);
    KeyTableKeyDown(VK::Z);
    Mine->invulnFrames = 0;
    playerControl();
    EXPECT_EQ(Mine->energy, 1970);
    for (const auto& shot : Shots) EXPECT_EQ(shot->x, 300);

    Mine->shotCooldown = 0;
    Shots[40]->setPresence(false);
    playerControl();
    EXPECT_EQ(LiveCount(Shots), 64);
    EXPECT_EQ(Shots[40]->vx, Mine->vx + 1) << "the first of the pair";
}

TEST_F(Pools, EnemyBulletsAreAimedAtThePlayerButNeverFiredFromItsCentre)
{
    fireEnemyAimed(Mine->x, Mine->y, 5);
    fireEnemyHoming(Mine->x, Mine->y, 5);
    EXPECT_EQ(LiveCount(EShots), 0);
    fireEnemyAimed(Mine->x - 3, Mine->y - 4, 5);
    EXPECT_EQ(EShots[0]->vx, 3);
    EXPECT_EQ(EShots[0]->vy, 4);
    EXPECT_EQ(EShots[0]->ax, 0) << "enemy bullets fly straight";
    fireEnemyHoming(200, 200, 7);
    EXPECT_EQ(EShots[1]->target, Mine.get());
    EXPECT_EQ(EShots[1]->homingFrames, 50);
    EXPECT_EQ(EShots[1]->vx, 0) << "starts at rest; the first update aims it";
    EXPECT_EQ(EShots[1]->homingSpeed, 7);
}

TEST_F(Pools, AnExplosionMovesNineteenTimesAndIsGoneInItsTwentiethUpdate)
{
    explode("bom01", 200, 200, 1, -1);
    TBomb& bomb = *Bombs[0];
    EXPECT_EQ(bomb.sprite->name, "bom01");
    EXPECT_EQ(bomb.life, 19);
    for (int i = 0; i < 19; ++i) {
        bomb.update();
        ASSERT_TRUE(bomb.exists) << "update " << i + 1;
    }
    EXPECT_EQ(bomb.x, 219);
    EXPECT_EQ(bomb.y, 181);
    bomb.update();
    EXPECT_FALSE(bomb.exists);
    EXPECT_EQ(bomb.x, 219) << "no move in the last update";
}

TEST_F(Pools, ScatteredExplosionsDrawYThenVelocityThenX)
{
    std::vector<std::int32_t> asked;
    const std::vector<std::int32_t> answers = {4, 0, 10, 1};
    SetRandomSource([&](std::int32_t n) {
        asked.push_back(n);
        return answers.at(asked.size() - 1);
    });
    scatterExplosion("bom02", 200, 300, 5);
    EXPECT_EQ(asked, (std::vector<std::int32_t>{5, 11, 11, 5}));
    const TBomb& bomb = *Bombs[0];
    EXPECT_EQ(bomb.y, 302);
    EXPECT_EQ(bomb.vx, -5);
    EXPECT_EQ(bomb.vy, 5);
    EXPECT_EQ(bomb.x, 199);
    EXPECT_EQ(bomb.sprite->name, "bom02");
}

TEST_F(Pools, ScatteredExplosionsStayWithinTheirSpread)
{
    for (int i = 0; i < 500; ++i) {
        scatterExplosion("bom01", 250, 350, 2);
        const TBomb& bomb = *Bombs[0];
        EXPECT_LE(std::abs(bomb.x - 250), 2);
        EXPECT_LE(std::abs(bomb.y - 350), 2);
        EXPECT_LE(std::abs(bomb.vx), 2);
        EXPECT_LE(std::abs(bomb.vy), 2);
        Bombs[0]->setPresence(false);
    }
}

TEST_F(Pools, AFullExplosionPoolDropsTheRequestWithoutDrawing)
{
    for (int i = 0; i < 128; ++i) explode("bom01", 200, 200, 0, 0);
    std::int32_t draws = 0;
    SetRandomSource([&](std::int32_t) { return ++draws, 0; });
    scatterExplosion("bom01", 300, 300, 2);
    explode("bom02", 300, 300, 0, 0);
    EXPECT_EQ(draws, 0);
    for (const auto& bomb : Bombs) EXPECT_EQ(bomb->x, 200);
}

}  // namespace
