// The music mix as the player hears it: every piece and every effect played
// through the game's own audio output (captured on SDL's disk driver), and
// the effects played over the loudest piece.
#pragma once

#include "MixLevels.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace MixCheck {

// An effect stands clearly over the music when its loudest 400 ms (all of
// it, when shorter) is at least this far above the loudest 400 ms of any
// piece: wherever it falls, it is twice as loud as the music at its loudest.
constexpr double EffectMarginDb = 6.0;
// The pieces' integrated loudness may differ by at most this much.
constexpr double LoudnessSpreadDb = 3.0;
// Where the loop turns, the first bar played again lies within this much of
// the last bar's loudness...
constexpr double JoinStepDb = 3.0;
// ...and the music never falls silent for longer than this (below -60 dBFS).
constexpr double JoinQuietSeconds = 0.05;

// The turn of the loop: the piece's last bar and its first bar played again.
struct TLoopJoin {
    double lastBar = 0;        // LUFS
    double firstBarAgain = 0;  // LUFS
    double step = 0;           // firstBarAgain - lastBar, dB
    double quietSeconds = 0;   // the longest near-silence from the last bar into the repeat
};

struct TPieceFigures {
    std::string name;
    double seconds = 0;  // measured, from its first sound
    TLevels levels;
    bool joinMeasured = false;  // only when the piece was played whole
    TLoopJoin join;
};

// One part of a piece, played alone through the same output.
struct TPartFigures {
    std::string piece;
    std::string track;
    int program = 0;  // General MIDI's 1...128; 0 for the drum kit
    bool melody = false;
    TLevels levels;
};

struct TEffectFigures {
    std::string_view path;
    double seconds = 0;  // sounding length
    TLevels alone;
    double margin = 0;      // dB of its loudest moment over the loudest moment of any piece
    TLevels overMusic;      // the mix while it sounds over the loudest piece
    double musicUnder = 0;  // LUFS of that piece's loudest moment under it
};

struct TMixFigures {
    std::vector<TPieceFigures> pieces;
    std::vector<TEffectFigures> effects;
    std::string effectsOver;  // the piece the effects were played over
    double loudnessSpread = 0;
};

struct TMixOptions {
    std::filesystem::path assets;   // the note text gives each piece's length
    std::filesystem::path capture;  // the disk driver's output file
    double maxSecondsPerPiece = 0;  // a bound on each piece's stretch; 0 plays every piece whole
};

// Measures in the current folder's dat/, as the game plays it.
TMixFigures MeasureMix(const TMixOptions& options);
void PrintMix(const TMixFigures& figures, std::FILE* out);

// Each part of the piece (every piece when the name is empty) alone, from
// its note text, compiled as the generator compiles it.
std::vector<TPartFigures> MeasureParts(const TMixOptions& options, const std::string& piece);
void PrintParts(const std::vector<TPartFigures>& parts, std::FILE* out);

// One pass of the piece as the game plays it, as a 16-bit stereo WAV file.
void RenderPiece(const TMixOptions& options, const std::string& piece, const std::filesystem::path& wav);

}  // namespace MixCheck
