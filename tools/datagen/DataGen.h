// The generator's parts. Each writes its files into paths.out and throws
// std::runtime_error naming the source file on any fault in the sources.
#pragma once

#include <filesystem>

namespace DataGen {

struct Paths {
    std::filesystem::path assets;  // readable sources
    std::filesystem::path out;     // the dat/ folder being made
};

// Sprite sheets, the side panel background and the window icon (.bmp).
void WriteSprites(const Paths& paths);
// One review picture: every sprite sheet (all frames, on black) and the side panel.
void WriteContactSheet(const Paths& paths, const std::filesystem::path& file);
// Sound effects (.wav, PCM).
void WriteSounds(const Paths& paths);
// Music (.mid, Standard MIDI Files for General MIDI).
void WriteMusic(const Paths& paths);

// One chapter after each of the ten stages.
constexpr int StoryChapters = 10;
// The story chapters (story/chapter<N>.txt), checked and copied unchanged.
void WriteStory(const Paths& paths);
// The story's pictures: scenes (.jpg) and figures (.bmp).
void WritePictures(const Paths& paths);

}  // namespace DataGen
