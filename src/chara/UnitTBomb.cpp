#include "UnitTBomb.h"

#include "UnitPools.h"
#include "runtime/MyRandom.h"

namespace {

constexpr std::int32_t ExplosionLife = 19;

void Start(TBomb& bomb, std::string_view name, std::int32_t px, std::int32_t py, std::int32_t pvx, std::int32_t pvy)
{
    bomb.spawn(name, px, py);
    bomb.vx = pvx;
    bomb.vy = pvy;
    bomb.life = ExplosionLife;
}

}  // namespace

void TBomb::update()
{
    if (life <= 0) {
        setPresence(false);
        return;
    }
    life -= 1;
    TChara::update();
}

void explode(std::string_view name, std::int32_t px, std::int32_t py, std::int32_t pvx, std::int32_t pvy)
{
    if (TBomb* bomb = FirstFree(Bombs)) Start(*bomb, name, px, py, pvx, pvy);
}

void scatterExplosion(std::string_view name, std::int32_t px, std::int32_t py, std::int32_t spread)
{
    TBomb* bomb = FirstFree(Bombs);
    if (!bomb) return;
    // The draws come in this order: y, vx, vy, x.
    const std::int32_t sy = py + Random(5) - 2;
    const std::int32_t svx = Random(2 * spread + 1) - spread;
    const std::int32_t svy = Random(2 * spread + 1) - spread;
    const std::int32_t sx = px + Random(5) - 2;
    Start(*bomb, name, sx, sy, svx, svy);
}
