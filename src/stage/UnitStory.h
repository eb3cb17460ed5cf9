// The story's chapters, one after each regular stage, and the page state the
// reader shows: the lines of the current page, where each starts, how far the
// reveal has come, which page is next and whether the chapter has ended.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr std::int32_t Chapters = 10;
constexpr std::size_t PageSize = 6;

// One page: its picture (a file inside dat/, or none) and one to six lines.
struct TStoryPage {
    std::string picture;
    std::vector<std::string> lines;
};
using TChapter = std::vector<TStoryPage>;

// The chapters, read from dat/story/ at start-up.
extern std::array<TChapter, Chapters> Story;

// The lines of the current page, top first; an empty one is not used. They
// point into Story, which lives for the whole run.
extern std::array<std::string_view, PageSize> PageLines;
extern std::array<std::int32_t, PageSize> LineX;  // 60 … 99, drawn anew for every page
extern std::int32_t LinesShown;                   // lines fully shown; the next is being revealed
extern std::int32_t LineFade;                     // 0, 51, … 255: the reveal's brightness step
extern std::int32_t PageNo;                       // the next page of the chapter
extern bool ChapterEnd;                           // the chapter's last page has been filled

// Reads dat/story/chapter0.txt … chapter9.txt; throws ELoadError naming the
// file and line when one cannot be read or breaks the page format.
void LoadStory();
// Parses one chapter's text: "@page" (optionally followed by a picture name)
// starts a page, every other non-empty line not starting with # is a line of it.
TChapter ParseChapter(std::string_view text, const std::string& file);
void FreeStory();

void ClearPage();
// Fills page PageNo of chapter StageNo (nothing beyond stage 9), then moves PageNo on.
void NextPage();
