#include "UnitEnemy.h"

#include "UnitMine.h"
#include "UnitPools.h"
#include "UnitTBomb.h"
#include "UnitTShot.h"
#include "graphics/Playfield.h"
#include "graphics/UnitScreenBuf.h"
#include "runtime/MyRandom.h"
#include "runtime/MyWave.h"
#include "runtime/UnitMain.h"

#include <array>
#include <string_view>

namespace {

// What a kind starts with. A swing factor s means a random side: ax := ±1,
// vx := s × −ax. The timer is kept in homingFrames.
struct TKindStart {
    std::string_view sprite;
    std::int32_t hp;
    std::int32_t points;
    std::int32_t vy;
    std::int32_t ay;
    std::int32_t swing;
    std::int32_t timer;
};

constexpr std::array<TKindStart, EnemyKinds> KindStarts = {{
    {"teki01", 1, 1, 3, 0, 0, 0},           // 0 fighter
    {"teki03", 1, 2, 0, 0, 0, 100},         // 1 homing fighter
    {"teki03r", 1, 2, 0, 0, 0, 100},        // 2 chaser
    {"teki06", 8, 8, 15, -1, 8, 90},        // 3 diving weaver
    {"teki04", 4, 4, 0, 1, 0, 0},           // 4 faller
    {"teki01t", 1, 3, 3, 0, 0, 0},          // 5 fighter with homing shots
    {"teki06g", 15, 15, 15, -1, 8, 90},     // 6 diving weaver with homing shots
    {"teki04r", 5, 5, 0, 1, 0, 0},          // 7 tracking faller
    {"teki02", 25, 0, 0, 0, 0, 0},          // 8 wanderer
    {"teki02r", 10, 0, 0, 0, 0, 0},         // 9 wanderer
    {"teki01x3", 100, 1, 10, 0, 0, 0},      // 10 boss of stage 0
    {"teki03x2", 100, 1, 0, 0, 0, 0},       // 11 boss of stage 1
    {"teki06x2", 100, 1, 15, -1, 12, 0},    // 12 boss of stage 2
    {"teki06rx2", 100, 2, 15, -1, 16, 0},   // 13 boss of stage 3
    {"blood", 100, 2, 20, 0, 0, 0},         // 14 boss of stage 4
    {"teki01tx3", 100, 2, 10, 0, 0, 0},     // 15 boss of stage 5
    {"teki04x3", 100, 2, 10, 4, 0, 0},      // 16 boss of stage 6
    {"teki06gx2", 100, 3, 15, -1, 12, 0},   // 17 boss of stage 7
    {"shadow", 100, 3, 0, 0, 0, 0},         // 18 boss of stage 8
    {"teki02", 100, 4, 0, 0, 0, 0},         // 19 boss of stage 9
    {"meteo1", 100, 100, 3, 0, 0, 30},      // 20 meteors
    {"meteo2", 100, 100, 3, 0, 0, 30},      // 21
    {"meteo3", 100, 100, 3, 0, 0, 30},      // 22
    {"meteo4", 100, 100, 3, 0, 0, 30},      // 23
    {"meteo5", 100, 100, 3, 0, 0, 30},      // 24
    {"e0", 1, 10, 0, 0, 0, 200},            // 25 wanderers of the Another stage
    {"e15", 20, 50, 0, 0, 0, 200},          // 26
    {"e16", 5, 50, 0, 0, 0, 200},           // 27
    {"e19", 10000, 100, 0, 0, 0, 0},        // 28 boss of the Another stage
    {"e7", 5, 0, 0, 0, 0, 100},             // 29 chaser launched by kind 28
}};

constexpr std::int32_t HomingFighterSpeed = 5;
constexpr std::int32_t DyingFrames = 100;
constexpr std::int32_t BonusBossFactor = 100;
constexpr std::int32_t TopOfTheWorld = 80;  // where enemies come back in, above the window
constexpr std::int32_t MeteorSpeedLimit = 30;
constexpr std::int32_t MeteorSlowedSpeed = 25;
// wander keeps an enemy in the upper middle of the window.
constexpr std::int32_t WanderLow = 192, WanderHigh = 320, WanderSpeedLimit = 10;

// A step taken with chance 1/n: one draw each time it is asked.
bool Chance(std::int32_t n) { return Random(n) == 0; }

std::int32_t Sign(std::int32_t v) { return (v > 0) - (v < 0); }

// Whether the stage clock is a multiple of n.
bool Every(std::int32_t n) { return StageFrame % n == 0; }

bool SlotFree(std::size_t slot) { return !Enemies[slot]->exists; }

}  // namespace

std::int32_t stopDistance(std::int32_t v)
{
    const std::int32_t d = v * (v + 1) / 2;
    return v < 0 ? -d : d;
}

void TEnemy::spawnKind(std::uint8_t k, std::int32_t px, std::int32_t py)
{
    kind = k;
    spawn(KindStarts[k].sprite, px, py);
}

void TEnemy::reset()
{
    TChara::reset();
    boss = false;
    const TKindStart& start = KindStarts[kind];
    hp = start.hp;
    points = start.points;
    vy = start.vy;
    ay = start.ay;
    if (start.swing != 0) {
        ax = 2 * Random(2) - 1;
        vx = start.swing * -ax;
    }
    homingFrames = start.timer;
    if (kind == 1) {
        target = Mine.get();
        homingSpeed = HomingFighterSpeed;
    }
}

void TEnemy::damage(std::int32_t amount)
{
    hp -= amount;
    if (hp <= 0) kill();
}

void TEnemy::kill()
{
    alive = false;
    if (boss) {
        // The dying sequence runs in update.
        dyingFrames = DyingFrames;
        BeginStageClear();
        return;
    }
    awardPoints();
    setPresence(false);
    explode("bom01", x, y, vx, vy);
    PlayWave(Sound::Pan);
}

void TEnemy::awardPoints()
{
    if (!GameOver) Score += points;
}

void TEnemy::update()
{
    if (!exists) return;
    if (!alive) {
        dyingStep();
        if (!exists) return;
    }
    // A dying boss still moves by its kind, but cannot fire or launch.
    behave();
    move();
    if (!inWorld() && !boss) setPresence(false);
}

// One frame of a boss's dying sequence: explodes in all 101 updates, scores in
// the first 100, and flashes the playfield white at the end.
void TEnemy::dyingStep()
{
    scatterExplosion("bom02", x, y, 5);
    PlayWaveHold(Sound::Collapse, 2);
    if (dyingFrames == 0) {
        RequestFlash();
        setPresence(false);
        return;
    }
    if (dyingFrames == 1) {
        ForcePlayWaveHold(Sound::Open, 30);
        RequestFlash();
    }
    awardPoints();
    dyingFrames -= 1;
}

void TEnemy::behave()
{
    switch (kind) {
    case 0: if (Chance(50)) fireAimed(10); break;
    case 1:
        if (homingFrames > 0) {
            homingStep();
            homingFrames -= 1;
        }
        if (Chance(50)) fireAimed(10);
        break;
    case 2:
        // Once the timer has run out the last acceleration stays, without the limit.
        if (homingFrames > 0) {
            chase(10);
            if (Chance(50)) fireAimed(10);
            homingFrames -= 1;
        }
        break;
    case 3:
        if (vx % 2 == 0) fireAimed(10);
        diveAndWeave(8);
        break;
    case 4: break;
    case 5: if (Chance(50)) fireHoming(10); break;
    case 6:
        if (Chance(10)) fireHoming(10);
        diveAndWeave(8);
        break;
    case 7:
        ax = 0;
        if (x + stopDistance(vx) < Mine->x) ax = 1;
        if (x + stopDistance(vx) > Mine->x) ax = -1;
        break;
    case 8:
        if (Chance(20)) fireAimed(20);
        wander();
        break;
    case 9:
        if (Every(3)) fireAimed(20);
        wander();
        break;
    case 10:
        fallBackToTheTop(Mine->x);
        if (Chance(15)) launchEnemy(0, 5);
        break;
    case 11:
        chase(10);
        if (Chance(30)) launchEnemy(1, 5);
        break;
    case 12:
        if (Every(2)) fireAimed(10);
        weave(10);
        if (Chance(200) && SlotFree(0)) launchEnemy(3, 0);
        break;
    case 13:
        if (Every(6)) launchEnemy(4, 0);
        if (StageFrame % 6 == 3) fireAimed(10);
        weave(15);
        break;
    case 14:
        vx = Mine->vx;
        fallBackToTheTop(Mine->x);
        if (Chance(5)) fireAimed(10);
        break;
    case 15:
        fallBackToTheTop(Mine->x);
        if (Chance(15)) launchEnemy(5, 5);
        break;
    case 16:
        if (y - height() > Playfield::Bottom) {
            x = Playfield::Left + Random(256);
            y = TopOfTheWorld;
            vy = 10;
        }
        break;
    case 17:
        if (Every(30)) fireHoming(10);
        else if (Every(2)) fireAimed(10);
        weave(10);
        break;
    case 18:
        if (Every(2)) fireAimed(10);
        chase(10);
        break;
    case 19:
        if (Chance(20)) fireAimed(20);
        wander();
        if (Chance(50)) {
            const std::size_t slot = std::size_t(Random(4));
            if (SlotFree(slot)) {
                if (Random(5) == 0 && SlotFree(0)) launchEnemy(9, 10);
                else launchEnemy(8, 10);
            }
        }
        break;
    case 20: fall(Every(3) ? 1 : 0); break;
    case 21: fall(Every(2) ? 1 : 0); break;
    case 22: fall(1); break;
    case 23: fall(2); break;
    case 24: fall(3); break;
    case 25:
        if (Chance(10)) fireAimed(10);
        wanderForAWhile();
        break;
    case 26:
        if (Chance(10)) fireAimed(5);
        if (Chance(10)) fireAimed(10);
        wanderForAWhile();
        break;
    case 27:
        if (Chance(100)) fireHoming(10);
        if (Chance(10)) fireAimed(10);
        wanderForAWhile();
        break;
    case 28:
        if (Chance(10)) launchEnemy(29, 15);
        if (Chance(10)) fireHoming(15);
        wander();
        break;
    case 29:
        // Like kind 2, it keeps its last acceleration once the timer has run out.
        if (homingFrames > 0) {
            chase(15);
            homingFrames -= 1;
        }
        break;
    default: break;
    }
}

void TEnemy::fireAimed(std::int32_t speed)
{
    if (alive && onScreen()) fireEnemyAimed(x, y, speed);
}

void TEnemy::fireHoming(std::int32_t speed)
{
    if (alive && onScreen()) fireEnemyHoming(x, y, speed);
}

void TEnemy::launchEnemy(std::uint8_t k, std::int32_t speed)
{
    if (alive && onScreen()) spawnAimedEnemy(k, x, y, speed);
}

// Accelerates toward the player by 1 per frame on each axis, never speeding up
// past the limit in that direction.
void TEnemy::chase(std::int32_t limit)
{
    ax = Sign(Mine->x - (x + vx));
    ay = Sign(Mine->y - (y + vy));
    if (vx * ax >= limit) ax = 0;
    if (vy * ay >= limit) ay = 0;
}

void TEnemy::wander()
{
    ax = Random(3) - 1;
    ay = Random(3) - 1;
    if (x < WanderLow) ax = 1;
    if (x > WanderHigh) ax = -1;
    if (y < WanderLow) ay = 1;
    if (y > WanderHigh) ay = -1;
    if (vx * ax >= WanderSpeedLimit) ax = 0;
    if (vy * ay >= WanderSpeedLimit) ay = 0;
}

// Swings from side to side with vx between −(limit + 1) and limit + 1; the
// starting dive, braked by ay −1, ends at rest.
void TEnemy::weave(std::int32_t limit)
{
    if (vy <= 0) ay = 0;
    if (vx > limit) ax = -1;
    if (vx < -limit) ax = 1;
}

// Weaves while the timer runs, then drops away.
void TEnemy::diveAndWeave(std::int32_t limit)
{
    weave(limit);
    if (homingFrames > 0) homingFrames -= 1;
    else ay = 1;
}

// A boss that has fallen far below the window comes back in from the top.
void TEnemy::fallBackToTheTop(std::int32_t newX)
{
    if (y - height() <= Playfield::Bottom) return;
    x = newX;
    y = TopOfTheWorld;
}

// Meteors drift slowly until their timer runs out, then fall with their pull,
// slowed when they get too fast.
void TEnemy::fall(std::int32_t meteorPull)
{
    if (homingFrames > 0) homingFrames -= 1;
    else ay = meteorPull;
    if (vy > MeteorSpeedLimit) vy = MeteorSlowedSpeed;
}

void TEnemy::wanderForAWhile()
{
    if (homingFrames > 0) {
        wander();
        homingFrames -= 1;
    } else {
        ay = 1;
    }
}

void spawnEnemy(std::uint8_t kind, std::int32_t px, std::int32_t py)
{
    if (TEnemy* enemy = FirstFree(Enemies, BossSlot)) enemy->spawnKind(kind, px, py);
}

void spawnBoss(std::uint8_t kind, std::int32_t px, std::int32_t py)
{
    TEnemy& slot = *Enemies[BossSlot];
    if (slot.exists) return;
    slot.spawnKind(kind, px, py);
    slot.boss = true;
}

void spawnBonusBoss(std::uint8_t kind, std::int32_t px, std::int32_t py)
{
    TEnemy& slot = *Enemies[BossSlot];
    if (slot.exists) return;
    slot.spawnKind(kind, px, py);
    slot.points *= BonusBossFactor;
}

void spawnAimedEnemy(std::uint8_t kind, std::int32_t px, std::int32_t py, std::int32_t speed)
{
    TEnemy* enemy = FirstFree(Enemies, BossSlot);
    if (!enemy || (px == Mine->x && py == Mine->y)) return;
    enemy->spawnKind(kind, px, py);
    enemy->vx = 0;
    enemy->vy = 0;
    enemy->points = 0;
    enemy->aimAt(*Mine, speed);
    if (!enemy->onScreen()) enemy->setPresence(false);
}
