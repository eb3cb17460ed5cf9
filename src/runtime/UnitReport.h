// The battle record: a Japanese text file (CP932, CR LF) beside the game that
// the player can read. When a game ends, a dated entry is appended, but after
// the first one only when the game achieved something new: the first clear, a
// stage farther than ever, or a score higher than ever. The file is only ever
// appended to; whatever goes wrong with it is reported on stderr and the game
// goes on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr const char* ReportFile = "レポート.txt";

// What a game may have achieved; the scan clears what earlier entries hold.
struct TAchievements {
    bool firstClear = false;
    bool newStage = false;
    bool highScore = false;
    bool any() const { return firstClear || newStage || highScore; }
};

// Records the game that has just been cleared or lost, reading StageNo and Score.
void WriteReport(bool cleared);
// Clears the achievements that a record line of the file's CP932 bytes already
// holds (at StageNo and Score); whether anything new remains.
bool ScanReport(std::string_view fileBytes, TAchievements& achievements);
// n for "Stage" followed by the digit n, otherwise −1.
std::int32_t StageLevelOf(std::string_view label);
// The number before a final "点" (CP932), or −1 when there is none.
std::int32_t PointsOf(std::string_view text);
// "StageAnother" in the Another stage, "StageClear" for a cleared game, else "Stage" and the number.
std::string RecordLabel(bool cleared);
// The entry's CP932 bytes, each line ending in CR LF, starting with its empty line.
std::string ReportEntry(const TAchievements& achievements, bool cleared, const std::string& stampCp932);
