#include "MyTime.h"

#include "UnitGetKey.h"
#include "WindowTitles.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Keys.h"

#include <stdexcept>
#include <string>

std::vector<TTickSlot> TickSlots;
bool FpsVisible = false;

namespace {

TForm* loopForm = nullptr;
bool started = false;

std::int32_t frameCount = 0;
std::uint32_t reportTime = 0;
bool halfSecondShown = true;

// The frame counter's time since its last report, on the unsigned clock: its
// first report comes at once whatever the clock reads.
std::uint32_t Since(std::uint32_t now, std::uint32_t then) { return now - then; }

// A slot's elapsed time, signed and taken modulo 2^32: the clock's wrap stays
// safe, and a LastTime later than now reads as negative, that is "not yet".
std::int32_t Elapsed(std::uint32_t now, std::uint32_t then) { return std::int32_t(now - then); }

void RunSlot(std::size_t index, std::uint32_t now)
{
    const TTickSlot& slot = TickSlots.at(index);
    if (!slot.Callback || slot.Interval <= 0) return;
    if (Elapsed(now, slot.LastTime) <= slot.Interval) return;
    slot.Callback();
    // By index: the callback may have re-registered (or grown) the table.
    TickSlots.at(index).LastTime = now;
}

}  // namespace

void RegisterTick(std::int32_t slot, std::int32_t interval, TTickCallback callback)
{
    if (slot < 0) throw std::out_of_range("RegisterTick: negative slot " + std::to_string(slot));
    if (std::size_t(slot) >= TickSlots.size()) TickSlots.resize(std::size_t(slot) + 1);
    TickSlots.at(slot) = TTickSlot{interval, Platform::ClockMs(), callback};
}

void ClearTicks()
{
    for (TTickSlot& slot : TickSlots) {
        slot.Callback = nullptr;
        slot.Interval = 0;
    }
}

void StartFrameLoop(TForm& form)
{
    ClearTicks();
    loopForm = &form;
    if (started) return;
    started = true;
    Application::PostMessage(WM_FRAMELOOP);
}

void RunDueTicks(std::uint32_t now)
{
    for (std::size_t i = 0; i < TickSlots.size(); ++i) RunSlot(i, now);
}

void RunFrameLoop()
{
    for (;;) {
        Application::ProcessMessages();
        Platform::SleepMs(1);
        RunDueTicks(Platform::ClockMs());
        if (Application::Terminated()) return;
    }
}

std::int32_t CountFrame()
{
    ++frameCount;
    const std::uint32_t elapsed = Since(Platform::ClockMs(), reportTime);
    if (elapsed < 500) return -1;
    if (elapsed < 1000) {
        if (halfSecondShown) return -1;
        halfSecondShown = true;
        return -2;
    }
    const std::int32_t figure = frameCount;
    halfSecondShown = false;
    reportTime = Platform::ClockMs();
    frameCount = 0;
    return figure;
}

void ShowFrameRate()
{
    if (!FpsVisible || !loopForm) return;
    const std::int32_t figure = CountFrame();
    if (figure == -2) loopForm->SetCaption("");
    else if (figure >= 0) loopForm->SetCaption(std::to_string(figure) + "fps");
}

void ToggleFps()
{
    if (!GetKeyFlag(VK::P)) return;
    ResetKeyFlag(VK::P);
    FpsVisible = !FpsVisible;
    if (!FpsVisible && loopForm) loopForm->SetCaption(WindowTitle);
}
