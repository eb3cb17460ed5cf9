// The music mix as the player hears it, measured through the game's own audio
// output on SDL's disk driver (tools/mixcheck prints the same figures): no
// piece clips, the pieces lie within 3 dB of each other, every effect stands
// clearly over the music, and every loop turns from its last bar into its
// first with no gap and no jump in level.
#include "MixReport.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

// Below this a measured stretch was never heard: the piece did not play.
constexpr double HeardLufs = -50.0;

TEST(MusicMix, NoPieceClipsThePiecesMatchTheLoopsTurnEvenlyAndEveryEffectStandsOut)
{
    TTempFolder folder;
    const MixCheck::TMixFigures mix = MixCheck::MeasureMix({KORVALEN_ASSETS_DIR, folder / "capture.raw", 0});
    MixCheck::PrintMix(mix, stdout);

    for (const MixCheck::TPieceFigures& piece : mix.pieces) {
        EXPECT_EQ(piece.levels.clipped, 0u) << piece.name;
        EXPECT_GT(piece.levels.loudness, HeardLufs) << piece.name;
        ASSERT_TRUE(piece.joinMeasured) << piece.name;
        EXPECT_LE(std::abs(piece.join.step), MixCheck::JoinStepDb) << piece.name;
        EXPECT_LE(piece.join.quietSeconds, MixCheck::JoinQuietSeconds) << piece.name;
    }
    EXPECT_LE(mix.loudnessSpread, MixCheck::LoudnessSpreadDb);
    for (const MixCheck::TEffectFigures& effect : mix.effects) {
        EXPECT_GE(effect.margin, MixCheck::EffectMarginDb) << effect.path;
        EXPECT_GT(effect.musicUnder, HeardLufs) << effect.path << " was not heard over the music";
    }
}

}  // namespace
