// The headless driver as a program: seeded runs replay exactly, a stage's
// boss comes after frame 900, losing every ship leads back to the title, the
// key script drives the game, and faulty arguments get status 2.
#include "support/RunProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>


namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) { return ReadWholeFile(file); }

class Driver : public ::testing::Test {
protected:
    TTempFolder folder;
    void SetUp() override { fs::create_directory_symlink(fs::path(KORVALEN_BUILD_DIR) / "dat", folder / "dat"); }

    // Runs the driver in the temporary folder; its stderr is kept.
    TRun Sim(const std::vector<std::string>& args)
    {
        std::vector<std::string> all = {KORVALEN_SIM};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(all, folder.Path());
    }
    std::string File(const std::string& name) { return Read(folder / name); }
    std::string Path(const std::string& name) { return (folder / name).string(); }
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(Driver, ASeededStagePlaysIdenticallyEveryTimeAndItsBossComesAfterFrame900)
{
    const std::vector<std::string> args = {"--seed", "7", "--start", "stage:0", "--lives", "99", "--ticks", "960"};
    auto first = args, second = args;
    first.insert(first.end(), {"--trace", "a.jsonl", "--state", "a.json"});
    second.insert(second.end(), {"--trace", "b.jsonl", "--state", "b.json"});
    ASSERT_EQ(Sim(first).status, 0);
    ASSERT_EQ(Sim(second).status, 0);
    const std::string trace = File("a.jsonl");
    EXPECT_EQ(trace, File("b.jsonl"));
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 960);
    const std::string state = File("a.json");
    EXPECT_TRUE(Has(state, "\"scene\":\"game\"")) << state;
    EXPECT_TRUE(Has(state, "\"StageFrame\":960"));
    EXPECT_TRUE(Has(state, "\"slot\":127,\"kind\":10")) << "the boss of stage 0 in its slot";
    EXPECT_FALSE(Has(trace.substr(0, trace.find("\"tick\":901,")), "\"slot\":127")) << "not before";
}

TEST_F(Driver, LosingEveryShipLeadsThroughGameOverBackToTheTitle)
{
    ASSERT_EQ(Sim({"--seed", "3", "--start", "stage:0", "--lives", "0", "--ticks", "3000", "--trace", "t.jsonl",
                   "--state", "s.json"})
                  .status,
              0);
    const std::string trace = File("t.jsonl");
    EXPECT_TRUE(Has(trace, "\"GameOver\":true,\"GameOverCount\":200"));
    EXPECT_TRUE(Has(trace, "\"musicStopped\":true"));
    EXPECT_TRUE(Has(File("s.json"), "\"scene\":\"title\""));
}

TEST_F(Driver, TheKeyScriptStartsAGameFromTheTitleAndOverridesApply)
{
    std::ofstream(folder / "keys.txt") << "# start, then hold the laser\n3 +Space\n5 -Space\n10 +X\n";
    ASSERT_EQ(Sim({"--keys", "keys.txt", "--lives", "5", "--score", "4321", "--ticks", "12", "--state", "s.json",
                   "--shot", "12:shot.bmp"})
                  .status,
              0);
    const std::string state = File("s.json");
    EXPECT_TRUE(Has(state, "\"scene\":\"game\"")) << state;
    EXPECT_TRUE(Has(state, "\"lives\":5"));
    EXPECT_TRUE(Has(state, "\"Score\":4321"));
    EXPECT_TRUE(Has(state, "\"laserWidth\":6")) << "held from tick 10: 2, 4, 6";
    const std::string shot = File("shot.bmp");
    ASSERT_GT(shot.size(), 54u);
    EXPECT_EQ(shot.substr(0, 2), "BM");
    EXPECT_EQ(shot.size(), 54u + 416u * 416u * 3u);
}

TEST_F(Driver, TheDrawnWeaponStatesAreReportedBeforeTheTickClearsThem)
{
    std::ofstream(folder / "keys.txt") << "1 +X\n1 +S\n1 +A\n";
    // The ship has glided in after three ticks; from the fourth the keys act.
    ASSERT_EQ(Sim({"--start", "stage:2", "--keys", "keys.txt", "--ticks", "8", "--state", "s.json"}).status, 0);
    const std::string state = File("s.json");
    EXPECT_TRUE(Has(state, "\"laserWidth\":10")) << state;
    EXPECT_TRUE(Has(state, "\"barrier\":true"));
}

TEST_F(Driver, AStoryStartShowsTheChapterAndLeavesForTheNextStage)
{
    ASSERT_EQ(Sim({"--start", "story:3", "--ticks", "30", "--state", "s.json"}).status, 0);
    std::string state = File("s.json");
    EXPECT_TRUE(Has(state, "\"scene\":\"story\"")) << state;
    EXPECT_TRUE(Has(state, "\"story\":{\"PageNo\":1,"));
    std::ofstream(folder / "keys.txt") << "5 +Space\n";
    ASSERT_EQ(Sim({"--start", "story:3", "--keys", "keys.txt", "--ticks", "6", "--state", "s.json"}).status, 0);
    state = File("s.json");
    EXPECT_TRUE(Has(state, "\"scene\":\"game\"")) << state;
    EXPECT_TRUE(Has(state, "\"StageNo\":4"));
}

TEST_F(Driver, AfterTheEndingOnlyAStrongPlayerWhoSaysYesGoesOn)
{
    std::ofstream(folder / "keys.txt") << "5 +Enter\n";
    struct TCase {
        std::vector<std::string> args;
        const char* scene;
    };
    const TCase cases[] = {
        {{"--lives", "2", "--score", "2500", "--answer", "yes"}, "game"},
        {{"--lives", "2", "--score", "2500", "--answer", "no"}, "story"},
        {{"--lives", "1", "--score", "9000", "--answer", "yes"}, "story"},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = {"--start", "story:9", "--keys", "keys.txt", "--ticks", "6", "--state", "s.json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ASSERT_EQ(Sim(args).status, 0);
        const std::string state = File("s.json");
        EXPECT_TRUE(Has(state, std::string("\"scene\":\"") + c.scene + "\"")) << state;
        if (std::string(c.scene) == "game") EXPECT_TRUE(Has(state, "\"StageNo\":10")) << "the Another stage";
    }
}

TEST_F(Driver, FaultyArgumentsGetAClearMessageAndStatusTwo)
{
    std::ofstream(folder / "bad.txt") << "4 +Q\n";
    std::ofstream(folder / "worse.txt") << "0 +Z\n";
    struct TCase {
        std::vector<std::string> args;
        const char* says;
    };
    const TCase cases[] = {
        {{"--ticks", "many"}, "--ticks"},
        {{"--ticks"}, "wants a value"},
        {{"--start", "level:3"}, "title, stage:N or story:N"},
        {{"--answer", "maybe"}, "yes or no"},
        {{"--keys", "missing.txt"}, "missing.txt"},
        {{"--keys", "bad.txt"}, "bad.txt:1: unknown key"},
        {{"--keys", "worse.txt"}, "worse.txt:1:"},
        {{"--shot", "12"}, "TICK:FILE"},
        {{"--frobnicate", "1"}, "unknown option"},
        {{"--start", "story:10"}, "numbered 0 to 9"},
        {{"--random-keys", "x"}, "--random-keys"},
    };
    for (const TCase& c : cases) {
        const TRun run = Sim(c.args);
        EXPECT_EQ(run.status, 2) << c.says;
        EXPECT_TRUE(Has(run.err, c.says)) << run.err;
    }
}

}  // namespace
