// The battle record: what a game's entry says, when nothing is written, the
// lines that are not records, and every way the file can fail without the
// game stopping or the earlier entries changing.
#include "platform/TextCodec.h"
#include "runtime/UnitMain.h"
#include "runtime/UnitReport.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

std::string Cp932(const std::string& utf8) { return Platform::Utf8ToCp932(utf8); }

class Report : public ::testing::Test {
protected:
    TTempFolder folder;
    std::unique_ptr<TInFolder> in;
    void SetUp() override
    {
        in = std::make_unique<TInFolder>(folder.Path());
        setenv("LC_ALL", "C", 1);
        GameOver = false;
    }
    void TearDown() override { in.reset(); }

    static void Game(std::int32_t stage, std::int32_t score)
    {
        StageNo = stage;
        Score = score;
    }
    std::string Bytes() const
    {
        std::ifstream file(folder / "レポート.txt", std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    // The file's lines as UTF-8, without their CR LF.
    std::vector<std::string> Lines() const
    {
        const std::string text = Platform::Cp932ToUtf8(Bytes());
        std::vector<std::string> lines;
        std::size_t at = 0;
        for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
            lines.push_back(text.substr(at, end - at));
        EXPECT_EQ(at, text.size()) << "every line ends in CR LF";
        return lines;
    }
    void Plant(const std::string& cp932) const { folder.Write("レポート.txt", cp932); }
    // The lines written after the planted ones.
    std::vector<std::string> NewLines(std::size_t planted) const
    {
        const std::vector<std::string> lines = Lines();
        return std::vector<std::string>(lines.begin() + std::ptrdiff_t(planted), lines.end());
    }
};

const std::regex Stamp(R"(\[\d\d/\d\d/\d\d \d\d:\d\d:\d\d\])");

TEST_F(Report, TheFirstGameIsRecordedUnderTheHeader)
{
    Game(0, 0);
    WriteReport(false);
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "コルヴァレン★たたかいのきろく");
    EXPECT_EQ(lines[1], "");
    EXPECT_TRUE(std::regex_match(lines[2], Stamp)) << lines[2] << ": the C locale's %x %X";
    EXPECT_EQ(lines[3], "Stage0: 0点") << "stage 0 is not new and 0 points are not a high score";
}

TEST_F(Report, TheFirstEntryOfAGameLostInStageThree)
{
    Game(3, 1234);
    WriteReport(false);
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "新ステージに到達！");
    EXPECT_EQ(lines[4], "ハイスコアがでたよ！");
    EXPECT_EQ(lines[5], "Stage3: 1234点");
}

TEST_F(Report, NothingNewMeansNothingWritten)
{
    Plant(Cp932("コルヴァレン★たたかいのきろく\r\n\r\n[x]\r\nStage5: 3000点\r\n"));
    const std::string before = Bytes();
    Game(5, 3000);
    WriteReport(false);
    EXPECT_EQ(Bytes(), before) << "byte for byte as it was";
    Game(5, 3001);
    WriteReport(false);
    const std::vector<std::string> added = NewLines(4);
    ASSERT_EQ(added.size(), 4u);
    EXPECT_EQ(added[0], "");
    EXPECT_EQ(added[2], "ハイスコアがでたよ！") << "only the high score is new";
    EXPECT_EQ(added[3], "Stage5: 3001点");
    EXPECT_EQ(Bytes().substr(0, before.size()), before);
}

TEST_F(Report, AClearIsCongratulatedOnceEver)
{
    Plant(Cp932("Stage8: 9000点\r\n"));
    Game(9, 100);
    WriteReport(true);
    std::vector<std::string> added = NewLines(1);
    ASSERT_EQ(added.size(), 4u);
    EXPECT_EQ(added[2], "クリアおめでとう！！") << "and no new-stage line beside it";
    EXPECT_EQ(added[3], "StageClear: 100点");
    const std::string before = Bytes();
    Game(9, 9000);
    WriteReport(true);
    EXPECT_EQ(Bytes(), before) << "a later clear is new only with a higher score";
    Game(9, 9001);
    WriteReport(true);
    added = NewLines(5);
    ASSERT_EQ(added.size(), 4u);
    EXPECT_EQ(added[2], "ハイスコアがでたよ！");
    EXPECT_EQ(added[3], "StageClear: 9001点");
}

TEST_F(Report, TheFirstTimeInTheAnotherStage)
{
    Plant(Cp932("StageClear: 5000点\r\n"));
    Game(10, 200);
    WriteReport(false);
    const std::vector<std::string> added = NewLines(1);
    ASSERT_EQ(added.size(), 4u);
    EXPECT_EQ(added[2], "あなたはかの領域に足を踏み入れた……！！");
    EXPECT_EQ(added[3], "StageAnother: 200点");
}

TEST_F(Report, LinesThatAreNotRecordsChangeNothing)
{
    const char* notRecords[] = {
        "Stage10: 99999点", "Stagex: 99999点", "Stage3: 99999", "Stage3 99999点", "Stage3: 99999点x",
        "Stage3: 9a9点", "Stage3: 99999999999点", "Stage3: a: b: c: d: e: f: g: h: i: 99999点",
        "stage3: 99999点", "Stage3: -5点",
    };
    std::string planted;
    for (const char* line : notRecords) planted += Cp932(line) + "\r\n";
    // Ten fields at most: this one is a record.
    planted += Cp932("Stage2: 10点: 2: 3: 4: 5: 6: 7: 8: 9") + "\r\n";
    Plant(planted);
    Game(3, 20);
    WriteReport(false);
    const std::vector<std::string> added = NewLines(std::size(notRecords) + 1);
    ASSERT_EQ(added.size(), 5u) << "stage 3 is new over Stage2, and 20 points over 10";
    EXPECT_EQ(added[2], "新ステージに到達！");
    EXPECT_EQ(added[3], "ハイスコアがでたよ！");
}

TEST(ReportFields, LabelsLevelsAndPoints)
{
    for (std::int32_t n = 0; n <= 9; ++n) EXPECT_EQ(StageLevelOf("Stage" + std::to_string(n)), n);
    for (const char* label : {"Stage", "Stage10", "Stage01", "StageClear", "stage3", "Stage3 "})
        EXPECT_EQ(StageLevelOf(label), -1) << label;
    const std::string ten = Platform::Utf8ToCp932("点");
    EXPECT_EQ(PointsOf("1234" + ten), 1234);
    EXPECT_EQ(PointsOf("0" + ten), 0);
    EXPECT_EQ(PointsOf(ten), -1);
    EXPECT_EQ(PointsOf("1234"), -1);
    // The bytes of "点" as the trail of another character and an underscore: not "点".
    EXPECT_EQ(PointsOf("12\x88\x93\x5F"), -1);
    StageNo = 10;
    EXPECT_EQ(RecordLabel(true), "StageAnother");
    StageNo = 9;
    EXPECT_EQ(RecordLabel(true), "StageClear");
    EXPECT_EQ(RecordLabel(false), "Stage9");
}

TEST_F(Report, AFolderInThePlaceOfTheFileIsReportedAndTheGameGoesOn)
{
    fs::create_directory(folder / "レポート.txt");
    Game(4, 500);
    testing::internal::CaptureStderr();
    WriteReport(false);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("レポート.txt"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_directory(folder / "レポート.txt"));
}

TEST_F(Report, AFailedAppendLeavesTheFileExactlyAsItWas)
{
    // Long enough that the limit below leaves room for the captured message.
    std::string planted;
    for (int i = 0; i < 200; ++i) planted += Cp932("Stage1: 10点\r\n");
    Plant(planted);
    const std::string before = Bytes();
    Game(6, 600);
    // The file may grow by a few bytes only: the write starts, then fails.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = before.size() + 8;
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStderr();
    WriteReport(false);
    const std::string err = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(Bytes(), before) << "no partial entry";
    EXPECT_NE(err.find("left as it was"), std::string::npos) << err;
}

TEST_F(Report, AFailedCreationLeavesNoFile)
{
    Game(6, 600);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 10;
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStderr();
    WriteReport(false);
    testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(fs::exists(folder / "レポート.txt"));
}

TEST_F(Report, ATornLastLineIsEndedBeforeTheNewEntry)
{
    Plant(Cp932("Stage1: 10点\r\nStage2: 2"));
    Game(3, 50);
    testing::internal::CaptureStderr();
    WriteReport(false);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("middle of a line"), std::string::npos) << err;
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "Stage2: 2") << "the torn line is kept and ended";
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines.back(), "Stage3: 50点");
}

TEST_F(Report, BytesThatAreNotShiftJisAreReportedAndSkipped)
{
    Plant(std::string("\xFF\xFE garbage\r\n") + Cp932("Stage7: 700点") + "\r\n");
    Game(7, 800);
    testing::internal::CaptureStderr();
    WriteReport(false);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("not Shift-JIS"), std::string::npos) << err;
    const std::string bytes = Bytes();
    EXPECT_NE(bytes.find(Cp932("Stage7: 800点")), std::string::npos) << "a higher score is still recorded";
    EXPECT_EQ(bytes.find(Cp932("新ステージに到達！")), std::string::npos) << "stage 7 was reached before";
}

}  // namespace
