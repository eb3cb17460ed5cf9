#include "UnitStory.h"

#include "UnitReadStory.h"
#include "platform/Errors.h"
#include "platform/FileBytes.h"
#include "runtime/MyRandom.h"
#include "runtime/UnitMain.h"

std::array<TChapter, Chapters> Story;
std::array<std::string_view, PageSize> PageLines;
std::array<std::int32_t, PageSize> LineX{};
std::int32_t LinesShown = 0;
std::int32_t LineFade = 0;
std::int32_t PageNo = 0;
bool ChapterEnd = false;

namespace {

constexpr std::size_t MaxChapterBytes = 1024 * 1024;
constexpr std::string_view PageMark = "@page";

std::string ChapterPath(std::int32_t n) { return "dat/story/chapter" + std::to_string(n) + ".txt"; }

// The picture a page brings: what follows "@page", without the blanks around it.
std::string PictureOf(std::string_view mark)
{
    std::string_view rest = mark.substr(PageMark.size());
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
    return std::string(rest);
}

// The length of the well-formed UTF-8 sequence at the start of text, or 0:
// no overlong forms, no surrogates, nothing past U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(text[i])); };
    const std::uint32_t lead = byte(0);
    const std::size_t length = lead < 0x80 ? 1 : lead >> 5 == 0x6 ? 2 : lead >> 4 == 0xE ? 3 : lead >> 3 == 0x1E ? 4 : 0;
    if (length == 0 || text.size() < length) return 0;
    std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i) & 0x3F);
    }
    constexpr std::uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < Smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// A damaged byte would show as a box in the story.
bool IsUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) return false;
        text.remove_prefix(length);
    }
    return true;
}

void FillPage(const TStoryPage& page, bool last)
{
    if (!page.picture.empty()) ShowPicture(page.picture);
    for (std::size_t i = 0; i < page.lines.size(); ++i) PageLines[i] = page.lines[i];
    if (last) ChapterEnd = true;
}

}  // namespace

TChapter ParseChapter(std::string_view text, const std::string& file)
{
    TChapter chapter;
    std::int32_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string where = "line " + std::to_string(number);
        if (!IsUtf8(line)) throw ELoadError(file, where + ": not UTF-8 text");
        if (line.empty() || line.front() == '#') continue;
        if (line.substr(0, PageMark.size()) == PageMark) {
            chapter.push_back({PictureOf(line), {}});
            continue;
        }
        if (chapter.empty()) throw ELoadError(file, where + ": text before the first @page");
        if (chapter.back().lines.size() == PageSize) throw ELoadError(file, where + ": a page holds six lines at most");
        chapter.back().lines.emplace_back(line);
    }
    if (chapter.empty()) throw ELoadError(file, "no pages");
    for (const TStoryPage& page : chapter)
        if (page.lines.empty()) throw ELoadError(file, "a page without lines");
    return chapter;
}

void LoadStory()
{
    for (std::int32_t n = 0; n < Chapters; ++n) {
        const std::string path = ChapterPath(n);
        const std::vector<unsigned char> bytes = Platform::ReadFileBytes(path, MaxChapterBytes);
        Story[std::size_t(n)] =
            ParseChapter(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), path);
    }
}

void FreeStory()
{
    PageLines.fill({});
    for (TChapter& chapter : Story) chapter.clear();
}

void ClearPage()
{
    for (std::size_t i = 0; i < PageSize; ++i) {
        PageLines[i] = {};
        LineX[i] = 60 + Random(40);
    }
    LineFade = 0;
    LinesShown = 0;
}

void NextPage()
{
    ClearPage();
    if (StageNo >= 0 && StageNo < Chapters) {
        const TChapter& chapter = Story[std::size_t(StageNo)];
        if (PageNo >= 0 && std::size_t(PageNo) < chapter.size())
            FillPage(chapter[std::size_t(PageNo)], std::size_t(PageNo) + 1 == chapter.size());
    }
    PageNo += 1;
}
