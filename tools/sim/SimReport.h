// What the headless driver writes: the game's state as JSON, one trace line
// per tick, and screenshots of the client area.
#pragma once

#include "platform/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Sim {

// The player's one-frame weapon states as they were when the tick drew its frame.
struct TWeaponStates {
    std::int32_t laserWidth = 0;
    bool dark = false;
    bool barrier = false;
};

// What a tick started: effects and pieces of music, and whether the music stopped.
struct TTickSounds {
    std::vector<std::string> sounds;
    std::vector<std::string> music;
    bool musicStopped = false;
};

// The state's fields, as the members of one JSON object (without braces).
std::string StateFields(const std::string& scene, const TWeaponStates& weapons);
std::string StateJson(const std::string& scene, const TWeaponStates& weapons);
std::string TraceLine(std::int32_t tick, const std::string& scene, const TWeaponStates& weapons,
                      const TTickSounds& sounds);
// The 416 × 416 client area as a 24-bit BMP; throws naming the file when it cannot be written.
void WriteShot(const TBitmap& client, const std::string& file);

}  // namespace Sim
