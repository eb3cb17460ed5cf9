// Bullets: the player's main and homing shots, the friend's shots, and enemy
// bullets, with the spawners that fire them from their pools.
#pragma once

#include "UnitTChara.h"

class TShot final : public TChara {
public:
    std::int32_t power = 1;  // damage to an enemy it hits

    TShot() { reset(); }
    void launch(std::int32_t px, std::int32_t py, std::int32_t pvx, std::int32_t pvy, std::int32_t pax,
                std::int32_t pay, std::int32_t damage);
    // Starts at rest; the first update aims it, and it re-aims for 50 frames.
    void launchHoming(std::int32_t px, std::int32_t py, TChara& goal, std::int32_t speed, std::int32_t damage);
};

// Each spawner takes the first free bullet of its pool; with none free the
// request is dropped.
void firePlayerShot(std::int32_t dvx, std::int32_t dvy);
void fireFriendShot();
void firePlayerHoming(TChara& goal);
// Enemy bullets; nothing is fired from the player's exact position.
void fireEnemyAimed(std::int32_t px, std::int32_t py, std::int32_t speed);
void fireEnemyHoming(std::int32_t px, std::int32_t py, std::int32_t speed);
