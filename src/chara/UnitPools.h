// The fixed pools every character lives in, made once at start-up, and the
// list of all 450 in the order they are moved and drawn: enemies first, enemy
// bullets last (on top of everything else).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

class TChara;
class TEnemy;
class TBomb;
class TShot;
class TFriend;
class TMyChara;

constexpr std::size_t MaxEnemies = 128;
constexpr std::size_t MaxBombs = 128;
constexpr std::size_t MaxShots = 64;
constexpr std::size_t MaxEShots = 128;
constexpr std::size_t CharaCount = MaxEnemies + MaxBombs + MaxShots + 1 + 1 + MaxEShots;
// The last enemy slot is kept for the boss spawners.
constexpr std::size_t BossSlot = MaxEnemies - 1;

extern std::array<std::unique_ptr<TEnemy>, MaxEnemies> Enemies;
extern std::array<std::unique_ptr<TBomb>, MaxBombs> Bombs;  // explosions
extern std::array<std::unique_ptr<TShot>, MaxShots> Shots;  // the player's and the friend's bullets
extern std::unique_ptr<TFriend> Friend;
extern std::unique_ptr<TMyChara> Mine;  // the player
extern std::array<std::unique_ptr<TShot>, MaxEShots> EShots;
extern std::array<TChara*, CharaCount> AllCharas;

// Makes every character, in the order of AllCharas (start-up).
void CreateCharas();
// The player, the player's bullets and the enemy bullets get their sprite sets
// (start-up, once the fixed sets are loaded).
void AssignCharaSprites();
// Frees the player, the friend, the bullets, the enemies and the explosions (shut-down).
void FreeCharas();
// One update of every character, in list order.
void MoveAll();

// The object in the lowest of the first `count` slots that is free, or nullptr.
template <typename T, std::size_t N>
T* FirstFree(const std::array<std::unique_ptr<T>, N>& pool, std::size_t count = N)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!pool[i]->exists) return pool[i].get();
    return nullptr;
}
