#include "StoryChapter.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace DataGen {
namespace {

constexpr std::string_view PageDirective = "@page";

// Lead bytes and continuation bytes of well-formed UTF-8, overlong forms,
// surrogates and code points beyond U+10FFFF excluded.
bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned char lead = byte(i);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else return false;
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char c = byte(i + k);
            if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return false;
        }
        i += length;
    }
    return true;
}

class ChapterReader {
public:
    explicit ChapterReader(const std::filesystem::path& file) : file_(file) {}

    std::vector<StoryPage> Read(std::string_view text)
    {
        std::istringstream lines{std::string(text)};
        for (std::string line; std::getline(lines, line);) {
            ++lineNo_;
            ReadLine(line);
        }
        CloseLastPage();
        return pages_;
    }

private:
    [[noreturn]] void Fail(int lineNo, const std::string& what) const
    {
        throw std::runtime_error(file_.string() + ":" + std::to_string(lineNo) + ": " + what);
    }

    void ReadLine(const std::string& line)
    {
        if (!line.empty() && line.back() == '\r') Fail(lineNo_, "the line ends in CR; use LF line ends");
        if (!IsUtf8(line)) Fail(lineNo_, "not UTF-8 text");
        if (line.empty() || line.front() == '#') return;
        if (line.front() == '@') StartPage(line);
        else AddText(line);
    }

    void StartPage(const std::string& line)
    {
        std::istringstream words(line);
        std::string directive, picture, extra;
        words >> directive >> picture >> extra;
        if (directive != PageDirective)
            Fail(lineNo_, "\"" + directive + "\" is not a directive; only @page is (text lines never begin with @)");
        if (!extra.empty()) Fail(lineNo_, "@page takes at most one picture name");
        if (!picture.empty() && std::ranges::find(StoryPictures, picture) == StoryPictures.end())
            Fail(lineNo_, "\"" + picture + "\" is not one of the story pictures (scene00.jpg ... scene04.jpg, fig1.bmp ... fig4.bmp)");
        if (pages_.empty() && picture.empty()) Fail(lineNo_, "the first page must load a picture");
        ClosePage();
        pages_.push_back({picture, {}});
        pageLineNo_ = lineNo_;
    }

    void AddText(const std::string& line)
    {
        if (pages_.empty()) Fail(lineNo_, "text before the first @page");
        std::vector<std::string>& lines = pages_.back().lines;
        if (lines.size() == MaxPageLines)
            Fail(lineNo_, "a page holds at most " + std::to_string(MaxPageLines) + " lines");
        lines.push_back(line);
    }

    void ClosePage() const
    {
        if (!pages_.empty() && pages_.back().lines.empty()) Fail(pageLineNo_, "the page has no lines");
    }

    void CloseLastPage() const
    {
        if (pages_.empty()) Fail(lineNo_, "the chapter has no pages");
        ClosePage();
    }

    std::filesystem::path file_;
    std::vector<StoryPage> pages_;
    int lineNo_ = 0;
    int pageLineNo_ = 0;
};

}  // namespace

std::vector<StoryPage> ParseChapter(std::string_view text, const std::filesystem::path& file)
{
    return ChapterReader(file).Read(text);
}

}  // namespace DataGen
