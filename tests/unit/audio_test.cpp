// Whatever cannot be played is silence, with one line on stderr naming it.
#include "platform/Audio.h"
#include "runtime/MyMidi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::size_t Lines(const std::string& text) { return std::size_t(std::count(text.begin(), text.end(), '\n')); }

TEST(AudioSilence, MissingSoundIsSilenceWithOneLine)
{
    Audio::Open(Audio::TBackend::Device);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Audio::LoadWave("dat/no-such-sound.wav"));
    Audio::PlayWave("dat/no-such-sound.wav");
    Audio::PlayWave("dat/never-loaded.wav");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Lines(err), 1u) << err;
    EXPECT_NE(err.find("dat/no-such-sound.wav"), std::string::npos) << err;
    Audio::Close();
}

TEST(AudioSilence, MissingMusicIsSilenceWithOneLine)
{
    Audio::Open(Audio::TBackend::Device);
    InitMidi();
    testing::internal::CaptureStderr();
    PlayMidi("dat/no-such-piece.mid");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Lines(err), 1u) << err;
    EXPECT_NE(err.find("dat/no-such-piece.mid"), std::string::npos) << err;
    FreeMidi();
    Audio::Close();
}

TEST(AudioSilence, NoDeviceIsSilenceWithOneLine)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    Audio::Open(Audio::TBackend::Device);
    EXPECT_FALSE(Audio::LoadWave("dat/pan.wav"));
    EXPECT_FALSE(Audio::InitMusic());
    Audio::PlayWave("dat/pan.wav");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Lines(err), 1u) << err;
    EXPECT_NE(err.find("no audio device"), std::string::npos) << err;
    Audio::Close();
}

}  // namespace
