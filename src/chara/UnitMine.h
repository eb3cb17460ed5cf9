// The player's ship: it flies with inertia under the arrow keys and draws on
// one energy gauge for everything it does; its body is the single point at
// its centre. When hit it explodes and a reserve ship comes in from the side
// panel, or the game ends.
#pragma once

#include "UnitTChara.h"
#include "graphics/UnitScreenBuf.h"

class TMyChara final : public TChara {
public:
    std::int32_t energy = 0;  // the gauge, 0 … 2000
    std::int32_t moveAccel = 0;
    std::int32_t lives = 0;  // ships in reserve
    bool entering = false;   // sliding in; every key is ignored meanwhile
    std::int32_t invulnFrames = 0;
    std::int32_t shotCooldown = 0;
    bool dark = false;              // cannot be hit in this frame
    std::int32_t laserWidth = 0;    // half-width of this frame's beam
    std::int32_t laserWidthPrev = 0;
    std::int32_t bombRadius = 0;    // the blast acting in this frame
    std::int32_t bombX = 0, bombY = 0;
    std::int32_t bombEffect = 0;    // the blast's visible radius, shrunk as it is drawn
    bool barrier = false;           // up in this frame
    std::int32_t deathFrames = 0;
    std::int32_t targetIndex = 0;   // enemy slot of the homing target
    std::int32_t homingCooldown = 0;

    TMyChara() { reset(); }

    void recharge();
    bool hittable() const;
    void hit();
    // Clears the one-frame weapon states.
    void endFrame();
    // Puts a new ship on the playfield, gliding in from the side panel.
    void enter();
    bool spendEnergy(std::int32_t cost);
    // Moves the homing target on to the next live enemy.
    bool findTarget();
    // What the side panel reads of the player.
    TPanelPlayer panelView() const;

    void update() override;
    void reset() override;
    void draw() override;
};

// The keys act on the player: bomb, steering, main shot, laser, homing shot,
// dark phase and barrier, paid for from the gauge in that order.
void playerControl();
// The ship shows the same animation frame as the side panel's lives icons.
void SyncPlayerAnim();
