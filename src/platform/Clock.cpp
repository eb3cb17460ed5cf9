#include "Clock.h"

#include <ctime>

namespace Platform {
namespace {

class TMonotonicClock final : public TClock {
public:
    std::uint32_t NowMs() override
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        // Milliseconds since boot, kept to 32 bits like the original's clock.
        return std::uint32_t(std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u);
    }

    void SleepMs(std::uint32_t ms) override
    {
        timespec ts{time_t(ms / 1000u), long(ms % 1000u) * 1000000L};
        while (nanosleep(&ts, &ts) != 0) {
        }
    }
};

TMonotonicClock monotonicClock;
TClock* currentClock = &monotonicClock;

}  // namespace

std::uint32_t ClockMs() { return currentClock->NowMs(); }
void SleepMs(std::uint32_t ms) { currentClock->SleepMs(ms); }
void UseClock(TClock* clock) { currentClock = clock ? clock : &monotonicClock; }

}  // namespace Platform
