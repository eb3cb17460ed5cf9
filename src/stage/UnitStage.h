// The stages: a timetable of enemy appearances per stage, keyed to the stage
// clock and ending with a boss at frame 900; the endless Another stage; the
// sprite sets and music each stage needs; and the start of a stage.
#pragma once

#include <cstdint>
#include <string_view>

// Puts the game into the starting state of stage n (10 and above: the Another stage).
void StartStage(std::int32_t n);
// Runs the current stage's timetable for this frame, then advances the stage
// clock (after 29999 it goes on at 20000).
void StageStep();
// Loads every sprite set the current stage can need.
void LoadStageSprites();
// The music of a stage.
std::string_view StageMusic(std::int32_t stage);
