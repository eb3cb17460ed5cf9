// The program's one random generator. Timetables, enemies, explosions and
// the story layout all draw from it, so a seed replays a whole run.
#pragma once

#include <cstdint>
#include <functional>

// Seeds from the clock (start-up).
void Randomize();
// Seeds explicitly (tests and the headless driver).
void RandSeed(std::uint64_t seed);
// A whole number 0 … n − 1; 0 when n ≤ 0.
std::int32_t Random(std::int32_t n);
// Puts a scripted source in place of the generator (tests); an empty function restores it.
void SetRandomSource(std::function<std::int32_t(std::int32_t)> source);
