// A story chapter: the readable source assets/story/chapter<N>.txt that the
// game's story reader shows page by page after stage N.
//
//   @page              starts a new page
//   @page NAME         starts a new page that loads the picture dat/NAME
//   # ...              a comment; empty lines are ignored as well
//   anything else      one text line of the current page, taken verbatim
//
// The text is UTF-8 with LF line ends.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace DataGen {

constexpr std::size_t MaxPageLines = 6;  // the reader has six line slots

// Every picture a page may load: the story scenes and the figures.
constexpr std::array<std::string_view, 9> StoryPictures{
    "scene00.jpg", "scene01.jpg", "scene02.jpg", "scene03.jpg", "scene04.jpg",
    "fig1.bmp",    "fig2.bmp",    "fig3.bmp",    "fig4.bmp"};

struct StoryPage {
    std::string picture;  // empty when the page keeps the picture shown before it
    std::vector<std::string> lines;
};

// Reads a chapter and holds it to what the reader relies on. Throws
// std::runtime_error "<file>:<line>: <what is wrong>" on any fault.
std::vector<StoryPage> ParseChapter(std::string_view text, const std::filesystem::path& file);

}  // namespace DataGen
