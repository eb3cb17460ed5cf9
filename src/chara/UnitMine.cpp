#include "UnitMine.h"

#include "UnitEnemy.h"
#include "UnitPools.h"
#include "UnitTBomb.h"
#include "UnitTShot.h"
#include "graphics/Playfield.h"
#include "platform/Keys.h"
#include "runtime/MyWave.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"
#include "runtime/UnitReport.h"

#include <algorithm>

namespace {

constexpr std::int32_t FullEnergy = 2000;
constexpr std::int32_t RechargePerFrame = 20;
constexpr std::int32_t SteeringCost = 10;
constexpr std::int32_t MainShotCost = 30;
constexpr std::int32_t LaserCost = 100;
constexpr std::int32_t HomingCost = 120;
constexpr std::int32_t DarkCost = 60;
constexpr std::int32_t BarrierCost = 60;
constexpr std::int32_t BombPrice = 1000;
constexpr std::int32_t BombRadius = 250;
constexpr std::int32_t ShotCooldown = 3;
constexpr std::int32_t HomingCooldown = 3;
constexpr std::int32_t MaxLaserWidth = 10;
constexpr std::int32_t LaserGrowth = 2;
constexpr std::int32_t InvulnerableFrames = 50;
constexpr std::int32_t DeathFrames = 15;
constexpr std::int32_t ExplodingDeathFrames = 10;
constexpr std::int32_t EntryX = 400, EntryY = 512;
constexpr std::int32_t EntryVx = -16, EntryVy = -10;

bool Held(std::uint8_t key) { return GetKeyFlag(key); }

void TryBomb(TMyChara& me)
{
    if (!me.alive || StageClear || me.bombEffect > 0 || Score < BombPrice) return;
    Score -= BombPrice;
    me.bombX = me.x;
    me.bombY = me.y;
    me.bombEffect = BombRadius;
    me.bombRadius = BombRadius;
    ForcePlayWaveHold(Sound::Bomb, 48);
    me.invulnFrames = InvulnerableFrames;
}

void Steer(TMyChara& me)
{
    const bool left = Held(VK::Left), right = Held(VK::Right), up = Held(VK::Up), down = Held(VK::Down);
    if (!(left || right || up || down) || !me.spendEnergy(SteeringCost)) return;
    // Opposite keys held together cancel on their axis; the energy is spent all the same.
    if (left != right) me.ax = right ? me.moveAccel : -me.moveAccel;
    if (up != down) me.ay = down ? me.moveAccel : -me.moveAccel;
}

void FireMainShot(TMyChara& me)
{
    if (!Held(VK::Z) || !me.alive || me.shotCooldown != 0 || !me.spendEnergy(MainShotCost)) return;
    me.shotCooldown = ShotCooldown;
    firePlayerShot(+1, -15);
    firePlayerShot(-1, -15);
}

void FireLaser(TMyChara& me)
{
    if (!Held(VK::X) || !me.alive || !me.spendEnergy(LaserCost)) return;
    me.laserWidth = me.laserWidthPrev;
    if (me.laserWidth < MaxLaserWidth) me.laserWidth += LaserGrowth;
}

// The target moves on in every frame the key is held, before the cooldown is looked at.
void FireHoming(TMyChara& me)
{
    if (!Held(VK::C) || !me.alive || !me.findTarget() || me.homingCooldown != 0 || !me.spendEnergy(HomingCost))
        return;
    me.homingCooldown = HomingCooldown;
    firePlayerHoming(*Enemies[std::size_t(me.targetIndex)]);
}

void GoDark(TMyChara& me)
{
    if (!Held(VK::A) || !me.alive || me.invulnFrames > 1 || !me.spendEnergy(DarkCost)) return;
    me.dark = true;
    PlayWave(Sound::WeakShort);
}

void RaiseBarrier(TMyChara& me)
{
    if (Held(VK::S) && me.alive && me.spendEnergy(BarrierCost)) me.barrier = true;
}

void CountDown(std::int32_t& frames)
{
    if (frames > 0) --frames;
}

// The walls of the visible window stop only a ship moving outward, so a ship
// outside it moving inward is not pulled in.
void StopAtWalls(std::int32_t& position, std::int32_t& velocity, std::int32_t low, std::int32_t high)
{
    if (position < low && velocity < 0) {
        position = low;
        velocity = 0;
    } else if (position >= high && velocity > 0) {
        position = high - 1;
        velocity = 0;
    }
}

// Friction takes 1 per frame toward rest.
void Brake(std::int32_t& v)
{
    if (v > 0) --v;
    else if (v < 0) ++v;
}

}  // namespace

void TMyChara::recharge()
{
    if (alive) energy = std::min(energy + RechargePerFrame, FullEnergy);
}

bool TMyChara::hittable() const { return alive && invulnFrames <= 0 && !dark; }

void TMyChara::hit()
{
    alive = false;
    if (lives > 0) ForcePlayWaveHold(Sound::Fire, 16);
    else ForcePlayWaveHold(Sound::Break, 30);
    deathFrames = DeathFrames;
    if (lives > 0) return;
    WriteReport(false);
    BeginGameOver();
}

void TMyChara::endFrame()
{
    dark = false;
    barrier = false;
    laserWidthPrev = laserWidth;
    laserWidth = 0;
    bombRadius = 0;
}

void TMyChara::enter()
{
    ForcePlayWave(Sound::Bullet);
    place(EntryX, EntryY);
    lives -= 1;
    entering = true;
    invulnFrames = InvulnerableFrames;
    SyncPlayerAnim();
    vx = EntryVx;
    vy = EntryVy;
}

bool TMyChara::spendEnergy(std::int32_t cost)
{
    if (energy < cost) return false;
    energy -= cost;
    return true;
}

bool TMyChara::findTarget()
{
    if (energy < HomingCost) return false;
    // Every slot, the boss slot included; the old target's slot is looked at last.
    std::int32_t i = targetIndex;
    do {
        i = (i + 1) % std::int32_t(MaxEnemies);
        if (Enemies[std::size_t(i)]->alive) {
            targetIndex = i;
            return true;
        }
    } while (i != targetIndex);
    return false;
}

TPanelPlayer TMyChara::panelView() const { return TPanelPlayer{&x, &y, &energy, &lives, &entering}; }

void TMyChara::update()
{
    if (!exists) return;
    if (!alive) {
        if (deathFrames <= 0) {
            if (lives > 0) enter();
            else setPresence(false);
            return;
        }
        if (DeathFrames - deathFrames < ExplodingDeathFrames) {
            if (lives > 0) scatterExplosion("bom01b", x, y, 2);
            else scatterExplosion("bom02b", x, y, 5);
        }
        deathFrames -= 1;
    }
    CountDown(invulnFrames);
    CountDown(shotCooldown);
    CountDown(homingCooldown);
    move();
    if (x + width() / 2 < Playfield::Right) entering = false;
    StopAtWalls(x, vx, Playfield::Left, Playfield::Right);
    StopAtWalls(y, vy, Playfield::Top, Playfield::Bottom);
    Brake(vx);
    Brake(vy);
    ax = 0;
    ay = 0;
}

void TMyChara::reset()
{
    TChara::reset();
    anim.Init(1);
    moveAccel = 2;
    energy = FullEnergy;
    entering = false;
    shotCooldown = 0;
    targetIndex = 0;
    homingCooldown = 0;
}

void TMyChara::draw()
{
    if (!alive) return;
    // An invulnerable ship sparkles.
    if (invulnFrames > 0) scatterExplosion("bom01b", x, y, 2);
    setSprite(dark ? "minedark" : "mine");
    TChara::draw();
}

void playerControl()
{
    TMyChara& me = *Mine;
    if (me.entering) return;
    if (Held(VK::D)) TryBomb(me);
    Steer(me);
    FireMainShot(me);
    FireLaser(me);
    FireHoming(me);
    GoDark(me);
    RaiseBarrier(me);
}

void SyncPlayerAnim() { Mine->anim.count = ScreenBufSide->LivesAnim.count; }
