// The game scene: pause, stage clear and game over with their countdowns, and
// the two collision passes in their order, with one hit a frame at most.
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTBomb.h"
#include "chara/UnitTShot.h"
#include "game/UnitTitle.h"
#include "graphics/UnitScreenBuf.h"
#include "platform/Audio.h"
#include "platform/Keys.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/UnitMain.h"
#include "stage/UnitReadStory.h"
#include "stage/UnitStage.h"
#include "support/GameRuntime.h"
#include "support/SoundLog.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class GameScene : public ::testing::Test {
protected:
    TGameRuntime runtime;
    void SetUp() override
    {
        NewGame(0);
        // Stage 0 never spawns before its first draw answers 0.
        SetRandomSource([](std::int32_t n) { return n - 1; });
    }
    void TearDown() override { SetRandomSource(nullptr); }
    void Confirm()
    {
        runtime.Press(VK::Space);
        runtime.Tick();
        runtime.Release(VK::Space);
    }
    // The ship at rest in the window, hittable.
    void Settle()
    {
        runtime.Tick(16);
        Mine->invulnFrames = 0;
    }
    TShot& EnemyBulletAt(std::size_t slot, std::int32_t x, std::int32_t y)
    {
        EShots[slot]->launch(x, y, 0, 0, 0, 0, 1);
        return *EShots[slot];
    }
    TPixel Window(std::int32_t x, std::int32_t y) { return runtime.Form().Client().Row(y)[x]; }
};

TEST_F(GameScene, ConfirmPausesFromTheNextTickAndResumesWhereItStood)
{
    Settle();
    spawnEnemy(4, 200, 300);
    runtime.Tick();
    Confirm();
    EXPECT_TRUE(Pause) << "set at the end of the tick that saw the key";
    const std::int32_t y = Enemies[0]->y, frame = StageFrame;
    runtime.Tick(5);
    EXPECT_EQ(Enemies[0]->y, y) << "nothing moves while paused";
    EXPECT_EQ(StageFrame, frame);
    // The pause screen shows no characters: the faller's picture is gone.
    bool fallerShown = false;
    for (std::int32_t x = 60; x < 90; ++x) fallerShown = fallerShown || Window(x, y - 128).g == 20;
    EXPECT_FALSE(fallerShown);
    ScreenBufSide->LivesAnim.count = 5;
    Confirm();
    EXPECT_FALSE(Pause);
    EXPECT_EQ(Mine->anim.count, ScreenBufSide->LivesAnim.count) << "the ship shows the icons' frame again";
    runtime.Tick();
    EXPECT_GT(Enemies[0]->y, y) << "and the characters go on from where they were";
}

TEST_F(GameScene, HoldingConfirmPausesOnceUntilItIsPressedAgain)
{
    runtime.Press(VK::Return);
    runtime.Tick(10);
    EXPECT_TRUE(Pause);
    runtime.Release(VK::Return);
    runtime.Tick(3);
    EXPECT_TRUE(Pause);
    Confirm();
    EXPECT_FALSE(Pause);
}

TEST_F(GameScene, AStageClearLasts140TicksAndIgnoresTheConfirmKey)
{
    Settle();
    BeginStageClear();
    for (int tick = 1; tick <= 140; ++tick) {
        runtime.Press(VK::Space);
        runtime.Tick();
        runtime.Release(VK::Space);
        ASSERT_TRUE(StageClear) << "tick " << tick;
        ASSERT_FALSE(Pause);
    }
    const std::int32_t frame = StageFrame;
    EXPECT_EQ(frame, StageFrame) << "the timetable stands still";
    runtime.Tick();
    EXPECT_EQ(TickSlots.at(1).Callback, StoryTick) << "the stage's chapter follows";
    EXPECT_EQ(StageNo, 0);
}

TEST_F(GameScene, ThePlayerCannotBeHitDuringAStageClear)
{
    Settle();
    BeginStageClear();
    EnemyBulletAt(0, Mine->x, Mine->y);
    runtime.Tick();
    EXPECT_TRUE(Mine->alive);
}

TEST_F(GameScene, TheLastShipLostShowsGameOverWhileEnemiesComeThenTheTitle)
{
    Settle();
    Mine->lives = 0;
    EnemyBulletAt(0, Mine->x, Mine->y);
    runtime.Tick();
    ASSERT_TRUE(GameOver);
    EXPECT_EQ(GameOverCount, 200);
    SetRandomSource([](std::int32_t) { return 0; });  // enemies keep coming
    Audio::StartLog();
    for (int tick = 1; tick <= 200; ++tick) {
        runtime.Tick();
        ASSERT_EQ(TickSlots.at(1).Callback, GameTick) << "tick " << tick;
    }
    EXPECT_GT(LiveCount(Enemies), 0);
    EXPECT_EQ(GameOverCount, 0);
    runtime.Tick();
    EXPECT_EQ(TickSlots.at(1).Callback, TitleTick);
    ASSERT_FALSE(Audio::Log().empty());
    EXPECT_TRUE(std::any_of(Audio::Log().begin(), Audio::Log().end(),
                            [](const Audio::TEvent& e) { return e.kind == Audio::TEventKind::MusicStop; }));
}

TEST_F(GameScene, ConfirmDuringGameOverReturnsToTheTitleAtOnce)
{
    Settle();
    Mine->lives = 0;
    Mine->hit();
    runtime.Tick(3);
    Confirm();
    EXPECT_EQ(TickSlots.at(1).Callback, TitleTick);
}

TEST_F(GameScene, EnemiesKilledDuringGameOverScoreNothing)
{
    Settle();
    Mine->lives = 0;
    Mine->hit();
    Score = 100;
    spawnEnemy(0, 250, 300);
    Shots[0]->launch(250, 300, 0, 0, 0, 0, 1);
    runtime.Tick();
    EXPECT_FALSE(Enemies[0]->exists);
    EXPECT_EQ(Score, 100);
}

TEST_F(GameScene, TheShipIsHitOnceAFrameAtMost)
{
    Settle();
    Mine->lives = 3;
    EnemyBulletAt(0, Mine->x, Mine->y);
    EnemyBulletAt(1, Mine->x + 1, Mine->y);
    spawnEnemy(4, Mine->x, Mine->y);
    HitMine();
    EXPECT_FALSE(Mine->alive);
    EXPECT_EQ(Mine->deathFrames, 15);
    EXPECT_TRUE(EShots[0]->exists) << "the bullet that struck is not affected";
    Mine->alive = true;
    Mine->invulnFrames = 3;
    HitMine();
    EXPECT_TRUE(Mine->alive) << "not while invulnerable";
}

TEST_F(GameScene, TheFriendAbsorbsABulletThatLiesOnItAndOnTheShip)
{
    Settle();
    spawnFriend();
    Friend->x = Mine->x;
    Friend->y = Mine->y;
    EnemyBulletAt(0, Mine->x, Mine->y);
    HitMine();
    EXPECT_FALSE(EShots[0]->exists);
    EXPECT_TRUE(Mine->alive);
}

TEST_F(GameScene, AFullBlastRemovesEveryLiveBulletAndDamagesEveryEnemy)
{
    Settle();
    EnemyBulletAt(0, 20, 20);  // off screen
    EnemyBulletAt(1, 300, 300);
    spawnEnemy(6, 500, 650);
    spawnEnemy(0, 200, 200);
    Mine->bombRadius = 250;
    HitWeapons();
    EXPECT_EQ(LiveCount(EShots), 0);
    EXPECT_EQ(Enemies[0]->hp, 0 + 15 - 15) << "kind 6 has 15 hit points";
    EXPECT_FALSE(Enemies[0]->exists);
    EXPECT_FALSE(Enemies[1]->exists);
}

TEST_F(GameScene, ASmallerBlastReachesOnlyItsCircle)
{
    Settle();
    EnemyBulletAt(0, Mine->x + 30, Mine->y + 40);  // 50 away
    EnemyBulletAt(1, Mine->x + 30, Mine->y + 41);
    Mine->bombRadius = 50;
    HitWeapons();
    EXPECT_FALSE(EShots[0]->exists);
    EXPECT_TRUE(EShots[1]->exists);
}

TEST_F(GameScene, TheBarrierWipesBulletsOnItsHexagonAroundTheShip)
{
    Settle();
    EnemyBulletAt(0, Mine->x, Mine->y - 47);        // the top point
    EnemyBulletAt(1, Mine->x - 45, Mine->y - 48 + 21);  // a cut corner
    EnemyBulletAt(2, Mine->x + 44, Mine->y);
    Mine->barrier = true;
    Audio::StartLog();
    HitWeapons();
    EXPECT_FALSE(EShots[0]->exists);
    EXPECT_TRUE(EShots[1]->exists);
    EXPECT_FALSE(EShots[2]->exists);
    EXPECT_EQ(PlayedWaves(), (std::vector<std::string>{"dat/banish.wav", "dat/banish.wav"}));
}

TEST_F(GameScene, AnEnemyKilledByTheFriendIsNotHitAgainThatFrame)
{
    Settle();
    spawnFriend();
    spawnEnemy(6, 300, 300);
    Enemies[0]->hp = 100;
    Friend->x = 300;
    Friend->y = 300;
    Mine->x = 300;
    Mine->laserWidth = 4;
    Shots[0]->launch(300, 300, 0, 0, 0, 0, 1);
    Audio::StartLog();
    HitWeapons();
    EXPECT_FALSE(Enemies[0]->exists);
    EXPECT_TRUE(Shots[0]->exists) << "the bullet was not spent on it";
    EXPECT_EQ(PlayedWaves(), std::vector<std::string>{"dat/pan.wav"}) << "no laser sound";
}

TEST_F(GameScene, TheLaserHitsWhatIsAboveTheShipWithinItsWidth)
{
    Settle();
    struct TCase {
        std::int32_t dx, y;
        bool hit;
    };
    // Enemies 16 wide: hit while |dx| < 8 + 4.
    const TCase cases[] = {{0, 300, true}, {11, 300, true}, {12, 300, false}, {-11, 300, true}, {0, 470, false}};
    for (const TCase& c : cases) {
        for (const auto& e : Enemies) e->setPresence(false);
        spawnEnemy(6, Mine->x + c.dx, c.y);
        Mine->laserWidth = 4;
        HitWeapons();
        EXPECT_EQ(Enemies[0]->hp, c.hit ? 14 : 15) << "dx " << c.dx << ", y " << c.y;
    }
}

TEST_F(GameScene, BulletsHitSoundAndExplodeAtTheBullet)
{
    Settle();
    spawnEnemy(6, 300, 300);
    Enemies[0]->vx = 3;
    Shots[0]->launch(300, 301, 0, 0, 0, 0, 1);
    Shots[1]->launch(301, 300, 0, 0, 0, 0, 2);
    for (const auto& bomb : Bombs) bomb->setPresence(false);
    Audio::StartLog();
    HitWeapons();
    EXPECT_EQ(Enemies[0]->hp, 12);
    EXPECT_FALSE(Shots[0]->exists);
    EXPECT_FALSE(Shots[1]->exists);
    EXPECT_EQ(PlayedWaves(), (std::vector<std::string>{"dat/hitbit.wav", "dat/hitbit2.wav"}));
    EXPECT_EQ(Bombs[0]->x, 300);
    EXPECT_EQ(Bombs[0]->y, 301);
    EXPECT_EQ(Bombs[0]->vx, 3) << "drifting with the enemy";
}

TEST_F(GameScene, EnemiesSeeTheStageClockAfterItHasAdvanced)
{
    Settle();
    Mine->invulnFrames = 1000;
    spawnEnemy(9, 250, 250);
    Enemies[0]->hp = 1000;
    std::vector<std::int32_t> firedAt;
    for (int i = 0; i < 9; ++i) {
        const std::int32_t before = LiveCount(EShots), timetableFrame = StageFrame;
        runtime.Tick();
        if (LiveCount(EShots) > before) firedAt.push_back(timetableFrame);
    }
    ASSERT_FALSE(firedAt.empty());
    for (std::int32_t f : firedAt) EXPECT_EQ((f + 1) % 3, 0) << "fired in the frame the timetable saw as " << f;
}

TEST_F(GameScene, AGameOverInTheAnotherStageStopsItsSecondPiece)
{
    NewGame(10);
    Settle();
    StageFrame = 6000;
    Audio::StartLog();
    runtime.Tick();
    Mine->lives = 0;
    Mine->invulnFrames = 0;
    Mine->hit();
    runtime.Tick(202);
    EXPECT_EQ(TickSlots.at(1).Callback, TitleTick);
    std::vector<Audio::TEventKind> music;
    for (const Audio::TEvent& e : Audio::Log())
        if (e.kind == Audio::TEventKind::Music || e.kind == Audio::TEventKind::MusicStop) music.push_back(e.kind);
    ASSERT_FALSE(music.empty());
    EXPECT_EQ(music.back(), Audio::TEventKind::MusicStop);
}

}  // namespace
