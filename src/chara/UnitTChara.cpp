#include "UnitTChara.h"

#include "UnitPools.h"
#include "UnitTShot.h"
#include "graphics/Playfield.h"
#include "runtime/UnitMain.h"

std::int32_t CeilSqrt(std::int32_t n)
{
    std::int32_t d = 0;
    while (d * d < n) ++d;
    return d;
}

std::int32_t TChara::width() const { return sprite ? sprite->width : 0; }
std::int32_t TChara::height() const { return sprite ? sprite->height : 0; }

bool TChara::inWorld() const
{
    return x >= 0 && x < Playfield::WorldWidth && y >= 0 && y < Playfield::WorldHeight;
}

bool TChara::onScreen() const
{
    return x + width() / 2 >= Playfield::Left && x - width() / 2 < Playfield::Right &&
           y + height() / 2 >= Playfield::Top && y - height() / 2 < Playfield::Bottom;
}

void TChara::setPresence(bool flag)
{
    exists = flag;
    alive = flag;
}

void TChara::place(std::int32_t px, std::int32_t py)
{
    reset();
    x = px;
    y = py;
    setPresence(true);
}

void TChara::spawn(std::string_view name, std::int32_t px, std::int32_t py)
{
    place(px, py);
    setSprite(name);
}

void TChara::setSprite(std::string_view name) { sprite = &Name2CSC(name); }

void TChara::move()
{
    vx += ax;
    vy += ay;
    x += vx;
    y += vy;
}

void TChara::aimAt(const TChara& other, std::int32_t speed)
{
    vx = other.x - x;
    vy = other.y - y;
    const std::int32_t d = CeilSqrt(vx * vx + vy * vy);
    if (d == 0) return;
    // d is never below the true distance, so the speed never exceeds the one asked for.
    vx = vx * speed / d;
    vy = vy * speed / d;
}

void TChara::homingStep()
{
    if (target && target->alive) aimAt(*target, homingSpeed);
    // A stalled homing bullet whose target died drops downward at half speed.
    else if (vx == 0 && vy == 0) vy = homingSpeed / 2;
}

bool TChara::hitsPoint(std::int32_t px, std::int32_t py) const
{
    if (!hasFrames()) return false;
    const std::int32_t dy = py - top();
    if (dy < 0 || dy >= height()) return false;
    const std::int32_t dx = px - left();
    if (dx < 0 || dx >= width()) return false;
    return sprite->GetShell(anim.Current()).IsSolid(dx, dy);
}

void TChara::update()
{
    if (!exists) return;
    if (homingFrames > 0) {
        homingStep();
        homingFrames -= 1;
    }
    move();
    if (!inWorld()) setPresence(false);
}

void TChara::reset()
{
    anim.Init(2);
    setPresence(false);
    vx = vy = ax = ay = 0;
    target = nullptr;
    homingSpeed = 0;
    homingFrames = 0;
}

void TChara::draw()
{
    if (!exists || !hasFrames()) return;
    const std::int32_t f = anim.Next(sprite->frameCount);
    sprite->DrawAt(f, x, y);
}

void TFriend::reset()
{
    TChara::reset();
    ax = -1;
    ay = 1;
}

void TFriend::update()
{
    if (!exists) return;
    if ((vx + 1) * ax > 6) ax = -ax;
    if (vy * ay > 7) ay = -ay;
    if (StageFrame % 3 == 0) fireFriendShot();
    TChara::update();
}

void spawnFriend()
{
    if (!Friend->exists) Friend->spawn("my2", 400, 460);
}
