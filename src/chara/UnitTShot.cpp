#include "UnitTShot.h"

#include "UnitMine.h"
#include "UnitPools.h"

namespace {

constexpr std::int32_t HomingFrames = 50;
constexpr std::int32_t PlayerHomingSpeed = 10;
// Bullets that do not home speed up toward the top.
constexpr std::int32_t UpwardPull = -1;

bool AtThePlayer(std::int32_t px, std::int32_t py) { return px == Mine->x && py == Mine->y; }

}  // namespace

void TShot::launch(std::int32_t px, std::int32_t py, std::int32_t pvx, std::int32_t pvy, std::int32_t pax,
                   std::int32_t pay, std::int32_t damage)
{
    place(px, py);
    vx = pvx;
    vy = pvy;
    ax = pax;
    ay = pay;
    power = damage;
}

void TShot::launchHoming(std::int32_t px, std::int32_t py, TChara& goal, std::int32_t speed, std::int32_t damage)
{
    place(px, py);
    target = &goal;
    homingSpeed = speed;
    homingFrames = HomingFrames;
    power = damage;
}

void firePlayerShot(std::int32_t dvx, std::int32_t dvy)
{
    if (TShot* shot = FirstFree(Shots)) shot->launch(Mine->x, Mine->y, Mine->vx + dvx, Mine->vy + dvy, 0, UpwardPull, 1);
}

void fireFriendShot()
{
    if (TShot* shot = FirstFree(Shots)) shot->launch(Friend->x, Friend->y, 0, 0, 0, UpwardPull, 100);
}

void firePlayerHoming(TChara& goal)
{
    if (TShot* shot = FirstFree(Shots)) shot->launchHoming(Mine->x, Mine->y, goal, PlayerHomingSpeed, 2);
}

void fireEnemyAimed(std::int32_t px, std::int32_t py, std::int32_t speed)
{
    if (AtThePlayer(px, py)) return;
    TShot* shot = FirstFree(EShots);
    if (!shot) return;
    shot->launch(px, py, 0, 0, 0, 0, 1);
    shot->aimAt(*Mine, speed);
}

void fireEnemyHoming(std::int32_t px, std::int32_t py, std::int32_t speed)
{
    if (AtThePlayer(px, py)) return;
    if (TShot* shot = FirstFree(EShots)) shot->launchHoming(px, py, *Mine, speed, 1);
}
