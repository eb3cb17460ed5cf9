// The key table: the form's key handlers record presses here and the scenes
// read it once per tick. Held keys are read as they are; keys that trigger
// one action are consumed when read.
#pragma once

#include <array>
#include <cstdint>

// True from a key's first key-down until its key-up or until a reader consumes it.
extern std::array<bool, 256> KeyFlags;
// True while the key is down as far as the form has seen; filters auto-repeat.
extern std::array<bool, 256> KeyHeld;

void SetKeyFlag(std::uint8_t vk);
void ResetKeyFlag(std::uint8_t vk);
bool GetKeyFlag(std::uint8_t vk);
// Releases every key in both tables.
void ClearKeys();
// Space or Enter, the one confirm key: consumes both flags.
bool ConfirmPushed();

// The form's key-down and key-up handling.
void KeyTableKeyDown(std::uint8_t vk);
void KeyTableKeyUp(std::uint8_t vk);
