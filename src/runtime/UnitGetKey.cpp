#include "UnitGetKey.h"

#include "platform/Keys.h"

std::array<bool, 256> KeyFlags{};
std::array<bool, 256> KeyHeld{};

void SetKeyFlag(std::uint8_t vk) { KeyFlags.at(vk) = true; }
void ResetKeyFlag(std::uint8_t vk) { KeyFlags.at(vk) = false; }
bool GetKeyFlag(std::uint8_t vk) { return KeyFlags.at(vk); }

void ClearKeys()
{
    KeyFlags.fill(false);
    KeyHeld.fill(false);
}

bool ConfirmPushed()
{
    if (!GetKeyFlag(VK::Space) && !GetKeyFlag(VK::Return)) return false;
    ResetKeyFlag(VK::Space);
    ResetKeyFlag(VK::Return);
    return true;
}

void KeyTableKeyDown(std::uint8_t vk)
{
    // A key already down is the keyboard's auto-repeat: one press, one rise.
    if (KeyHeld.at(vk)) return;
    SetKeyFlag(vk);
    KeyHeld.at(vk) = true;
}

void KeyTableKeyUp(std::uint8_t vk)
{
    // The release of a press this window never saw changes nothing.
    if (!KeyHeld.at(vk)) return;
    ResetKeyFlag(vk);
    KeyHeld.at(vk) = false;
}
