// The generated story chapters, read as the story reader reads them: the
// shape of every chapter, the forms its text carries, every line measured
// with the game's own text code, and every picture loaded with the game's loader.
#include "graphics/MyImage.h"
#include "platform/Fonts.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TPage {
    std::string picture;
    std::vector<std::string> lines;
};
using TChapter = std::vector<TPage>;

struct TChapterShape {
    std::vector<std::size_t> linesPerPage;
    std::size_t longestLine;  // in characters
    std::map<std::size_t, std::string> pictures;  // page: file
};

const std::array<TChapterShape, 10> Shapes{{
    {{2, 5, 2, 3, 4, 3, 4, 3, 4, 3, 3, 2}, 25, {{0, "scene03.jpg"}, {5, "scene02.jpg"}}},
    {{3, 3, 5, 6, 5, 3, 3}, 25, {{0, "scene02.jpg"}}},
    {{3, 6, 4, 6, 4, 6, 2, 3}, 23, {{0, "scene01.jpg"}}},
    {{2, 6, 5, 5, 5}, 22, {{0, "scene00.jpg"}}},
    {{2, 2, 5, 2, 3, 1, 1}, 20, {{0, "scene00.jpg"}}},
    {{1, 4, 3, 3, 4, 6, 6, 3, 6, 1, 3, 3, 4, 3, 3, 4, 4, 4, 5, 5, 6, 5, 5, 3, 5, 2, 1, 6, 5, 6, 6, 3, 2},
     27,
     {{0, "scene02.jpg"}, {9, "fig1.bmp"}, {11, "fig2.bmp"}, {12, "fig3.bmp"}, {14, "scene02.jpg"}}},
    {{4, 6, 2, 3}, 23, {{0, "scene04.jpg"}}},
    {{3, 3, 2, 5, 4, 2, 4, 3, 5, 3, 4, 3, 1, 1, 1, 1, 1}, 20, {{0, "scene00.jpg"}}},
    {{1, 1, 3, 1, 4, 2, 1, 1, 1, 3, 1, 2, 1, 1, 5, 2, 2, 1, 1}, 24, {{0, "scene04.jpg"}}},
    {{2, 4, 1, 1, 2, 4, 2, 3, 4, 1, 1, 1},
     21,
     {{0, "scene03.jpg"}, {5, "fig4.bmp"}, {6, "scene04.jpg"}, {9, "scene03.jpg"}}},
}};

// The reader's rules: "@page [picture]" starts a page, '#' lines and empty
// lines are skipped, every other line is text.
TChapter ReadChapter(std::size_t n)
{
    const std::string path = "dat/story/chapter" + std::to_string(n) + ".txt";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": missing");
    TChapter chapter;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("@page", 0) == 0) {
            chapter.push_back({line.size() > 6 ? line.substr(6) : "", {}});
        } else {
            if (chapter.empty()) throw std::runtime_error(path + ": text before the first page");
            chapter.back().lines.push_back(line);
        }
    }
    return chapter;
}

const std::array<TChapter, 10>& Story()
{
    static const std::array<TChapter, 10> story = [] {
        std::array<TChapter, 10> chapters;
        for (std::size_t n = 0; n < chapters.size(); ++n) chapters[n] = ReadChapter(n);
        return chapters;
    }();
    return story;
}

std::u32string CodePoints(const std::string& utf8)
{
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8.at(i + k)) & 0x3F);
        out.push_back(c);
        i += length;
    }
    return out;
}

std::vector<std::string> AllLines()
{
    std::vector<std::string> lines;
    for (const TChapter& chapter : Story())
        for (const TPage& page : chapter) lines.insert(lines.end(), page.lines.begin(), page.lines.end());
    return lines;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

std::string WholeStory()
{
    std::string text;
    for (const std::string& line : AllLines()) text += line + "\n";
    return text;
}

TEST(StoryChapters, EveryChapterHasTheReadersPagesLinesAndPictures)
{
    std::size_t pages = 0, lines = 0;
    for (std::size_t n = 0; n < Shapes.size(); ++n) {
        SCOPED_TRACE("chapter " + std::to_string(n));
        const TChapter& chapter = Story()[n];
        std::vector<std::size_t> linesPerPage;
        std::map<std::size_t, std::string> pictures;
        std::size_t longest = 0;
        for (std::size_t p = 0; p < chapter.size(); ++p) {
            linesPerPage.push_back(chapter[p].lines.size());
            if (!chapter[p].picture.empty()) pictures[p] = chapter[p].picture;
            for (const std::string& line : chapter[p].lines) longest = std::max(longest, CodePoints(line).size());
        }
        EXPECT_EQ(linesPerPage, Shapes[n].linesPerPage);
        EXPECT_EQ(pictures, Shapes[n].pictures);
        EXPECT_EQ(longest, Shapes[n].longestLine);
        pages += chapter.size();
        for (std::size_t count : linesPerPage) lines += count;
    }
    EXPECT_EQ(pages, 124u);
    EXPECT_EQ(lines, 390u);
}

TEST(StoryChapters, ChapterZeroListsSixRememberedFactsWithTheirConfidence)
{
    static const std::array<const char*, 6> Marks{"０．", "１．", "２．", "３．", "４．", "５．"};
    const std::regex confidence("（[0-9]{1,3}％）$");
    std::vector<std::vector<std::string>> items;
    for (std::size_t p = 8; p <= 10; ++p)
        for (const std::string& line : Story()[0].at(p).lines) {
            const bool starts = items.size() < Marks.size() && line.rfind(Marks[items.size()], 0) == 0;
            if (starts) items.emplace_back();
            ASSERT_FALSE(items.empty()) << "the list starts with item ０: " << line;
            items.back().push_back(line);
        }
    ASSERT_EQ(items.size(), Marks.size());
    for (const std::vector<std::string>& item : items) {
        SCOPED_TRACE(item.front());
        EXPECT_LE(item.size(), 2u) << "an item runs over two lines at most";
        EXPECT_TRUE(std::regex_search(item.back(), confidence)) << "an item closes with its confidence";
        if (item.size() == 2) {
            EXPECT_FALSE(std::regex_search(item.front(), confidence)) << "the confidence closes the item";
        }
    }
}

TEST(StoryChapters, HalfWidthRunsAreOnlyTheAcronymPercentagesBracketsAndFigureMarks)
{
    const std::string text = WholeStory();
    // Percentages: one to three half-width digits inside full-width parentheses.
    const std::regex percentage("（[0-9]{1,3}(%|％)）");
    const std::regex figureMark("\\(Fig\\.[1-4]\\)");
    const std::regex bracketPair("\\[[^\\[\\]\\n]+\\]");
    const std::regex acronym("[A-Z]{4}");
    std::string rest = std::regex_replace(text, percentage, "");
    rest = std::regex_replace(rest, figureMark, "");
    rest = std::regex_replace(rest, bracketPair, "");

    const std::regex latinWord("[A-Za-z]+");
    std::map<std::string, std::size_t> capitals;
    for (auto it = std::sregex_iterator(rest.begin(), rest.end(), latinWord); it != std::sregex_iterator(); ++it)
        ++capitals[it->str()];
    ASSERT_EQ(capitals.size(), 1u) << "one acronym, no other Latin words";
    const std::string term = capitals.begin()->first;
    EXPECT_TRUE(std::regex_match(term, acronym)) << term;
    EXPECT_GE(capitals.begin()->second, 10u) << "the acronym is a term of the story, used throughout";
    EXPECT_NE(text.find("。" + term), std::string::npos) << "sometimes a full stop stands before it";

    rest = std::regex_replace(rest, acronym, "");
    for (char c : rest)
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x80 && c != '\n') << "stray half-width '" << c << "'";
    EXPECT_GE(std::distance(std::sregex_iterator(text.begin(), text.end(), percentage), std::sregex_iterator()), 6);
    EXPECT_EQ(Count(text, "["), 1u);
    EXPECT_EQ(Count(text, "]"), 1u);
    EXPECT_TRUE(std::regex_search(text, bracketPair));
}

TEST(StoryChapters, FullWidthFormsAreAllThereWithExactlyOneFullWidthSpace)
{
    const std::string text = WholeStory();
    for (const char* mark : {"、", "。", "「", "」", "『", "』", "（", "）", "？", "！", "…", "―", "％"})
        EXPECT_GT(Count(text, mark), 0u) << mark;
    std::size_t digits = 0;
    for (const char* digit : {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"}) digits += Count(text, digit);
    EXPECT_GT(digits, 0u) << "full-width digits";
    EXPECT_EQ(Count(text, "\u3000"), 1u);
}

TEST(StoryChapters, QuotationsCloseWithinTheirChapter)
{
    for (std::size_t n = 0; n < Story().size(); ++n)
        for (const auto& [open, close] : {std::pair{"「", "」"}, {"『", "』"}, {"（", "）"}}) {
            int depth = 0;
            for (const TPage& page : Story()[n])
                for (const std::string& line : page.lines)
                    for (std::size_t i = 0; i < line.size(); ++i) {
                        if (line.compare(i, 3, open) == 0) ++depth;
                        if (line.compare(i, 3, close) == 0) --depth;
                        ASSERT_GE(depth, 0) << "chapter " << n << ": " << close << " before " << open << ": " << line;
                    }
            EXPECT_EQ(depth, 0) << "chapter " << n << " leaves " << open << " open";
        }
}

TEST(StoryChapters, FigureMarksEndALineOnThePageThatLoadsTheFigure)
{
    std::map<std::string, std::size_t> marks;
    for (const TChapter& chapter : Story())
        for (const TPage& page : chapter) {
            std::string onPage;
            for (const std::string& line : page.lines) {
                const std::size_t at = line.find("(Fig.");
                if (at == std::string::npos) continue;
                const std::string mark = line.substr(at);
                ++marks[mark];
                EXPECT_EQ(mark.size(), 7u) << "the mark ends its line: " << line;
                onPage = mark;
            }
            for (char n = '1'; n <= '4'; ++n)
                if (page.picture == std::string("fig") + n + ".bmp") {
                    EXPECT_EQ(onPage, std::string("(Fig.") + n + ")") << page.picture;
                }
        }
    EXPECT_EQ(marks, (std::map<std::string, std::size_t>{{"(Fig.1)", 1}, {"(Fig.2)", 1}, {"(Fig.3)", 1}, {"(Fig.4)", 1}}));
}

TEST(StoryChapters, ChapterSevenEndsInFiveOneSentencePages)
{
    const TChapter& chapter = Story()[7];
    ASSERT_GE(chapter.size(), 5u);
    for (std::size_t p = chapter.size() - 5; p < chapter.size(); ++p) {
        ASSERT_EQ(chapter[p].lines.size(), 1u) << "page " << p;
        const std::string& line = chapter[p].lines.front();
        EXPECT_EQ(Count(line, "。"), 1u) << line;
        EXPECT_EQ(line.substr(line.size() - 3), "。") << line;
        EXPECT_LE(CodePoints(line).size(), 15u) << "short: " << line;
    }
}

TEST(StoryChapters, ChapterEightIsMostlyOneAndTwoLinePages)
{
    const TChapter& chapter = Story()[8];
    const auto shortPages = std::ranges::count_if(chapter, [](const TPage& p) { return p.lines.size() <= 2; });
    EXPECT_GT(shortPages * 4, static_cast<std::ptrdiff_t>(chapter.size()) * 3);
}

// The reader draws line i at x = 60 ... 99 in the 9-point canvas face; at the
// rightmost start the line must still end inside the 416-pixel window.
TEST(StoryChapters, EveryLineFitsTheWindowFromTheRightmostStart)
{
    constexpr std::int32_t WindowWidth = 416, RightmostStart = 99;
    const Fonts::TFontSpec font{"", 9, TFontStyle::Regular};
    std::int32_t widest = 0;
    for (const std::string& line : AllLines()) {
        const std::int32_t width = Fonts::TextExtent(line, font).width;
        EXPECT_LE(RightmostStart + width, WindowWidth) << width << " px: " << line;
        // A full-width character is about 12 pixels: a width far below that
        // would mean missing glyphs rather than a short line.
        EXPECT_GE(width * 2, static_cast<std::int32_t>(CodePoints(line).size()) * 8) << width << " px: " << line;
        widest = std::max(widest, width);
    }
    EXPECT_GT(widest, 250) << "the longest lines were measured in the Japanese face";
}

TEST(StoryChapters, EveryLineHasAShiftJisForm)
{
    for (const std::string& line : AllLines()) {
        std::string back;
        ASSERT_NO_THROW(back = Platform::Cp932ToUtf8(Platform::Utf8ToCp932(line))) << line;
        EXPECT_EQ(back, line);
    }
}

std::vector<unsigned char> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The frame markers of a JPEG file up to its first scan.
std::vector<unsigned char> JpegMarkers(const std::vector<unsigned char>& b, unsigned& components)
{
    std::vector<unsigned char> markers;
    for (std::size_t at = 2; at + 4 <= b.size() && b[at] == 0xFF;) {
        const unsigned char marker = b[at + 1];
        markers.push_back(marker);
        if (marker == 0xC0 || marker == 0xC2) components = b.at(at + 9);
        if (marker == 0xDA) break;
        at += 2 + (std::size_t(b[at + 2]) << 8 | b[at + 3]);
    }
    return markers;
}

std::set<std::string> PicturesTheChaptersLoad()
{
    std::set<std::string> pictures;
    for (const TChapter& chapter : Story())
        for (const TPage& page : chapter)
            if (!page.picture.empty()) pictures.insert(page.picture);
    return pictures;
}

TEST(StoryPictures, EveryPictureIsOneOfTheNineFiles)
{
    EXPECT_EQ(PicturesTheChaptersLoad(),
              (std::set<std::string>{"scene00.jpg", "scene01.jpg", "scene02.jpg", "scene03.jpg", "scene04.jpg",
                                     "fig1.bmp", "fig2.bmp", "fig3.bmp", "fig4.bmp"}));
}

// The reader centres the picture with 40 darkened columns on each side in the
// 416-pixel window, its top at y = 30, and writes the text from y = 260.
TEST(StoryPictures, EveryPictureLoadsAndFitsAboveTheText)
{
    for (const std::string& name : PicturesTheChaptersLoad()) {
        SCOPED_TRACE(name);
        TBitmap picture;
        ASSERT_NO_THROW(LoadPicture("dat/" + name, picture));
        EXPECT_GT(picture.Width(), 0);
        EXPECT_LE(picture.Width() + 2 * 40, 416);
        EXPECT_LE(30 + picture.Height(), 260);
        EXPECT_GE(picture.Height(), 160) << "a picture, not a strip";
    }
}

TEST(StoryPictures, ScenesAreBaselineColourJpegsAndFiguresTwentyFourBitBitmaps)
{
    for (const std::string& name : PicturesTheChaptersLoad()) {
        SCOPED_TRACE(name);
        const std::vector<unsigned char> bytes = FileBytes("dat/" + name);
        ASSERT_GT(bytes.size(), 54u);
        if (name.ends_with(".jpg")) {
            ASSERT_EQ(bytes[0], 0xFF);
            ASSERT_EQ(bytes[1], 0xD8);
            unsigned components = 0;
            const std::vector<unsigned char> markers = JpegMarkers(bytes, components);
            EXPECT_NE(std::ranges::find(markers, 0xC0), markers.end()) << "baseline frame";
            EXPECT_EQ(std::ranges::find(markers, 0xC2), markers.end()) << "not progressive";
            EXPECT_EQ(components, 3u);
        } else {
            EXPECT_EQ(bytes[0], 'B');
            EXPECT_EQ(bytes[1], 'M');
            EXPECT_EQ(bytes[28], 24) << "bits per pixel";
        }
    }
}

// A painted scene has light and shade in thousands of colours, a diagram at
// least smooth edges and lit parts; a placeholder (a flat fill with a few
// shapes) has neither.
TEST(StoryPictures, EveryPictureIsPaintedNotAPlaceholder)
{
    for (const std::string& name : PicturesTheChaptersLoad()) {
        SCOPED_TRACE(name);
        TBitmap picture;
        LoadPicture("dat/" + name, picture);
        std::set<std::uint32_t> colours;
        int darkest = 255 * 3, brightest = 0;
        for (std::int32_t y = 0; y < picture.Height(); ++y)
            for (const TPixel& p : picture.Row(y)) {
                colours.insert(std::uint32_t(p.r) << 16 | std::uint32_t(p.g) << 8 | p.b);
                darkest = std::min(darkest, p.r + p.g + p.b);
                brightest = std::max(brightest, p.r + p.g + p.b);
            }
        EXPECT_GT(colours.size(), name.ends_with(".jpg") ? 5000u : 250u);
        EXPECT_LT(darkest, 120);
        EXPECT_GT(brightest, 500);
    }
}

}  // namespace

