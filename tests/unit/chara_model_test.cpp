// The character model: integer aiming and its square root by counting,
// pixel collisions, removal at the world's edge, homing, and the friend ship.
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTShot.h"
#include "runtime/UnitMain.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CeilSqrt, CountsUpToTheLeastSquareNotBelow)
{
    const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 0},       {1, 1},       {2, 2},  {3, 2},  {4, 2},
                                                           {5, 3},       {9, 3},       {10, 4}, {99, 10},
                                                           {722500, 850}, {722501, 851}};
    for (const auto& [n, root] : cases) EXPECT_EQ(CeilSqrt(n), root) << n;
}

class Characters : public ::testing::Test {
protected:
    TGameRuntime runtime;
    void SetUp() override { runtime.PrepareStage(); }
    TShot& AnEnemyBullet() { return *EShots[0]; }
};

TEST_F(Characters, AimAtPointsAtTheTargetWithoutExceedingTheSpeed)
{
    struct TCase {
        std::int32_t dx, dy, speed, vx, vy;
    };
    const TCase cases[] = {
        {3, 4, 10, 6, 8}, {1, 1, 10, 5, 5}, {-1, 2, 5, -1, 3},  // truncated toward zero
        {0, 0, 10, 0, 0},                                        // on the same spot
        {-300, 0, 7, -7, 0}, {5, -12, 13, 5, -12},
    };
    TShot& shot = AnEnemyBullet();
    for (const TCase& c : cases) {
        shot.launch(Mine->x - c.dx, Mine->y - c.dy, 99, 99, 0, 0, 1);
        shot.aimAt(*Mine, c.speed);
        EXPECT_EQ(shot.vx, c.vx) << c.dx << ", " << c.dy;
        EXPECT_EQ(shot.vy, c.vy) << c.dx << ", " << c.dy;
    }
}

TEST_F(Characters, APointHitsOnlyOpaquePixelsOfTheCurrentFrame)
{
    WriteFixtureSheet(runtime.Folder(), {"holed", 16, 16, 2}, {{5, 5}});
    spawnEnemy(0, 200, 300);  // a 16 × 16 box from (192, 292)
    TEnemy& enemy = *Enemies[0];
    enemy.setSprite("holed");
    struct TCase {
        std::int32_t px, py;
        bool hit;
    };
    const TCase cases[] = {
        {193, 292, true},   // top row
        {192, 293, true},   // left column
        {192, 292, false},  // the see-through top-left pixel
        {197, 297, false},  // a see-through pixel inside the box
        {207, 307, true},   {208, 300, false},  // one past the right edge
        {200, 308, false},  // one past the bottom
        {191, 300, false},  {200, 291, false},
    };
    for (const TCase& c : cases) EXPECT_EQ(enemy.hitsPoint(c.px, c.py), c.hit) << c.px << ", " << c.py;
    TShot& bullet = AnEnemyBullet();
    bullet.launch(193, 292, 0, 0, 0, 0, 1);
    EXPECT_TRUE(enemy.hits(bullet)) << "hits tests the other's centre";
    EXPECT_FALSE(bullet.hits(enemy)) << "and is not symmetric";
}

TEST_F(Characters, TheHitTestUsesTheFrameTheNextDrawShows)
{
    // Two 4 × 4 frames: frame 0 fully opaque (but its key pixel), frame 1 see-through at (2, 2).
    const TFixturePixel k = FixtureKey, c{1, 2, 3};
    std::vector<TFixturePixel> pixels;
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 8; ++x) pixels.push_back((x % 4 == 0 && y == 0) || (x == 6 && y == 2) ? k : c);
    WriteFixtureBitmap(runtime.Folder(), "twoframes", 8, 4, pixels);
    spawnEnemy(4, 200, 300);
    TEnemy& enemy = *Enemies[0];
    enemy.setSprite("twoframes");
    EXPECT_TRUE(enemy.hitsPoint(200, 300));
    enemy.anim.count = 2;  // two ticks per frame: frame 1
    EXPECT_FALSE(enemy.hitsPoint(200, 300));
}

TEST_F(Characters, LeavingTheWorldFreesTheCharacterInThatUpdate)
{
    struct TCase {
        std::int32_t x, y, vx, vy;
        bool stays;
    };
    const TCase cases[] = {
        {510, 300, 1, 0, true},  {511, 300, 1, 0, false}, {1, 300, -1, 0, true},
        {0, 300, -1, 0, false},  {200, 670, 0, 1, true},  {200, 671, 0, 1, false},
        {200, 0, 0, -1, false},
    };
    TShot& shot = AnEnemyBullet();
    for (const TCase& c : cases) {
        shot.launch(c.x, c.y, c.vx, c.vy, 0, 0, 1);
        shot.update();
        EXPECT_EQ(shot.exists, c.stays) << c.x << ", " << c.y;
        EXPECT_EQ(shot.alive, c.stays);
    }
}

TEST_F(Characters, HomingOnADeadTargetKeepsTheVelocityOrDropsAtHalfSpeed)
{
    spawnEnemy(0, 200, 200);
    TEnemy& target = *Enemies[0];
    TShot& standing = *Shots[0];
    TShot& moving = *Shots[1];
    standing.launchHoming(200, 400, target, 10, 2);
    moving.launchHoming(200, 400, target, 10, 2);
    moving.update();
    EXPECT_EQ(moving.vy, -10) << "aimed at the live target";
    target.setPresence(false);
    standing.update();
    moving.update();
    EXPECT_EQ(standing.vx, 0);
    EXPECT_EQ(standing.vy, 5) << "a stalled homing bullet drops at half its speed";
    EXPECT_EQ(moving.vy, -10) << "the last velocity stays";
    EXPECT_EQ(standing.homingFrames, 49);
}

TEST_F(Characters, HomingReAimsForFiftyFramesThenFliesStraight)
{
    TShot& shot = *Shots[0];
    spawnEnemy(0, 300, 200);
    TEnemy& target = *Enemies[0];
    shot.launchHoming(300, 620, target, 10, 2);
    for (int i = 0; i < 50; ++i) {
        target.x = 300;
        target.y = shot.y - 100;
        shot.update();
    }
    EXPECT_EQ(shot.homingFrames, 0);
    target.x = shot.x + 100;
    shot.update();
    EXPECT_EQ(shot.vx, 0) << "no more aiming after 50 frames";
    EXPECT_EQ(shot.vy, -10);
}

TEST_F(Characters, PlaceRunsTheClassesOwnReset)
{
    TEnemy& enemy = *Enemies[5];
    enemy.kind = 3;
    enemy.vx = 77;
    enemy.place(250, 100);
    EXPECT_EQ(enemy.vy, 15) << "the kind's starting motion";
    EXPECT_EQ(enemy.ay, -1);
    EXPECT_EQ(enemy.hp, 8);
    EXPECT_TRUE(enemy.exists && enemy.alive);
    EXPECT_EQ(enemy.x, 250);
}

TEST_F(Characters, TheFriendComesOnceWeavesAndLeavesByTheLeftEdge)
{
    spawnFriend();
    ASSERT_TRUE(Friend->exists);
    EXPECT_EQ(Friend->x, 400);
    EXPECT_EQ(Friend->y, 460);
    Friend->x = 300;
    spawnFriend();
    EXPECT_EQ(Friend->x, 300) << "not spawned again while it exists";
    Friend->x = 400;

    std::vector<std::int32_t> vxs;
    std::int32_t lowest = Friend->y, highest = Friend->y, updates = 0;
    StageFrame = 1;  // never a multiple of 3 below: no shots
    while (Friend->exists && updates < 1000) {
        Friend->update();
        ++updates;
        if (vxs.size() < 29) vxs.push_back(Friend->vx);
        lowest = std::min(lowest, Friend->y);
        highest = std::max(highest, Friend->y);
        StageFrame = StageFrame % 3 == 1 ? 2 : 1;
    }
    const std::vector<std::int32_t> firstPeriod = {-1, -2, -3, -4, -5, -6, -7, -8, -7, -6, -5, -4, -3, -2, -1,
                                                   0,  1,  2,  3,  4,  5,  6,  5,  4,  3,  2,  1,  0,  -1};
    EXPECT_EQ(vxs, firstPeriod);
    EXPECT_EQ(lowest, 460);
    EXPECT_EQ(highest, 524);
    EXPECT_EQ(updates, 373);
    for (const auto& shot : Shots) EXPECT_FALSE(shot->exists) << "no shot off the stage clock's beat";
}

TEST_F(Characters, TheFriendFiresUpwardOnEveryThirdStageFrame)
{
    spawnFriend();
    std::vector<std::int32_t> firedAt;
    for (StageFrame = 1; StageFrame <= 9; ++StageFrame) {
        const auto before = std::count_if(Shots.begin(), Shots.end(), [](const auto& s) { return s->exists; });
        Friend->update();
        const auto after = std::count_if(Shots.begin(), Shots.end(), [](const auto& s) { return s->exists; });
        if (after > before) firedAt.push_back(StageFrame);
    }
    EXPECT_EQ(firedAt, (std::vector<std::int32_t>{3, 6, 9}));
    EXPECT_EQ(Shots[0]->power, 100);
    EXPECT_EQ(Shots[0]->ay, -1);
}

}  // namespace
