// Where the game stands: the stage, its frame clock, the score and the
// special modes of the game scene; and the game scene's entry points, which
// the title and the stages hand over to (the scene itself is game/GameScene.cpp).
#pragma once

#include <cstdint>
#include <string>

extern bool Pause;
extern std::int32_t StageNo;
extern std::int32_t StageFrame;
extern bool StageClear;
extern std::int32_t ClearCount;
extern bool GameOver;
extern std::int32_t GameOverCount;
extern std::int32_t Score;

// Ticks each end-of-stage mode lasts.
constexpr std::int32_t StageClearTicks = 140;
constexpr std::int32_t GameOverTicks = 200;

void BeginStageClear();
void BeginGameOver();
// Releases every key, then asks with a modal message box (flags: MB_OK,
// MB_YESNO) and returns the button pressed.
std::int32_t AskUser(const std::string& text, const std::string& caption, std::int32_t flags);

// The game scene's tick: one frame of play, or of pause, stage clear or game over.
void GameTick();
// A new game from the stage: two ships in reserve, no points.
void NewGame(std::int32_t stage);
// The player's weapons, the friend and the bomb against the enemies and their bullets.
void HitWeapons();
// Enemy bullets and enemies against the player's centre: at most one hit a frame.
void HitMine();
