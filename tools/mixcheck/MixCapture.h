// What the game's own audio output plays, captured through SDL's disk driver:
// the mixer (SDL2_mixer with FluidSynth, opened exactly as the game opens it
// through platform/Audio.h) writes its output to a file. SDL 2.26's driver
// waits SDL_DISKAUDIODELAY ms between buffers; at 0 it runs as fast as the
// mixer renders, some thirty times real time.
#pragma once

#include "MixLevels.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace MixCheck {

// A stretch of the capture, in frames from its start.
struct TStretch {
    std::size_t from = 0;
    std::size_t frames = 0;
};

// The game opens its output with buffers of this many frames
// (platform/Audio.cpp), and the mixer starts a sound at the start of a
// buffer: the first it mixes after the sound was asked for.
constexpr std::size_t BufferFrames = 1024;

// Where a sound just started begins: at the start of a buffer, from the
// frames written before it was asked for up to one buffer past those
// written once it was.
struct TStart {
    std::size_t earliest = 0;
    std::size_t latest = 0;

    // A stretch from the earliest start that holds this much of the sound
    // wherever it began, its own first sample up to a buffer later still.
    TStretch Holding(std::size_t frames) const { return {earliest, latest - earliest + 2 * BufferFrames + frames}; }
};

constexpr std::size_t Frames(double seconds) { return std::size_t(seconds * SampleRate); }

// Points SDL's audio at the disk driver while it lives.
class TDriverSettings {
public:
    explicit TDriverSettings(const std::filesystem::path& file);
    ~TDriverSettings();
    TDriverSettings(const TDriverSettings&) = delete;
    TDriverSettings& operator=(const TDriverSettings&) = delete;

private:
    std::array<std::optional<std::string>, 3> saved_;
};

class TDiskCapture {
public:
    // Opens the game's audio output onto the file; throws when it cannot (no
    // disk driver, no MIDI synthesizer). One capture at a time.
    explicit TDiskCapture(std::filesystem::path file);
    ~TDiskCapture();
    TDiskCapture(const TDiskCapture&) = delete;
    TDiskCapture& operator=(const TDiskCapture&) = delete;

    TStart StartMusic(const std::string& path);
    void StopMusic();
    TStart StartEffect(std::string_view path);

    // Waits until the output has written this many frames; throws when that
    // takes longer than playing them in real time would, and then some.
    void WaitForFrames(std::size_t frames) const;
    // Frames written so far and on disk, which can be read.
    std::size_t FramesWritten() const;
    std::vector<std::int16_t> Read(TStretch stretch) const;

private:
    std::filesystem::path file_;
    TDriverSettings settings_;
};

}  // namespace MixCheck
