// The frame scheduler: a table of periodic callbacks run by one polling loop,
// and the frame-rate counter shown in the caption.
#pragma once

#include <cstdint>
#include <vector>

class TForm;

using TTickCallback = void (*)();

struct TTickSlot {
    std::int32_t Interval = 0;   // milliseconds; 0 or less never fires
    std::uint32_t LastTime = 0;  // clock at the last firing or the registration
    TTickCallback Callback = nullptr;
};

// The private message that starts the frame loop.
constexpr std::uint32_t WM_FRAMELOOP = 1034;

extern std::vector<TTickSlot> TickSlots;
extern bool FpsVisible;

// Puts the callback in the slot, growing the table when needed; its first
// firing comes more than one interval from now.
void RegisterTick(std::int32_t slot, std::int32_t interval, TTickCallback callback);
// Empties every slot; the table keeps its length.
void ClearTicks();
// Empties the slots and, the first time only, posts WM_FRAMELOOP to the form.
void StartFrameLoop(TForm& form);
// Pumps messages, sleeps 1 ms and runs the due callbacks, until the
// application terminates.
void RunFrameLoop();
// Runs every slot whose interval has strictly passed at now.
void RunDueTicks(std::uint32_t now);
// Counts one drawn frame: −1 nothing to show, −2 blank the figure, else the figure.
std::int32_t CountFrame();
// Called once per drawn frame by every scene: while the player has the frame
// rate shown, the caption shows the figure ("19fps"), then goes blank.
void ShowFrameRate();
// On a press of P: shows or hides the frame rate; hiding restores the caption.
void ToggleFps();
