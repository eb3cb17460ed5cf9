// The stage timetables: silent frames and ranges, the gates of stage 1, the
// rows, the draws made on every frame, the bosses at frame 900, the Another
// stage's score, friend, meteors and bonus boss, and the clock's wrap.
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "graphics/UnitScreenBuf.h"
#include "platform/Application.h"
#include "platform/Audio.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/UnitMain.h"
#include "stage/UnitStage.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

struct TSpawn {
    std::int32_t kind, x, y;
    friend bool operator==(const TSpawn&, const TSpawn&) = default;
};

std::ostream& operator<<(std::ostream& out, const TSpawn& s)
{
    return out << "kind " << s.kind << " at (" << s.x << ", " << s.y << ")";
}

class Stages : public ::testing::Test {
protected:
    TGameRuntime runtime;
    void TearDown() override { SetRandomSource(nullptr); }

    // What one frame of the stage's timetable spawns, every other character free.
    std::vector<TSpawn> SpawnsAt(std::int32_t stage, std::int32_t f)
    {
        for (const auto& enemy : Enemies) enemy->setPresence(false);
        StageNo = stage;
        StageFrame = f;
        StageStep();
        std::vector<TSpawn> spawns;
        for (const auto& enemy : Enemies)
            if (enemy->exists) spawns.push_back({enemy->kind, enemy->x, enemy->y});
        return spawns;
    }
    static void EveryChance() { SetRandomSource([](std::int32_t) { return 0; }); }
};

TEST_F(Stages, NothingIsSpawnedBetweenTheWavesOrBeforeTheBoss)
{
    NewGame(0);
    EveryChance();
    for (std::int32_t stage = 0; stage < 10; ++stage) {
        for (std::int32_t f = 400; f < 450; ++f) EXPECT_TRUE(SpawnsAt(stage, f).empty()) << "stage " << stage << ", f " << f;
        for (std::int32_t f = 870; f < 900; ++f) EXPECT_TRUE(SpawnsAt(stage, f).empty()) << "stage " << stage << ", f " << f;
        const bool late = stage == 3 || stage == 9;
        for (std::int32_t f = 850; f < 870; ++f)
            EXPECT_EQ(!SpawnsAt(stage, f).empty(), late) << "stage " << stage << ", f " << f;
        for (std::int32_t f = 901; f < 1000; ++f) EXPECT_TRUE(SpawnsAt(stage, f).empty()) << "stage " << stage << ", f " << f;
    }
}

TEST_F(Stages, StageOnesGatesAlternateAndTheLastPairComesFromBeyondTheEdges)
{
    NewGame(1);
    using TList = std::vector<TSpawn>;
    EXPECT_EQ(SpawnsAt(1, 0), (TList{{0, 160, 112}, {0, 352, 112}}));
    EXPECT_TRUE(SpawnsAt(1, 5).empty());
    EXPECT_EQ(SpawnsAt(1, 200), (TList{{1, 160, 112}, {1, 352, 112}}));
    // 450 leaves 10 when divided by 20.
    EXPECT_EQ(SpawnsAt(1, 450), (TList{{0, 160, 112}, {1, 352, 112}}));
    EXPECT_EQ(SpawnsAt(1, 460), (TList{{1, 160, 112}, {0, 352, 112}}));
    EXPECT_EQ(SpawnsAt(1, 650), (TList{{2, 160, 112}, {2, 352, 112}}));
    EXPECT_EQ(SpawnsAt(1, 660), (TList{{1, 96, 200}, {1, 416, 200}}));
    EXPECT_EQ(SpawnsAt(1, 900), (TList{{11, 320, 80}}));
}

TEST_F(Stages, RowsOfTenFallersComeEveryEightyThenEveryFortyFrames)
{
    NewGame(6);
    std::vector<std::int32_t> rows;
    for (std::int32_t f = 0; f < 900; ++f) {
        const std::vector<TSpawn> spawns = SpawnsAt(6, f);
        if (std::count_if(spawns.begin(), spawns.end(), [](const TSpawn& s) { return s.kind == 4; }) == 10) rows.push_back(f);
    }
    const std::vector<std::int32_t> expected = {0, 80, 160, 240, 320, 480, 520, 560, 600, 640, 680, 720, 760, 800, 840};
    EXPECT_EQ(rows, expected);
    const std::vector<TSpawn> row = SpawnsAt(6, 80);
    for (std::int32_t i = 0; i < 10; ++i) EXPECT_EQ(row[std::size_t(i)], (TSpawn{4, 135 + 27 * i, 80}));
}

TEST_F(Stages, StageFoursRandomRuleAndRowMeetAtFrameZeroButNotAtFourHundred)
{
    NewGame(4);
    EveryChance();
    const std::vector<TSpawn> first = SpawnsAt(4, 0);
    EXPECT_EQ(first.size(), 11u) << "one enemy by the random rule and a whole row, every chance taken";
    EXPECT_EQ(first.front().kind, 0);
    EXPECT_TRUE(SpawnsAt(4, 400).empty());
}

TEST_F(Stages, StageEightDrawsItsKindOnEveryFrame)
{
    NewGame(8);
    std::vector<std::int32_t> asked;
    SetRandomSource([&](std::int32_t n) {
        asked.push_back(n);
        return n - 1;  // no chance taken
    });
    for (std::int32_t f : {0, 420, 875, 899, 950}) {
        asked.clear();
        SpawnsAt(8, f);
        ASSERT_FALSE(asked.empty()) << "f " << f;
        EXPECT_EQ(asked.front(), 5) << "f " << f;
    }
}

TEST_F(Stages, TheBossesOfStagesZeroFourAndFiveTakeThePlayersX)
{
    for (std::int32_t stage : {0, 4, 5}) {
        NewGame(stage);
        Mine->x = 150 + 20 * stage;
        const std::vector<TSpawn> boss = SpawnsAt(stage, 900);
        ASSERT_EQ(boss.size(), 1u);
        EXPECT_EQ(boss[0], (TSpawn{10 + stage, 150 + 20 * stage, 80}));
        EXPECT_TRUE(Enemies[127]->boss);
    }
}

TEST_F(Stages, TheAnotherStageScoresEverySecondFrameExceptInGameOver)
{
    NewGame(10);
    SetRandomSource([](std::int32_t n) { return n - 1; });
    std::vector<std::int32_t> scores;
    for (std::int32_t f = 0; f < 6; ++f) {
        SpawnsAt(10, f);
        scores.push_back(Score);
    }
    EXPECT_EQ(scores, (std::vector<std::int32_t>{1, 1, 2, 2, 3, 3}));
    GameOver = true;
    SpawnsAt(10, 6);
    EXPECT_EQ(Score, 3);
}

TEST_F(Stages, TheAnotherStagesBonusBossComesAtFrame6000WithItsMusicAndReturns)
{
    NewGame(10);
    EveryChance();
    Audio::StartLog();
    for (std::int32_t f = 5990; f < 6000; ++f) SpawnsAt(10, f);
    EXPECT_TRUE(Audio::Log().empty()) << "no music change before frame 6000";
    std::vector<TSpawn> spawns = SpawnsAt(10, 6000);
    ASSERT_EQ(spawns.size(), 1u) << "no wanderers or meteors from frame 6000 on";
    EXPECT_EQ(spawns[0], (TSpawn{28, 256, 80}));
    EXPECT_EQ(Enemies[127]->points, 10000);
    ASSERT_FALSE(Audio::Log().empty());
    EXPECT_EQ(Audio::Log().back().name(), "dat/yomenai.mid");
    // Destroyed, it is placed again on the next frame.
    const std::int32_t before = Score;
    Enemies[127]->damage(10000);
    EXPECT_EQ(Score, before + 10000) << "it dies at once like an ordinary enemy";
    EXPECT_FALSE(StageClear);
    StageFrame = 6001;
    StageStep();
    EXPECT_TRUE(Enemies[127]->exists);
}

TEST_F(Stages, TheAnotherStageHasNoMeteorsFrom2000To2399)
{
    NewGame(10);
    // Only meteors: the wanderers' three draws never answer 0.
    SetRandomSource([](std::int32_t n) { return n == 15 ? 0 : n - 1; });
    const auto meteors = [&](std::int32_t f) {
        const std::vector<TSpawn> spawns = SpawnsAt(10, f);
        std::vector<std::int32_t> kinds;
        for (const TSpawn& s : spawns) kinds.push_back(s.kind);
        return kinds;
    };
    using TKinds = std::vector<std::int32_t>;
    EXPECT_EQ(meteors(0), (TKinds{20}));
    EXPECT_EQ(meteors(1999), (TKinds{20, 21, 22}));
    EXPECT_TRUE(meteors(2000).empty());
    EXPECT_TRUE(meteors(2399).empty());
    EXPECT_EQ(meteors(2400), (TKinds{20, 21, 22}));
    EXPECT_EQ(meteors(4000), (TKinds{21, 22, 23, 23}));
    EXPECT_EQ(meteors(5999), (TKinds{21, 22, 23, 24}));
}

TEST_F(Stages, TheStageClockWrapsFrom29999To20000KeepingItsParity)
{
    NewGame(10);
    SetRandomSource([](std::int32_t n) { return n - 1; });
    StageFrame = 29998;
    Score = 0;
    for (int i = 0; i < 4; ++i) StageStep();
    EXPECT_EQ(StageFrame, 20002);
    EXPECT_EQ(Score, 2) << "points on 29998 and 20000";
}

TEST_F(Stages, AStageStartResetsEverythingAndKeepsTheShips)
{
    NewGame(0);
    EXPECT_EQ(Mine->lives, 2);
    Score = 1234;
    Pause = true;
    BeginStageClear();
    spawnEnemy(0, 200, 200);
    Mine->lives = 4;
    Mine->bombEffect = 100;
    StartStage(1);
    EXPECT_EQ(Mine->lives, 4);
    EXPECT_FALSE(Pause || StageClear || GameOver);
    EXPECT_EQ(ClearCount, 0);
    EXPECT_EQ(StageFrame, 0);
    EXPECT_EQ(StageNo, 1);
    EXPECT_EQ(Score, 1234);
    EXPECT_EQ(Mine->bombEffect, 0);
    EXPECT_TRUE(Mine->entering);
    EXPECT_FALSE(Enemies[0]->exists);
    EXPECT_EQ(TickSlots.at(1).Callback, GameTick);
}

TEST_F(Stages, EachStagesMusicStartsWithIt)
{
    const char* music[] = {"ronri", "varnel", "nozomare", "byakuya", "ketudan", "ito", "jenoside", "namae", "fukai", "velmor", "end", "end"};
    for (std::int32_t stage = 0; stage < 12; ++stage) {
        Audio::StartLog();
        StartStage(stage);
        std::string started;
        for (const Audio::TEvent& e : Audio::Log())
            if (e.kind == Audio::TEventKind::Music) started = std::string(e.name());
        EXPECT_EQ(started, std::string("dat/") + music[stage] + ".mid") << "stage " << stage;
    }
}

TEST_F(Stages, EveryStagesSpritesAreLoadedAtItsStartEvenWithEveryChanceTaken)
{
    EveryChance();
    for (std::int32_t stage = 0; stage <= 10; ++stage) {
        NewGame(stage);
        Mine->lives = 1000;
        const std::uint32_t warnings = Headless::MessageBoxCount();
        if (stage < 10) {
            runtime.Tick(960);
        } else {
            // Each stretch of the Another stage brings its own meteors, then the bonus boss.
            for (std::int32_t from : {0, 3200, 5000, 5990}) {
                StageFrame = from;
                runtime.Tick(150);
            }
        }
        EXPECT_EQ(Headless::MessageBoxCount(), warnings) << "stage " << stage << " asked for a set during play";
    }
}

}  // namespace
