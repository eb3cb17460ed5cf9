// The game scene of UnitMain: one frame of play per tick, its three special
// modes (game over, stage clear, pause, tested in that order), and the two
// collision passes between the player's side and the enemies' side.
#include "UnitFrame.h"
#include "UnitTitle.h"
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTBomb.h"
#include "chara/UnitTShot.h"
#include "graphics/UnitBrrBmp.h"
#include "runtime/MyMidi.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/MyWave.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"
#include "runtime/UnitReport.h"
#include "stage/UnitReadStory.h"
#include "stage/UnitStage.h"

#include <cstdlib>

namespace {

constexpr std::int32_t LastStage = 9;
constexpr std::int32_t FullBlast = 250;
constexpr std::int32_t BlastDamage = 15;
constexpr std::int32_t FriendDamage = 100;

void PlayStep()
{
    StageStep();
    Mine->recharge();
    playerControl();
    MoveAll();
    HitWeapons();
    HitMine();
    DrawGameFrame();
    Mine->endFrame();
    if (ConfirmPushed()) Pause = true;
}

// The player is gone; enemies keep coming and the friend still fights. The
// confirm key is looked at only while the count runs.
void GameOverStep()
{
    StageStep();
    MoveAll();
    HitWeapons();
    DrawGameFrame();
    if (GameOverCount <= 0 || ConfirmPushed()) {
        StopMidi();
        EnterTitle();
    } else {
        GameOverCount -= 1;
    }
}

// The timetable stops; the player still flies and shoots but cannot be hit.
// Then the chapter that follows the stage; the last stage's clear is recorded first.
void StageClearStep()
{
    Mine->recharge();
    playerControl();
    MoveAll();
    HitWeapons();
    DrawGameFrame();
    Mine->endFrame();
    if (ClearCount > 0) {
        ClearCount -= 1;
        return;
    }
    if (StageNo == LastStage) WriteReport(true);
    EnterStory();
}

void PauseStep()
{
    DrawPauseFrame();
    if (!ConfirmPushed()) return;
    Pause = false;
    // The panel's icons went on animating while the ship stood still.
    SyncPlayerAnim();
}

bool InBlast(const TChara& c, std::int32_t r)
{
    if (r >= FullBlast) return true;
    const std::int32_t dx = c.x - Mine->x, dy = c.y - Mine->y;
    return dx * dx + dy * dy <= r * r;
}

// Neither loop looks at onScreen: a full blast reaches the whole world.
void BombBlast(std::int32_t r)
{
    for (const auto& bullet : EShots)
        if (bullet->alive && InBlast(*bullet, r)) bullet->setPresence(false);
    for (const auto& enemy : Enemies)
        if (enemy->alive && InBlast(*enemy, r)) enemy->damage(BlastDamage);
}

void BarrierWipe()
{
    const std::int32_t left = Mine->x - TBrrBmp::Width / 2, top = Mine->y - TBrrBmp::Height / 2;
    for (const auto& bullet : EShots) {
        if (!bullet->alive || !BrrBmp->IsInside(bullet->x - left, bullet->y - top)) continue;
        bullet->setPresence(false);
        PlayWave(Sound::Banish);
    }
}

// Whether the enemy survived the friend's touch.
bool FriendContact(TEnemy& enemy)
{
    if (!Friend->exists || !enemy.hits(*Friend)) return true;
    enemy.damage(FriendDamage);
    if (!enemy.alive) return false;
    explode("bom01", Friend->x, Friend->y, Friend->vx, Friend->vy);
    return true;
}

// Whether the enemy survived the laser.
bool LaserHit(TEnemy& enemy)
{
    const std::int32_t w = Mine->laserWidth;
    if (w <= 0 || enemy.top() >= Mine->y || std::abs(Mine->x - enemy.x) >= enemy.width() / 2 + w) return true;
    enemy.damage(1);
    PlayWave(Sound::Laser);
    if (!enemy.alive) return false;
    scatterExplosion("bom01", Mine->x, enemy.top() + Random(enemy.height()), 2);
    return true;
}

void BulletHits(TEnemy& enemy)
{
    for (const auto& shot : Shots) {
        if (!shot->alive || !enemy.hits(*shot)) continue;
        shot->setPresence(false);
        enemy.damage(shot->power);
        if (!enemy.alive) return;
        explode("bom01", shot->x, shot->y, enemy.vx, enemy.vy);
        PlayWave(shot->power == 1 ? Sound::HitBit : Sound::HitBit2);
    }
}

}  // namespace

void GameTick()
{
    ToggleFps();
    TickWaveHold();
    if (GameOver) GameOverStep();
    else if (StageClear) StageClearStep();
    else if (Pause) PauseStep();
    else PlayStep();
}

void NewGame(std::int32_t stage)
{
    Mine->lives = 2;
    Score = 0;
    StartStage(stage);
}

void HitWeapons()
{
    if (Mine->bombRadius > 0) BombBlast(Mine->bombRadius);
    if (Mine->barrier) BarrierWipe();
    for (const auto& enemy : Enemies) {
        if (!enemy->alive || !enemy->onScreen()) continue;
        if (FriendContact(*enemy) && LaserHit(*enemy)) BulletHits(*enemy);
    }
}

void HitMine()
{
    if (!Mine->hittable()) return;
    for (const auto& bullet : EShots) {
        if (!bullet->alive || !bullet->onScreen()) continue;
        // The friend absorbs a bullet that lies on it, and takes no damage.
        if (Friend->exists && Friend->hits(*bullet)) {
            bullet->setPresence(false);
            continue;
        }
        if (bullet->hits(*Mine)) return Mine->hit();
    }
    for (const auto& enemy : Enemies)
        if (enemy->alive && enemy->onScreen() && enemy->hits(*Mine)) return Mine->hit();
}
