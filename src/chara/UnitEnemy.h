// Enemies: fighters, bosses and meteors. One number, the kind (0 … 29),
// decides the sprite set, hit points, points, starting motion and the rules
// by which the enemy moves, fires and launches other enemies each frame.
#pragma once

#include "UnitTChara.h"

#include <cstdint>

constexpr std::uint8_t EnemyKinds = 30;

class TEnemy final : public TChara {
public:
    std::uint8_t kind = 0;
    std::int32_t hp = 1;
    std::int32_t dyingFrames = 0;  // what is left of a boss's dying sequence
    bool boss = false;             // not removed at the world's edge; dies slowly and clears the stage
    std::int32_t points = 1;

    TEnemy() { reset(); }

    // Sets the kind first, so that the reset the spawn runs applies the kind's values.
    void spawnKind(std::uint8_t k, std::int32_t px, std::int32_t py);
    void damage(std::int32_t amount);
    void kill();
    // Nothing is scored while the game is over.
    void awardPoints();

    void update() override;
    void reset() override;

private:
    void dyingStep();
    void behave();
    void fireAimed(std::int32_t speed);
    void fireHoming(std::int32_t speed);
    void launchEnemy(std::uint8_t k, std::int32_t speed);
    void chase(std::int32_t limit);
    void wander();
    void weave(std::int32_t limit);
    void diveAndWeave(std::int32_t limit);
    void fallBackToTheTop(std::int32_t newX);
    void fall(std::int32_t meteorPull);
    void wanderForAWhile();
};

// v × (v + 1) div 2, negated for negative v: how far v carries at a braking of 1 per frame.
std::int32_t stopDistance(std::int32_t v);

// Enemies from slots 0 … 126; dropped when none is free.
void spawnEnemy(std::uint8_t kind, std::int32_t px, std::int32_t py);
// The stage boss, in slot 127 only when it is free.
void spawnBoss(std::uint8_t kind, std::int32_t px, std::int32_t py);
// A boss that is worth its points a hundred times over once, in slot 127 only
// when it is free; it does not end the stage.
void spawnBonusBoss(std::uint8_t kind, std::int32_t px, std::int32_t py);
// An enemy worth nothing, sent at the player with the speed; it keeps its
// kind's acceleration and timer, and is removed at once when it is off screen.
void spawnAimedEnemy(std::uint8_t kind, std::int32_t px, std::int32_t py, std::int32_t speed);
