#include "UnitReport.h"

#include "MyString.h"
#include "UnitMain.h"
#include "platform/FileBytes.h"
#include "platform/LocalTime.h"
#include "platform/TextCodec.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr std::string_view CrLf = "\r\n";
constexpr std::string_view FieldDelimiter = ": ";
// A record line has a label and points; one of more than ten fields is malformed.
constexpr std::int32_t MaxFields = 10;
constexpr std::int32_t AnotherStage = 10;
constexpr std::int32_t ClearedLevel = 9;
constexpr std::size_t MaxReportBytes = 64 * 1024 * 1024;

// The fixed texts, as UTF-8; they go into the file as CP932.
constexpr const char* Header = "コルヴァレン★たたかいのきろく";
constexpr const char* FirstClearLine = "クリアおめでとう！！";
constexpr const char* NewStageLine = "新ステージに到達！";
constexpr const char* AnotherLine = "あなたはかの領域に足を踏み入れた……！！";
constexpr const char* HighScoreLine = "ハイスコアがでたよ！";
// "点" in CP932.
constexpr std::string_view PointsMark = "\x93\x5F";

void Warn(const std::string& what) { std::fprintf(stderr, "korvalen: the battle record %s\n", what.c_str()); }

std::string Line(std::string_view utf8) { return Platform::Utf8ToCp932(utf8) + std::string(CrLf); }

// The time stamp in the user's formats, or in plain ones when they have no CP932 form.
std::string StampCp932()
{
    try {
        return Platform::Utf8ToCp932(Platform::LocalDateTimeText());
    } catch (const std::runtime_error&) {
        return Platform::Utf8ToCp932(Platform::PlainDateTimeText());
    }
}

struct TRecord {
    std::int32_t level;
    std::int32_t points;
    bool cleared;
};

// The record a line holds, if it is one: a known label, then ": " and points.
bool ReadRecord(std::string_view line, TRecord& record)
{
    if (LeftPart(line, 5) != "Stage") return false;
    if (CountPieces(line, FieldDelimiter) > MaxFields) return false;
    std::array<std::string, MaxFields> fields;
    std::int32_t count = 0;
    SplitText(line, FieldDelimiter, fields, count);
    if (fields[0] == "StageAnother") record = {AnotherStage, 0, true};
    else if (fields[0] == "StageClear") record = {ClearedLevel, 0, true};
    else record = {StageLevelOf(fields[0]), 0, false};
    if (record.level < 0) return false;
    record.points = PointsOf(fields[1]);
    return record.points >= 0;
}

bool Torn(std::string_view bytes) { return !bytes.empty() && bytes.back() != '\n'; }

// Reports what is odd about the file; its lines are scanned all the same.
void CheckText(std::string_view bytes)
{
    try {
        Platform::Cp932ToUtf8(bytes);
    } catch (const std::runtime_error&) {
        Warn(std::string("\"") + ReportFile + "\" holds bytes that are not Shift-JIS text; lines there are not records");
    }
    if (Torn(bytes)) Warn(std::string("\"") + ReportFile + "\" ends in the middle of a line; it is ended before the new entry");
}

void AppendEntry(const TAchievements& achievements, bool cleared)
{
    const std::vector<unsigned char> file = Platform::ReadFileBytes(ReportFile, MaxReportBytes);
    const std::string_view bytes(reinterpret_cast<const char*>(file.data()), file.size());
    CheckText(bytes);
    TAchievements left = achievements;
    if (!ScanReport(bytes, left)) return;
    const std::string entry = ReportEntry(left, cleared, StampCp932());
    Platform::AppendFileBytes(ReportFile, Torn(bytes) ? std::string(CrLf) + entry : entry);
}

}  // namespace

std::int32_t StageLevelOf(std::string_view label)
{
    for (std::int32_t n = 0; n <= 9; ++n)
        if (label == "Stage" + std::to_string(n)) return n;
    return -1;
}

std::int32_t PointsOf(std::string_view text)
{
    if (!EndsWithCharacter(text, PointsMark)) return -1;
    const std::string_view digits = text.substr(0, text.size() - PointsMark.size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return -1;
    std::int32_t points = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), points);
    if (error != std::errc{} || end != digits.data() + digits.size()) return -1;
    return points;
}

std::string RecordLabel(bool cleared)
{
    if (StageNo >= AnotherStage) return "StageAnother";
    if (cleared) return "StageClear";
    return "Stage" + std::to_string(StageNo);
}

bool ScanReport(std::string_view fileBytes, TAchievements& achievements)
{
    while (!fileBytes.empty()) {
        const std::size_t end = fileBytes.find('\n');
        std::string_view line = fileBytes.substr(0, end);
        fileBytes.remove_prefix(end == std::string_view::npos ? fileBytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        TRecord record{};
        if (!ReadRecord(line, record)) continue;
        if (record.cleared) achievements.firstClear = false;
        if (record.level >= StageNo) achievements.newStage = false;
        if (record.points >= Score) achievements.highScore = false;
    }
    return achievements.any();
}

std::string ReportEntry(const TAchievements& achievements, bool cleared, const std::string& stampCp932)
{
    std::string entry(CrLf);
    entry += "[" + stampCp932 + "]" + std::string(CrLf);
    if (achievements.firstClear) entry += Line(FirstClearLine);
    else if (achievements.newStage) entry += Line(StageNo >= AnotherStage ? AnotherLine : NewStageLine);
    if (achievements.highScore) entry += Line(HighScoreLine);
    entry += RecordLabel(cleared) + std::string(FieldDelimiter) + std::to_string(Score) + std::string(PointsMark) +
             std::string(CrLf);
    return entry;
}

void WriteReport(bool cleared)
{
    const TAchievements achievements{cleared, StageNo > 0, Score > 0};
    try {
        switch (Platform::FileKind(ReportFile)) {
        case Platform::TFileKind::Missing:
            // The first entry always records the game.
            Platform::CreateFileBytes(ReportFile, Line(Header) + ReportEntry(achievements, cleared, StampCp932()));
            break;
        case Platform::TFileKind::File: AppendEntry(achievements, cleared); break;
        case Platform::TFileKind::Other:
            throw std::runtime_error(std::string("\"") + ReportFile + "\" is not a file");
        }
    } catch (const std::exception& e) {
        Warn(std::string("was not written: ") + e.what());
    }
}
