// The millisecond clock and the short sleep the frame loop polls with.
#pragma once

#include <cstdint>

namespace Platform {

// A source of time. The real one reads CLOCK_MONOTONIC; tests put a fake in its place.
class TClock {
public:
    virtual ~TClock() = default;
    // Milliseconds since an arbitrary start, wrapping at 2^32; take differences unsigned.
    virtual std::uint32_t NowMs() = 0;
    // Waits about ms milliseconds.
    virtual void SleepMs(std::uint32_t ms) = 0;
};

// A clock that moves only when told to, or by exactly the time slept.
class TFakeClock final : public TClock {
public:
    explicit TFakeClock(std::uint32_t start = 0) : now_(start) {}
    std::uint32_t NowMs() override { return now_; }
    void SleepMs(std::uint32_t ms) override { now_ += ms; }
    void Advance(std::uint32_t ms) { now_ += ms; }

private:
    std::uint32_t now_;
};

// Milliseconds of the current clock.
std::uint32_t ClockMs();
// Sleeps on the current clock.
void SleepMs(std::uint32_t ms);
// Puts a clock in place of the real one; nullptr restores the real one. Not owned.
void UseClock(TClock* clock);

}  // namespace Platform
