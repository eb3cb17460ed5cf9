// Explosions: short-lived characters that drift in a straight line while
// their ten frames play once, then vanish.
#pragma once

#include "UnitTChara.h"

#include <string_view>

class TBomb final : public TChara {
public:
    std::int32_t life = 19;  // frames of motion left

    TBomb() { reset(); }
    void update() override;
};

// Starts the sprite set's explosion drifting with the velocity; dropped when
// every explosion is in use.
void explode(std::string_view name, std::int32_t px, std::int32_t py, std::int32_t pvx, std::int32_t pvy);
// An explosion within 2 pixels of the point, drifting at up to `spread` pixels
// per frame on each axis.
void scatterExplosion(std::string_view name, std::int32_t px, std::int32_t py, std::int32_t spread);
