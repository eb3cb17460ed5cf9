// The chapter format the story reader relies on: what a chapter reads as, the
// faults the generator refuses with the file and line, and the verbatim copy.
#include "DataGen.h"
#include "StoryChapter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

using namespace DataGen;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The message of the refusal, or "" when the chapter was accepted.
std::string Refusal(const std::string& text)
{
    try {
        ParseChapter(text, "ch.txt");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(StoryChapter, PagesCarryTheirPictureAndVerbatimLines)
{
    const std::string text =
        "# a comment\n"
        "@page scene03.jpg\n"
        "目を開けた。\n"
        "\n"
        "  二行目は空白から。\n"
        "@page\n"
        "# comments and empty lines are no text\n"
        "（95％）と [記録] (Fig.1)\n"
        "@page fig1.bmp\n"
        "一\n二\n三\n四\n五\n六\n";
    const std::vector<StoryPage> pages = ParseChapter(text, "ch.txt");

    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].picture, "scene03.jpg");
    EXPECT_EQ(pages[0].lines, (std::vector<std::string>{"目を開けた。", "  二行目は空白から。"}));
    EXPECT_EQ(pages[1].picture, "");
    EXPECT_EQ(pages[1].lines, std::vector<std::string>{"（95％）と [記録] (Fig.1)"});
    EXPECT_EQ(pages[2].picture, "fig1.bmp");
    EXPECT_EQ(pages[2].lines.size(), MaxPageLines);
}

TEST(StoryChapter, EveryPictureOfTheGameIsAccepted)
{
    for (const std::string_view picture : StoryPictures)
        EXPECT_EQ(Refusal("@page " + std::string(picture) + "\nA\n"), "") << picture;
}

TEST(StoryChapter, FaultsAreRefusedWithFileAndLine)
{
    struct Case {
        const char* what;
        std::string text;
        std::string where;  // the message's start
    };
    const Case cases[] = {
        {"text before the first page", "# title\nこんにちは\n@page scene00.jpg\nA\n", "ch.txt:2: "},
        {"seven lines on a page", "@page scene00.jpg\n1\n2\n3\n4\n5\n6\n7\n", "ch.txt:8: "},
        {"a page with no lines", "@page scene00.jpg\nA\n@page\n# nothing\n@page\nB\n", "ch.txt:3: "},
        {"a last page with no lines", "@page scene00.jpg\nA\n@page fig2.bmp\n", "ch.txt:3: "},
        {"no pages at all", "# only a comment\n", "ch.txt:1: "},
        {"a picture the game does not have", "@page scene05.jpg\nA\n", "ch.txt:1: "},
        {"a picture name in capitals", "@page scene00.jpg\nA\n@page FIG1.BMP\nB\n", "ch.txt:3: "},
        {"a path instead of a name", "@page dat/scene00.jpg\nA\n", "ch.txt:1: "},
        {"two picture names", "@page scene00.jpg fig1.bmp\nA\n", "ch.txt:1: "},
        {"a first page without a picture", "@page\nA\n", "ch.txt:1: "},
        {"a misspelt directive", "@page scene00.jpg\nA\n@pages\nB\n", "ch.txt:3: "},
        {"a text line beginning with @", "@page scene00.jpg\n@ECHO\n", "ch.txt:2: "},
        {"CR LF line ends", "@page scene00.jpg\r\nA\r\n", "ch.txt:1: "},
        {"bytes that are not UTF-8", "@page scene00.jpg\nA\n\x82\xa0\n", "ch.txt:3: "},
        {"a UTF-8 surrogate", "@page scene00.jpg\n\xed\xa0\x80\n", "ch.txt:2: "},
    };
    for (const Case& c : cases) {
        const std::string message = Refusal(c.text);
        EXPECT_EQ(message.substr(0, c.where.size()), c.where) << c.what << ": \"" << message << "\"";
    }
}

// A full set of chapters, each one page long, in an assets folder of the test's own.
void WriteChapters(const TTempFolder& assets)
{
    for (int n = 0; n < StoryChapters; ++n)
        assets.Write("story/chapter" + std::to_string(n) + ".txt",
                     "# chapter " + std::to_string(n) + "\n@page scene00.jpg\n第" + std::to_string(n) + "章\n");
}

TEST(WriteStory, CopiesEveryChapterByteForByte)
{
    const TTempFolder assets, out;
    WriteChapters(assets);
    WriteStory({assets.Path(), out.Path()});
    for (int n = 0; n < StoryChapters; ++n) {
        const std::string name = "story/chapter" + std::to_string(n) + ".txt";
        EXPECT_EQ(ReadAll(out / name), ReadAll(assets / name)) << name;
    }
}

TEST(WriteStory, RefusesABrokenChapterNamingItsFileAndLine)
{
    const TTempFolder assets, out;
    WriteChapters(assets);
    const fs::path broken = assets.Write("story/chapter7.txt", "@page scene00.jpg\nA\n@page scene9.jpg\nB\n");
    try {
        WriteStory({assets.Path(), out.Path()});
        FAIL() << "a chapter naming a missing picture was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(broken.string() + ":3: ", 0), 0u) << e.what();
    }
}

TEST(WriteStory, RefusesAMissingChapter)
{
    const TTempFolder assets, out;
    WriteChapters(assets);
    fs::remove(assets / "story/chapter9.txt");
    EXPECT_THROW(WriteStory({assets.Path(), out.Path()}), std::runtime_error);
}

TEST(WriteStory, TheGamesChaptersPassTheCheck)
{
    const TTempFolder out;
    EXPECT_NO_THROW(WriteStory({KORVALEN_ASSETS_DIR, out.Path()}));
}

}  // namespace
