#include "MyRandom.h"

#include "platform/Clock.h"

#include <utility>

namespace {

// xorshift64*: small, fast and the same on every machine. Starts from a
// fixed state, so whatever is drawn before seeding is the same every run.
std::uint64_t state = 0x9E3779B97F4A7C15ull;
std::function<std::int32_t(std::int32_t)> scripted;

std::uint32_t Next32()
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return std::uint32_t((state * 0x2545F4914F6CDD1Dull) >> 32);
}

}  // namespace

void Randomize() { RandSeed(Platform::ClockMs()); }

void RandSeed(std::uint64_t seed)
{
    // splitmix64 of the seed: never the all-zero state xorshift cannot leave.
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    state = (z ^ (z >> 31)) | 1u;
}

std::int32_t Random(std::int32_t n)
{
    if (scripted) return scripted(n);
    if (n <= 0) return 0;
    return std::int32_t((std::uint64_t(Next32()) * std::uint64_t(n)) >> 32);
}

void SetRandomSource(std::function<std::int32_t(std::int32_t)> source) { scripted = std::move(source); }
