// The story's pictures: dat/scene00.jpg ... scene04.jpg and dat/fig1.bmp ...
// fig4.bmp, painted from the recipes assets/pictures/<stem>.txt.
#pragma once

#include "PixelImage.h"

#include <array>
#include <filesystem>
#include <string_view>

namespace DataGen {

// The reader draws a picture with 40 darkened columns on each side, centred
// in the 416-pixel window with its top at y = 30, and the text from y = 260.
constexpr int StoryPictureMaxWidth = 416 - 2 * 40;
constexpr int StoryPictureMaxHeight = 260 - 30;

constexpr std::array<std::string_view, 9> StoryPictureFiles{
    "scene00.jpg", "scene01.jpg", "scene02.jpg", "scene03.jpg", "scene04.jpg",
    "fig1.bmp",    "fig2.bmp",    "fig3.bmp",    "fig4.bmp"};

// Paints the picture that becomes dat/`file`, held to the story screen's
// limits; throws std::runtime_error naming the recipe when it falls short.
PixelImage MakeStoryPicture(const std::filesystem::path& assets, std::string_view file);

}  // namespace DataGen
