// Whatever cannot be played is silence, with one line on stderr naming it;
// a sound file reaches the mixer only when our own check of its header says
// it is whole and in a format the game plays.
#include "WavFile.h"
#include "platform/Audio.h"
#include "platform/WaveFile.h"
#include "runtime/MyMidi.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

std::size_t Lines(const std::string& text) { return std::size_t(std::count(text.begin(), text.end(), '\n')); }

using TBytes = std::vector<std::uint8_t>;

// A sound as the data generator writes it: 16-bit mono at 44100 Hz, 100 samples.
TBytes Wave()
{
    const std::vector<std::int16_t> samples(100, 1000);
    return DataGen::EncodeWav(samples, 44100);
}

void Put32(TBytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b.at(at + std::size_t(i)) = std::uint8_t(v >> (8 * i));
}
void Put16(TBytes& b, std::size_t at, std::uint32_t v)
{
    b.at(at) = std::uint8_t(v);
    b.at(at + 1) = std::uint8_t(v >> 8);
}

// A chunk of another kind, odd-sized and so padded, before the format.
TBytes WithListChunk()
{
    TBytes b = Wave();
    const TBytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    b.insert(b.begin() + 12, list.begin(), list.end());
    Put32(b, 4, std::uint32_t(b.size() - 8));
    return b;
}

// 8-bit stereo at 22050 Hz.
TBytes EightBitStereo()
{
    TBytes b = Wave();
    Put16(b, 22, 2);
    Put32(b, 24, 22050);
    Put32(b, 28, 22050 * 2);
    Put16(b, 32, 2);
    Put16(b, 34, 8);
    return b;
}

bool Check(const TBytes& bytes, std::string& why) { return Audio::CheckWaveBytes(bytes, why); }

TEST(WaveCheck, AcceptsTheFormatsTheGamePlays)
{
    for (const TBytes& bytes : {Wave(), WithListChunk(), EightBitStereo()}) {
        std::string why;
        EXPECT_TRUE(Check(bytes, why)) << why;
    }
}

TEST(WaveCheck, RefusesCutFilesAndFormatsTheGameDoesNotPlay)
{
    struct TCase {
        const char* what;
        std::function<void(TBytes&)> damage;
        const char* says;
    };
    const TCase cases[] = {
        {"cut to 100 bytes", [](TBytes& b) { b.resize(100); },
         "the file is cut short: its header promises 244 bytes, the file holds 100"},
        {"cut in the header", [](TBytes& b) { b.resize(10); }, "not a RIFF WAVE file"},
        {"data promising more than the file",
         [](TBytes& b) { Put32(b, 40, 400); }, "the sound data is cut short: its chunk promises 400 bytes, the file holds 200"},
        {"RIFF but no WAVE", [](TBytes& b) { b[8] = 'A'; }, "not a RIFF WAVE file"},
        {"no format chunk", [](TBytes& b) { b[12] = 'x'; }, "the sound data comes before its format"},
        {"nothing after the header", [](TBytes& b) { b.resize(12); Put32(b, 4, 4); }, "no format chunk"},
        {"no data chunk", [](TBytes& b) { b.resize(36); Put32(b, 4, 28); }, "no sound data"},
        {"floating-point samples", [](TBytes& b) { Put16(b, 20, 3); }, "sound format 3; the game plays uncompressed PCM only"},
        {"extensible format", [](TBytes& b) { Put16(b, 20, 0xFFFE); }, "sound format 65534"},
        {"no channels", [](TBytes& b) { Put16(b, 22, 0); }, "0 channels"},
        {"six channels", [](TBytes& b) { Put16(b, 22, 6); }, "6 channels"},
        {"24-bit samples", [](TBytes& b) { Put16(b, 34, 24); }, "24-bit samples"},
        {"an odd rate", [](TBytes& b) { Put32(b, 24, 12345); }, "an unusual rate of 12345 samples a second"},
        {"a wrong byte rate", [](TBytes& b) { Put32(b, 28, 1); }, "the format chunk contradicts itself"},
        {"a wrong block size", [](TBytes& b) { Put16(b, 32, 4); }, "the format chunk contradicts itself"},
        {"a short format chunk", [](TBytes& b) { Put32(b, 16, 14); }, "the format chunk is cut short"},
        {"a format chunk past the end", [](TBytes& b) { Put32(b, 16, 0x7FFFFFFF); }, "a chunk runs past the end"},
        {"no samples", [](TBytes& b) { Put32(b, 40, 0); }, "the sound holds no samples"},
        {"half a sample", [](TBytes& b) { Put32(b, 40, 199); }, "the sound data ends inside a sample"},
        {"a RIFF size of 4 GiB", [](TBytes& b) { Put32(b, 4, 0xFFFFFFFF); }, "the file is cut short"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TBytes bytes = Wave();
        c.damage(bytes);
        std::string why;
        EXPECT_FALSE(Check(bytes, why));
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
    }
}

// A sound file that fails the check is silence with one line naming the file
// and the cause, with a device and with the silent output that stands in for one.
TEST(AudioSilence, ADamagedSoundIsSilenceWithOneLineNamingItAndTheCause)
{
    const TTempFolder folder;
    TBytes cut = Wave();
    cut.resize(100);
    const std::string cutPath = folder.Write("cut.wav", cut).string();
    std::filesystem::create_directory(folder / "folder.wav");
    const std::pair<std::string, const char*> files[] = {
        {cutPath, "the file is cut short: its header promises 244 bytes, the file holds 100"},
        {(folder / "folder.wav").string(), "it is a folder, not a file"},
        {(folder / "missing.wav").string(), "there is no such file"},
    };
    for (const Audio::TBackend backend : {Audio::TBackend::Device, Audio::TBackend::Silent}) {
        for (const auto& [path, says] : files) {
            SCOPED_TRACE(path);
            Audio::Open(backend);
            testing::internal::CaptureStderr();
            EXPECT_FALSE(Audio::LoadWave(path));
            Audio::PlayWave(path);
            const std::string err = testing::internal::GetCapturedStderr();
            EXPECT_EQ(Lines(err), 1u) << err;
            EXPECT_EQ(err, "korvalen: cannot load the sound \"" + path + "\" (" + says + "); playing on without it\n");
            Audio::Close();
        }
    }
}

TEST(AudioSilence, AWholeSoundLoadsSilently)
{
    const TTempFolder folder;
    const std::string path = folder.Write("whole.wav", Wave()).string();
    Audio::Open(Audio::TBackend::Device);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Audio::LoadWave(path));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    Audio::Close();
}

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
