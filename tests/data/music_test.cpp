// The generated music: every piece passes the game's check and plays
// through FluidSynth.
#include "platform/Audio.h"
#include "runtime/MyMidi.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const Pieces[] = {"ronri", "varnel", "nozomare", "byakuya", "ketudan", "ito",
                              "jenoside", "namae", "fukai", "velmor", "end", "yomenai"};

TEST(Music, EveryPiecePassesTheCheckAndPlays)
{
    Audio::Open(Audio::TBackend::Device);
    ASSERT_TRUE(Audio::InitMusic());
    for (const char* piece : Pieces) {
        const std::string path = std::string("dat/") + piece + ".mid";
        std::string why;
        EXPECT_TRUE(CheckMidiFile(path, why)) << path << ": " << why;
        EXPECT_TRUE(Audio::PlayMusic(path)) << path;
        Audio::StopMusic();
    }
    Audio::FreeMusicPlayer();
    Audio::Close();
}

}  // namespace
