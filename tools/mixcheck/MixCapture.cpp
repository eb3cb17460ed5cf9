#include "MixCapture.h"

#include "platform/Audio.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace MixCheck {
namespace {

constexpr std::size_t FrameBytes = Channels * sizeof(std::int16_t);
// What a wait may take beyond the real-time length of what it waits for.
constexpr std::chrono::seconds WaitSlack{20};

constexpr const char* DriverVariables[] = {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIODELAY"};

void CloseAudio()
{
    Audio::FreeMusicPlayer();
    Audio::Close();
}

}  // namespace

// SDL reads its driver settings from the environment when the output opens.
TDriverSettings::TDriverSettings(const std::filesystem::path& file)
{
    for (std::size_t i = 0; i < saved_.size(); ++i)
        if (const char* value = std::getenv(DriverVariables[i])) saved_[i] = value;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
}

TDriverSettings::~TDriverSettings()
{
    for (std::size_t i = 0; i < saved_.size(); ++i) {
        if (saved_[i]) setenv(DriverVariables[i], saved_[i]->c_str(), 1);
        else unsetenv(DriverVariables[i]);
    }
}

TDiskCapture::TDiskCapture(std::filesystem::path file) : file_(std::move(file)), settings_(file_)
{
    Audio::Open(Audio::TBackend::Device);
    if (!Audio::InitMusic()) {
        CloseAudio();
        throw std::runtime_error("cannot open the game's audio on SDL's disk driver");
    }
}

TDiskCapture::~TDiskCapture() { CloseAudio(); }

// Loading a piece takes a while, and all the while the output writes
// silence, many buffers of it when nothing else plays.
TStart TDiskCapture::StartMusic(const std::string& path)
{
    const std::size_t before = FramesWritten();
    if (!Audio::PlayMusic(path)) throw std::runtime_error("cannot play " + path);
    return {before, FramesWritten()};
}

void TDiskCapture::StopMusic() { Audio::StopMusic(); }

TStart TDiskCapture::StartEffect(std::string_view path)
{
    if (!Audio::LoadWave(path)) throw std::runtime_error("cannot load " + std::string(path));
    const std::size_t before = FramesWritten();
    Audio::PlayWave(path);
    return {before, FramesWritten()};
}

std::size_t TDiskCapture::FramesWritten() const
{
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(file_, error);
    return error ? 0 : std::size_t(bytes / FrameBytes);
}

void TDiskCapture::WaitForFrames(std::size_t frames) const
{
    const std::size_t waited = frames - std::min(frames, FramesWritten());
    const auto deadline = std::chrono::steady_clock::now() + WaitSlack +
                          std::chrono::milliseconds(waited * 1000 / SampleRate);
    while (FramesWritten() < frames) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the audio output stopped writing " + file_.string());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::vector<std::int16_t> TDiskCapture::Read(TStretch stretch) const
{
    std::ifstream in(file_, std::ios::binary);
    in.seekg(std::streamoff(stretch.from * FrameBytes));
    std::vector<std::int16_t> samples(stretch.frames * Channels);
    in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * sizeof(std::int16_t)));
    samples.resize(std::size_t(in.gcount()) / FrameBytes * Channels);
    return samples;
}

}  // namespace MixCheck
