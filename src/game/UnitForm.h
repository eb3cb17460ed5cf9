// The main form: it owns the start-up and shut-down order of every module,
// routes keys into the key table, runs the frame loop when its private
// message arrives, and pauses the game when the application loses activation.
#pragma once

#include "runtime/WindowTitles.h"
#include "platform/Application.h"

#include <cstdint>

constexpr std::int32_t ClientSize = 416;

class TFormMain final : public TForm {
public:
    TFormMain();

    void FormCreate() override;
    void FormDestroy() override;
    void WndProc(std::uint32_t message) override;
    // Shows the frame rate in the caption when the player has switched it on.
    void showFPS();
    void FormKeyDown(std::uint8_t key) override;
    void FormKeyUp(std::uint8_t key) override;
    // Swallows Alt and F10, which would open the system menu.
    bool FormShortCut(std::uint8_t key) override;
    void AppDeactivate();
};

extern TFormMain* FormMain;

// What the units make before the main form exists (the title strip, the
// story's images and chapters, the barrier), and free after it is gone.
void StartUnits();
void StopUnits();
