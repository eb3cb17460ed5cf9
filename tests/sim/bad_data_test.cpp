// Bad data end to end: the headless driver, which starts the game's own units
// as the game does, run in a folder holding a copy of the generated dat/ with
// one file removed or damaged. A sprite sheet, the side panel, a story
// chapter or a story picture stops the run with status 1 and a message naming
// the file; a sound effect or a piece of music is one line naming it, and the
// run goes on to its end. No case may crash or hang.
#include "support/RunProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>


namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto RunLimit = 60s;

std::string Read(const fs::path& file) { return ReadWholeFile(file); }

void WriteBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// How a file is spoilt.
enum class THarm { Removed, CutShort, Garbled, AFolder };

const char* Describe(THarm harm)
{
    switch (harm) {
    case THarm::Removed: return "removed";
    case THarm::CutShort: return "cut short";
    case THarm::Garbled: return "garbled";
    case THarm::AFolder: return "a folder in its place";
    }
    return "";
}

// Cut to 100 bytes, or to half when that is less; garbled: the first 64 bytes
// (every header the game reads) overwritten with 0xA5, no text's byte either.
void Harm(const fs::path& file, THarm harm)
{
    const std::string bytes = Read(file);
    fs::remove(file);
    switch (harm) {
    case THarm::Removed: break;
    case THarm::CutShort: WriteBytes(file, bytes.substr(0, std::min<std::size_t>(100, bytes.size() / 2))); break;
    case THarm::Garbled: {
        std::string garbled = bytes;
        std::fill_n(garbled.begin(), std::min<std::size_t>(64, garbled.size()), '\xA5');
        WriteBytes(file, garbled);
        break;
    }
    case THarm::AFolder: fs::create_directory(file); break;
    }
}

class BadData : public ::testing::Test {
protected:
    TTempFolder folder;
    void SetUp() override
    {
        fs::copy(fs::path(KORVALEN_BUILD_DIR) / "dat", folder / "dat", fs::copy_options::recursive);
        fs::remove(folder / "dat/.generated");
    }

    // Runs the driver in the folder with one file harmed, then puts the file back.
    TRun SimWith(const std::string& file, THarm harm, const std::vector<std::string>& args)
    {
        const fs::path path = folder / file;
        const std::string original = Read(path);
        Harm(path, harm);
        const TRun run = Sim(args);
        fs::remove_all(path);
        WriteBytes(path, original);
        return run;
    }

    // The driver in the folder, its stderr kept, stopped if it outlives the limit.
    TRun Sim(std::vector<std::string> args)
    {
        args.insert(args.begin(), KORVALEN_SIM);
        return RunProgram(args, folder.Path(), RunLimit);
    }

    // The picture that chapter 0's first page shows, as a path inside the folder.
    std::string FirstStoryPicture()
    {
        const std::string chapter = Read(folder / "dat/story/chapter0.txt");
        const std::size_t mark = chapter.find("@page");
        if (mark == std::string::npos) return "";
        std::string name = chapter.substr(mark + 5, chapter.find_first_of("\r\n", mark) - mark - 5);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        return "dat/" + name;
    }
};

std::size_t Lines(const std::string& text) { return std::size_t(std::count(text.begin(), text.end(), '\n')); }

struct TCase {
    std::string file;
    std::vector<THarm> harms;
    std::vector<std::string> args;  // where the file is first read
};

const std::vector<std::string> AtTheTitle = {"--ticks", "2"};
const std::vector<std::string> InStageZero = {"--start", "stage:0", "--ticks", "2"};
const std::vector<std::string> InChapterZero = {"--start", "story:0", "--ticks", "2"};
const std::vector<THarm> EveryHarm = {THarm::Removed, THarm::CutShort, THarm::Garbled, THarm::AFolder};

TEST_F(BadData, ASheetThePanelAChapterOrAStoryPictureStopsTheGameNamingIt)
{
    const std::string picture = FirstStoryPicture();
    ASSERT_NE(picture, "dat/") << "chapter 0's first page shows a picture";
    const TCase cases[] = {
        {"dat/mine.bmp", EveryHarm, AtTheTitle},             // a sheet loaded at start-up
        {"dat/sideback.bmp", EveryHarm, AtTheTitle},         // the side panel
        {"dat/teki01.bmp", EveryHarm, InStageZero},          // a sheet of stage 0, also enlarged
        // The chapters are read at start-up. A text cut at a line's end is
        // still a chapter, so cutting is no harm that must show.
        {"dat/story/chapter0.txt", {THarm::Removed, THarm::Garbled, THarm::AFolder}, AtTheTitle},
        {"dat/story/chapter9.txt", {THarm::Removed, THarm::Garbled}, AtTheTitle},
        {picture, EveryHarm, InChapterZero},                 // shown when its page opens
    };
    for (const TCase& c : cases) {
        for (const THarm harm : c.harms) {
            SCOPED_TRACE(c.file + " " + Describe(harm));
            const TRun run = SimWith(c.file, harm, c.args);
            EXPECT_EQ(run.status, 1) << run.err;
            EXPECT_NE(run.err.find("Cannot load \"" + c.file + "\": "), std::string::npos) << run.err;
            EXPECT_EQ(Lines(run.err), 1u) << run.err;
        }
    }
}

TEST_F(BadData, ASoundOrAPieceOfMusicIsOneLineNamingItAndTheGameGoesOn)
{
    const TCase cases[] = {
        {"dat/titlecall.wav", EveryHarm, AtTheTitle},  // played at the title
        {"dat/pan.wav", {THarm::CutShort}, AtTheTitle},
        {"dat/ronri.mid", EveryHarm, InStageZero},     // stage 0's music
    };
    for (const TCase& c : cases) {
        for (const THarm harm : c.harms) {
            SCOPED_TRACE(c.file + " " + Describe(harm));
            const TRun run = SimWith(c.file, harm, c.args);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(Lines(run.err), 1u) << run.err;
            EXPECT_NE(run.err.find("\"" + c.file + "\""), std::string::npos) << run.err;
        }
    }
}

TEST_F(BadData, TheUntouchedCopyRunsSilently)
{
    for (const auto& args : {AtTheTitle, InStageZero, InChapterZero}) {
        const TRun run = Sim(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
    }
}

}  // namespace
