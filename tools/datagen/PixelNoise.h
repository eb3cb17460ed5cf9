// Seeded, repeatable randomness for drawing: the same seed always gives the
// same rocks, sparks and speckles, so the generated files never change by themselves.
#pragma once

#include <cstdint>

namespace DataGen {

// Mixes the inputs into 32 well-spread bits (unsigned arithmetic wraps by design).
constexpr std::uint32_t NoiseHash(std::uint32_t seed, std::uint32_t x, std::uint32_t y)
{
    std::uint32_t h = seed * 0x9E3779B9u ^ x * 0x85EBCA6Bu ^ y * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// 0 <= value < 1 for a whole-number lattice point.
constexpr double NoiseUnit(std::uint32_t seed, int x, int y)
{
    return static_cast<double>(NoiseHash(seed, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) >> 8) /
           16777216.0;
}

// A small sequential generator for choosing a series of values from one seed.
class NoiseStream {
public:
    explicit NoiseStream(std::uint32_t seed) : seed_(seed) {}
    double Next() { return NoiseUnit(seed_, counter_++, 0x5EED); }
    double Between(double low, double high) { return low + (high - low) * Next(); }

private:
    std::uint32_t seed_;
    int counter_ = 0;
};

}  // namespace DataGen
