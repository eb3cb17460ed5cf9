#include "UnitStage.h"

#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTChara.h"
#include "graphics/UnitScreenBuf.h"
#include "graphics/UnitTCSC.h"
#include "runtime/MyMidi.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/UnitMain.h"

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t AnotherStage = 10;
constexpr std::int32_t BossFrame = 900;
constexpr std::int32_t LastFrame = 29999;
constexpr std::int32_t WrapFrame = 20000;
constexpr std::int32_t SceneSlot = 1;
constexpr std::int32_t SceneInterval = 50;
constexpr std::int32_t AboveTheWindow = 80;
// The Another stage's bonus boss comes, and its second piece of music starts, at this frame.
constexpr std::int32_t AnotherBossFrame = 6000;

constexpr std::array<std::string_view, AnotherStage + 1> Music = {
    "dat/ronri.mid", "dat/varnel.mid", "dat/nozomare.mid", "dat/byakuya.mid", "dat/ketudan.mid", "dat/ito.mid",
    "dat/jenoside.mid", "dat/namae.mid", "dat/fukai.mid", "dat/velmor.mid", "dat/end.mid",
};
constexpr std::string_view AnotherBossMusic = "dat/yomenai.mid";

// Every sprite set a stage can need: its enemies, those they launch, the
// boss; for the Another stage also the friend.
const std::array<std::vector<std::string_view>, AnotherStage + 1> StageSprites = {{
    {"teki01", "teki03", "teki03r", "teki01x3"},
    {"teki01", "teki03", "teki03r", "teki03x2"},
    {"teki01", "teki03", "teki06", "teki06x2"},
    {"teki01", "teki03", "teki03r", "teki04", "teki06rx2"},
    {"teki01", "teki03", "teki03r", "teki04", "teki06", "blood"},
    {"teki01t", "teki03", "teki03r", "teki01tx3"},
    {"teki04", "teki06", "teki04x3"},
    {"teki06g", "teki06gx2"},
    {"teki01", "teki01t", "shadow"},
    {"teki01t", "teki03", "teki03r", "teki04r", "teki02", "teki02r"},
    {"meteo1", "meteo2", "meteo3", "meteo4", "meteo5", "my2", "e0", "e15", "e16", "e19", "e7"},
}};

std::int32_t Stage() { return StageNo < AnotherStage ? StageNo : AnotherStage; }

bool In(std::int32_t f, std::int32_t first, std::int32_t last) { return f >= first && f <= last; }

bool AtOneOf(std::int32_t f, std::initializer_list<std::int32_t> frames)
{
    for (std::int32_t at : frames)
        if (f == at) return true;
    return false;
}

// The spawning operations the timetables are written in. R(n) draws come in
// the order written.

// One chance in n, anywhere across the window, in the 128 rows above it.
void RandomEnemy(std::int32_t n, std::int32_t kind)
{
    if (Random(n) != 0) return;
    const std::int32_t y = Random(128);
    const std::int32_t x = 128 + Random(256);
    spawnEnemy(std::uint8_t(kind), x, y);
}

void RandomEnemy80(std::int32_t n, std::int32_t kind)
{
    if (Random(n) != 0) return;
    spawnEnemy(std::uint8_t(kind), 128 + Random(256), AboveTheWindow);
}

// Ten fallers across the window: all of them, or each by an even chance.
void EnemyRow(bool all)
{
    for (std::int32_t i = 0; i < 10; ++i)
        if (all || Random(2) == 0) spawnEnemy(4, 135 + 27 * i, AboveTheWindow);
}

void RandomMix(std::int32_t n)
{
    constexpr std::array<std::int32_t, 3> kinds = {5, 1, 2};
    RandomEnemy(n, kinds[std::size_t(Random(3))]);
}

void Meteor(std::int32_t kind) { RandomEnemy80(15, kind); }

void AnotherEnemy()
{
    // One parameter, n = 40, gives both chances: n × 2 div 5 + 1 and n × 4.
    switch (Random(3)) {
    case 0: RandomEnemy(17, 25); break;
    case 1: RandomEnemy(160, 26); break;
    default: RandomEnemy(160, 27); break;
    }
}

void DivingWeaver() { spawnEnemy(3, 192 + Random(128), 100); }

void Stage0(std::int32_t f)
{
    if (In(f, 0, 199)) RandomEnemy(30, 0);
    if (In(f, 200, 399)) RandomEnemy(20, 0);
    if (In(f, 450, 649)) RandomEnemy(10, 1);
    if (In(f, 650, 849)) RandomEnemy(10, 2);
    if (f == BossFrame) spawnBoss(10, Mine->x, AboveTheWindow);
}

// Pairs of enemies at two gates.
void Gates(std::int32_t left, std::int32_t leftX, std::int32_t leftY, std::int32_t right, std::int32_t rightX,
           std::int32_t rightY)
{
    spawnEnemy(std::uint8_t(left), leftX, leftY);
    spawnEnemy(std::uint8_t(right), rightX, rightY);
}

void Stage1(std::int32_t f)
{
    if (In(f, 0, 199) && f % 10 == 0) Gates(0, 160, 112, 0, 352, 112);
    if (In(f, 200, 399) && f % 10 == 0) Gates(1, 160, 112, 1, 352, 112);
    if (In(f, 450, 649) && f % 20 == 0) Gates(1, 160, 112, 0, 352, 112);
    if (In(f, 450, 649) && f % 20 == 10) Gates(0, 160, 112, 1, 352, 112);
    if (In(f, 650, 849) && f % 20 == 0) Gates(1, 96, 200, 1, 416, 200);  // from beyond both side edges
    if (In(f, 650, 849) && f % 20 == 10) Gates(2, 160, 112, 2, 352, 112);
    if (f == BossFrame) spawnBoss(11, 320, AboveTheWindow);
}

void Stage2(std::int32_t f)
{
    if (AtOneOf(f, {0, 100, 200, 300, 450, 550, 650, 750})) DivingWeaver();
    if (In(f, 200, 399)) RandomEnemy(30, 0);
    if (In(f, 450, 649)) RandomEnemy(20, 0);
    if (In(f, 650, 849)) RandomEnemy(20, 1);
    if (f == BossFrame) spawnBoss(12, 256, AboveTheWindow);
}

void Stage3(std::int32_t f)
{
    if (In(f, 0, 399) || In(f, 450, 849)) RandomEnemy(15, Random(3));
    if (In(f, 0, 199)) RandomEnemy80(20, 4);
    if (In(f, 200, 399)) RandomEnemy80(15, 4);
    if (In(f, 450, 649)) RandomEnemy80(10, 4);
    if (In(f, 650, 869)) RandomEnemy80(7, 4);
    if (f == BossFrame) spawnBoss(13, 256, AboveTheWindow);
}

void Stage4(std::int32_t f)
{
    if (In(f, 0, 199)) {
        const std::int32_t r = Random(3);
        if (r < 2) RandomEnemy(10, r);
    }
    if (In(f, 200, 399) || In(f, 450, 649)) RandomEnemy(10, Random(3));
    if (AtOneOf(f, {650, 750})) DivingWeaver();
    if (In(f, 0, 399) && f % 80 == 0) EnemyRow(false);
    if (In(f, 450, 849) && f % 40 == 0) EnemyRow(false);
    if (f == BossFrame) spawnBoss(14, Mine->x, AboveTheWindow);
}

void Stage5(std::int32_t f)
{
    if (In(f, 0, 199)) RandomEnemy(30, 5);
    if (In(f, 200, 399)) RandomEnemy(20, 5);
    if (In(f, 450, 649)) {
        RandomEnemy(30, 5);
        RandomEnemy(10, 1);
    }
    if (In(f, 650, 849)) {
        RandomEnemy(30, 5);
        RandomEnemy(10, 2);
    }
    if (f == BossFrame) spawnBoss(15, Mine->x, AboveTheWindow);
}

void Stage6(std::int32_t f)
{
    if (AtOneOf(f, {0, 100, 200, 300, 450, 550, 650, 750})) DivingWeaver();
    if (In(f, 0, 399) && f % 80 == 0) EnemyRow(true);
    if (In(f, 450, 849) && f % 40 == 0) EnemyRow(true);
    if (f == BossFrame) spawnBoss(16, 128 + Random(256), AboveTheWindow);
}

void Stage7(std::int32_t f)
{
    if (AtOneOf(f, {0, 100, 200, 300, 450, 540, 620, 690, 750, 800})) {
        const std::int32_t y = 100 + Random(40);
        const std::int32_t x = 192 + Random(128);
        spawnEnemy(6, x, y);
    }
    if (f == BossFrame) spawnBoss(17, 256, AboveTheWindow);
}

void Stage8(std::int32_t f)
{
    // The kind of this frame is drawn on every frame, also outside the ranges.
    const std::int32_t k = Random(5) == 0 ? 5 : 0;
    if (In(f, 0, 199)) RandomEnemy(20, k);
    if (In(f, 200, 399)) RandomEnemy(15, k);
    if (In(f, 450, 649)) RandomEnemy(10, k);
    if (In(f, 650, 849)) RandomEnemy(5, k);
    if (f == BossFrame) spawnBoss(18, 320, AboveTheWindow);
}

// Tracking fallers grow denser while the mixed kinds thin out.
void Stage9(std::int32_t f)
{
    struct TWave {
        std::int32_t first, last, fallers, mix;
    };
    constexpr TWave waves[] = {{0, 199, 20, 15}, {200, 399, 15, 20}, {450, 649, 10, 25}, {650, 869, 7, 30}};
    for (const TWave& w : waves) {
        if (!In(f, w.first, w.last)) continue;
        RandomEnemy80(w.fallers, 7);
        RandomMix(w.mix);
    }
    if (f == BossFrame) spawnBoss(19, 256, AboveTheWindow);
}

// The meteor kinds of each stretch of 20-frame units t, one Meteor call each.
struct TMeteorStretch {
    std::int32_t lastT;
    std::array<std::int32_t, 4> kinds;  // 0 ends the list
};
constexpr TMeteorStretch MeteorStretches[] = {
    {19, {20}},           {39, {21}},           {59, {22}},           {79, {20, 21}},
    {99, {20, 21, 22}},   {119, {}},            {159, {20, 21, 22}}, {199, {20, 21, 22, 23}},
    {249, {21, 22, 23, 23}}, {299, {21, 22, 23, 24}},
};

void Meteors(std::int32_t t)
{
    for (const TMeteorStretch& stretch : MeteorStretches) {
        if (t > stretch.lastT) continue;
        for (std::int32_t kind : stretch.kinds)
            if (kind != 0) Meteor(kind);
        return;
    }
}

// Endless: survival points, a friend now and then, wanderers and meteors, and
// from frame 6000 on a bonus boss that returns whenever it is destroyed.
void AnotherStageStep(std::int32_t f)
{
    if (!GameOver && f % 2 == 0) Score += 1;
    if (!Friend->exists && Random(3000) == 0) spawnFriend();
    const std::int32_t t = f / 20;
    if (f < AnotherBossFrame) {
        AnotherEnemy();
    } else {
        if (f == AnotherBossFrame) PlayMidi(std::string(AnotherBossMusic));
        spawnBonusBoss(28, 256, AboveTheWindow);
    }
    Meteors(t);
}

using TTimetable = void (*)(std::int32_t);
constexpr std::array<TTimetable, AnotherStage + 1> Timetables = {
    Stage0, Stage1, Stage2, Stage3, Stage4, Stage5, Stage6, Stage7, Stage8, Stage9, AnotherStageStep,
};

}  // namespace

std::string_view StageMusic(std::int32_t stage) { return Music[std::size_t(stage < AnotherStage ? stage : AnotherStage)]; }

void StageStep()
{
    Timetables[std::size_t(Stage())](StageFrame);
    StageFrame = StageFrame == LastFrame ? WrapFrame : StageFrame + 1;
}

void LoadStageSprites()
{
    for (std::string_view name : StageSprites[std::size_t(Stage())]) Name2CSC(name);
}

void StartStage(std::int32_t n)
{
    for (TChara* chara : AllCharas) chara->reset();
    GameOver = false;
    GameOverCount = 0;
    StageNo = n;
    StageFrame = 0;
    StageClear = false;
    ClearCount = 0;
    Pause = false;
    // The stage's entry gives back the ship it takes.
    Mine->lives += 1;
    Mine->enter();
    RegisterTick(SceneSlot, SceneInterval, GameTick);
    PlayMidi(std::string(StageMusic(StageNo)));
    // The bonus boss's piece is loaded now, not in the frame that starts it.
    if (Stage() == AnotherStage) PrepareMidi(std::string(AnotherBossMusic));
    ScreenBufMain->InitStars(StageNo);
    ResetCSC();
    LoadStageSprites();
    Mine->bombEffect = 0;
}
