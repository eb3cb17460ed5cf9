// Sound effects, one at a time: a new sound cuts the one playing. A hold-off
// counted in game ticks lets an important sound keep the output.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Every effect the game plays.
namespace Sound {
constexpr std::string_view TitleCall = "dat/titlecall.wav";
constexpr std::string_view Bullet = "dat/bullet.wav";
constexpr std::string_view WeakShort = "dat/weakshort.wav";
constexpr std::string_view Bomb = "dat/bomb.wav";
constexpr std::string_view Fire = "dat/fire.wav";
constexpr std::string_view Break = "dat/break.wav";
constexpr std::string_view Banish = "dat/banish.wav";
constexpr std::string_view Laser = "dat/laser.wav";
constexpr std::string_view HitBit = "dat/hitbit.wav";
constexpr std::string_view HitBit2 = "dat/hitbit2.wav";
constexpr std::string_view Pan = "dat/pan.wav";
constexpr std::string_view Collapse = "dat/collapse.wav";
constexpr std::string_view Open = "dat/open.wav";
constexpr std::array<std::string_view, 13> All = {TitleCall, Bullet, WeakShort, Bomb,     Fire,     Break, Banish,
                                                  Laser,     HitBit, HitBit2,   Pan,      Collapse, Open};
}  // namespace Sound

// Game ticks during which ordinary play requests are dropped.
extern std::int32_t WaveHold;
// The sound last started, until the next stop: a copy of the caller's text.
extern std::string CurrentSound;

// Reads every effect once, so that playing never touches the disk.
void LoadWaves();
void PlayWave(std::string_view path);
void ForcePlayWave(std::string_view path);
void PlayWaveHold(std::string_view path, std::int32_t ticks);
void ForcePlayWaveHold(std::string_view path, std::int32_t ticks);
void StopWave();
void ResetWaveHold();
void TickWaveHold();
