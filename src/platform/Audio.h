// Sound effects and music. One effect channel: starting an effect cuts the
// one playing. Whatever cannot be played (no device, a missing or broken
// file) is silence, reported by one line on stderr.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Audio {

enum class TBackend {
    Device,  // SDL2_mixer, music through FluidSynth with the General MIDI soundfont
    Silent,  // no output; effects' files are checked as for a device, plays are only logged
};

// Opens the output for effects and music; a missing device is silence.
void Open(TBackend backend);
// Releases everything, the device last.
void Close();

// Loads an effect once, so that playing it later reads nothing; false (and
// silence when it is played) when there is no device, or the file is missing
// or fails CheckWaveBytes, which one stderr line naming it then says.
bool LoadWave(std::string_view path);
// Starts a loaded effect, cutting the one playing; unknown paths are silence.
void PlayWave(std::string_view path);
// Stops any effect.
void StopWave();

// Prepares MIDI playback (FluidSynth with the General MIDI soundfont, unless
// SDL_SOUNDFONTS names another) at the game's music level; false when music
// cannot be played.
bool InitMusic();
// Stops the music and releases the synthesizer.
void FreeMusicPlayer();
// Starts a piece of music that repeats until stopped; false when it cannot be loaded.
bool PlayMusic(const std::string& path);
// Loads a piece ahead, so that a later PlayMusic of it starts at once; false
// when it cannot be loaded.
bool PrepareMusic(const std::string& path);
void StopMusic();

// What was asked of the output, for tests and the headless driver.
enum class TEventKind : std::uint8_t { Wave, WaveStop, Music, MusicStop };
struct TEvent {
    TEventKind kind;
    std::array<char, 64> path{};  // for Wave and Music; kept in place, so logging allocates nothing
    std::size_t length = 0;
    std::string_view name() const { return {path.data(), length}; }
};
// Starts (or clears) recording; nothing is recorded until this is called.
void StartLog();
std::span<const TEvent> Log();

}  // namespace Audio
