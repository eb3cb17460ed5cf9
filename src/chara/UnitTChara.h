// Characters: everything that moves on the playfield (the player, the friend,
// enemies, bullets, explosions). A character has a position, a velocity and an
// acceleration in whole pixels of the playfield's work bitmap, a sprite set
// with its own animation counter, two presence flags and a small homing
// mechanism. All of them are made once, at start-up, and recycled through
// their presence flags.
#pragma once

#include "graphics/UnitTCSC.h"

#include <cstdint>
#include <string_view>

class TChara {
public:
    TCSC* sprite = nullptr;   // not owned: sets belong to the sprite store
    bool exists = false;      // occupies its pool slot; a free slot is one without it
    TShellCount anim;
    TChara* target = nullptr;  // what homing steers toward; not owned
    std::int32_t homingSpeed = 0;
    std::int32_t homingFrames = 0;
    std::int32_t x = 0, y = 0;    // the centre of the sprite
    std::int32_t vx = 0, vy = 0;  // pixels per frame
    std::int32_t ax = 0, ay = 0;  // pixels per frame per frame
    bool alive = false;           // takes part in collisions and acts

    virtual ~TChara() = default;
    TChara(const TChara&) = delete;
    TChara& operator=(const TChara&) = delete;

    // The sprite set's frame size (0 without a set).
    std::int32_t width() const;
    std::int32_t height() const;
    std::int32_t left() const { return x - width() / 2; }
    std::int32_t top() const { return y - height() / 2; }
    bool inWorld() const;
    // Whether the sprite's box overlaps the visible playfield.
    bool onScreen() const;

    void setPresence(bool flag);
    // Resets the character (its class's own reset), puts it at the point and makes it present.
    void place(std::int32_t px, std::int32_t py);
    void spawn(std::string_view name, std::int32_t px, std::int32_t py);
    void setSprite(std::string_view name);

    // Velocity += acceleration, then position += velocity.
    void move();
    // Points the velocity at the other character with at most this speed.
    void aimAt(const TChara& other, std::int32_t speed);
    void homingStep();

    // Whether the point lies on an opaque pixel of the current frame.
    bool hitsPoint(std::int32_t px, std::int32_t py) const;
    // Whether the other character's centre lies on this one's opaque pixels.
    bool hits(const TChara& other) const { return hitsPoint(other.x, other.y); }

    // One frame of behaviour: homing, motion, removal outside the world.
    virtual void update();
    // Back to the idle state: free, at rest, no homing; position and sprite stay.
    virtual void reset();
    // Draws the current frame and advances the animation.
    virtual void draw();

protected:
    // The classes that are made call their own reset in their constructors.
    TChara() = default;

private:
    bool hasFrames() const { return sprite && sprite->frameCount > 0; }
};

// The least whole number d ≥ 0 with d × d ≥ n, found by counting up from 0.
std::int32_t CeilSqrt(std::int32_t n);

// The friend ship: it drifts across the lower playfield, weaving, and fires upward.
class TFriend final : public TChara {
public:
    TFriend() { reset(); }
    void update() override;
    void reset() override;
};

// Brings the friend in just right of the window, unless it is already there.
void spawnFriend();
