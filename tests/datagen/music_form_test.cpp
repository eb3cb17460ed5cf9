// The pieces' form, read from their compiled notes: each melody varies its
// rhythm, each piece has its own drums, bass line and lead instrument, and
// each loop turns from the last bar into the first with no gap.
#include "NoteText.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using DataGen::kTicksPerQuarter;
using DataGen::Piece;
using DataGen::TrackRole;

const std::filesystem::path kAssets = KORVALEN_ASSETS_DIR;
const std::array<const char*, 12> kPieces{"ronri", "varnel", "nozomare", "byakuya", "ketudan", "ito",
                                          "jenoside", "namae", "fukai", "velmor", "end", "yomenai"};

// No one-bar rhythm may take more than this share of a piece's melody bars.
constexpr double kMostOfOneRhythm = 0.2;
// Two pieces may share at most this share of either one's bass bars.
constexpr double kMostSharedBass = 0.1;
// The last note may end this much before the loop turns, and no more.
constexpr std::uint32_t kLongestEndingGap = kTicksPerQuarter / 4;

// A bar's rhythm: where notes start in it, with the bar's length so that
// bars of different metres never match.
using Rhythm = std::vector<std::uint32_t>;
// A bass bar moved to a common root: its onsets and each note's distance
// from the bar's first note.
using BassShape = std::vector<std::pair<std::uint32_t, int>>;

std::uint32_t BarTicks(const Piece& piece)
{
    return 4 * kTicksPerQuarter * std::uint32_t(piece.beatsPerBar) / std::uint32_t(piece.beatUnit);
}

Piece Compile(const char* name)
{
    const auto source = kAssets / "music" / (std::string(name) + ".notes");
    return DataGen::CompileNoteText(DataGen::ReadSourceText(source), source.string());
}

template <typename Wanted>
std::vector<const DataGen::PartTrack*> Tracks(const Piece& piece, Wanted wanted)
{
    std::vector<const DataGen::PartTrack*> tracks;
    for (const auto& track : piece.tracks)
        if (wanted(track)) tracks.push_back(&track);
    return tracks;
}

// The rhythms of the bars in which these tracks start a note, all together.
std::vector<Rhythm> BarRhythms(const Piece& piece, const std::vector<const DataGen::PartTrack*>& tracks)
{
    const std::uint32_t bar = BarTicks(piece);
    std::vector<std::set<std::uint32_t>> onsets(piece.length / bar);
    for (const auto* track : tracks)
        for (const auto& note : track->notes) onsets.at(note.start / bar).insert(note.start % bar);
    std::vector<Rhythm> rhythms;
    for (const auto& barOnsets : onsets)
        if (!barOnsets.empty()) {
            rhythms.emplace_back(barOnsets.begin(), barOnsets.end());
            rhythms.back().push_back(bar);
        }
    return rhythms;
}

std::vector<Rhythm> MelodyRhythms(const Piece& piece)
{
    return BarRhythms(piece, Tracks(piece, [](const auto& t) { return t.role == TrackRole::Melody; }));
}

std::vector<Rhythm> DrumRhythms(const Piece& piece)
{
    return BarRhythms(piece, Tracks(piece, [](const auto& t) { return t.channel == DataGen::kDrumChannel; }));
}

template <typename Bar>
std::pair<Bar, int> Commonest(const std::vector<Bar>& bars)
{
    std::map<Bar, int> counts;
    for (const Bar& b : bars) ++counts[b];
    return *std::max_element(counts.begin(), counts.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; });
}

std::vector<BassShape> BassShapes(const Piece& piece)
{
    const std::uint32_t bar = BarTicks(piece);
    std::vector<BassShape> bars(piece.length / bar);
    for (const auto* track : Tracks(piece, [](const auto& t) { return t.role == TrackRole::Bass; }))
        for (const auto& note : track->notes) {
            BassShape& shape = bars.at(note.start / bar);
            // The bar's first note keeps its own key until the bar is complete.
            const int root = shape.empty() ? 0 : shape.front().second;
            shape.emplace_back(note.start % bar, note.key - root);
        }
    std::vector<BassShape> played;
    for (BassShape& shape : bars)
        if (!shape.empty()) {
            shape.front().second = 0;
            shape.emplace_back(bar, 0);
            played.push_back(shape);
        }
    return played;
}

int BarsFoundIn(const std::vector<BassShape>& bars, const std::vector<BassShape>& other)
{
    const std::set<BassShape> known(other.begin(), other.end());
    return int(std::count_if(bars.begin(), bars.end(), [&](const BassShape& b) { return known.count(b) != 0; }));
}

class MusicForm : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char* name : kPieces) pieces_.emplace_back(name, Compile(name));
    }
    static std::vector<std::pair<std::string, Piece>> pieces_;
};

std::vector<std::pair<std::string, Piece>> MusicForm::pieces_;

TEST_F(MusicForm, NoOneBarRhythmRulesAMelody)
{
    for (const auto& [name, piece] : pieces_) {
        const auto rhythms = MelodyRhythms(piece);
        ASSERT_FALSE(rhythms.empty()) << name << " has no melody track";
        const int most = Commonest(rhythms).second;
        std::printf("%-10s %3d melody bars, the commonest rhythm in %3d (%.0f %%)\n", name.c_str(),
                    int(rhythms.size()), most, 100.0 * most / double(rhythms.size()));
        EXPECT_LE(most, kMostOfOneRhythm * double(rhythms.size())) << name;
    }
}

TEST_F(MusicForm, EachPieceHasItsOwnDrumsAndBassLine)
{
    for (std::size_t a = 0; a < pieces_.size(); ++a)
        for (std::size_t b = 0; b < a; ++b) {
            const auto& [nameA, pieceA] = pieces_[a];
            const auto& [nameB, pieceB] = pieces_[b];
            const auto drumsA = DrumRhythms(pieceA), drumsB = DrumRhythms(pieceB);
            EXPECT_NE(std::set<Rhythm>(drumsA.begin(), drumsA.end()), std::set<Rhythm>(drumsB.begin(), drumsB.end()))
                << nameA << " and " << nameB << " play the same drum bars";
            EXPECT_NE(Commonest(drumsA).first, Commonest(drumsB).first)
                << nameA << " and " << nameB << " share their main drum bar";
            const auto bassA = BassShapes(pieceA), bassB = BassShapes(pieceB);
            EXPECT_LE(BarsFoundIn(bassA, bassB), kMostSharedBass * double(bassA.size())) << nameA << " in " << nameB;
            EXPECT_LE(BarsFoundIn(bassB, bassA), kMostSharedBass * double(bassB.size())) << nameB << " in " << nameA;
        }
}

TEST_F(MusicForm, EachPieceHasItsOwnLeadInstrument)
{
    std::map<int, std::string> leads;
    for (const auto& [name, piece] : pieces_) {
        const auto melody = Tracks(piece, [](const auto& t) { return t.role == TrackRole::Melody; });
        ASSERT_FALSE(melody.empty()) << name;
        EXPECT_FALSE(Tracks(piece, [](const auto& t) { return t.role == TrackRole::Bass; }).empty()) << name;
        const auto [known, added] = leads.emplace(melody.front()->program, name);
        EXPECT_TRUE(added) << name << " leads with " << known->second << "'s program " << known->first;
    }
}

// The game loops the whole file: the first bar must start on its downbeat
// and the last must sound to its end, or the turn leaves a hole.
TEST_F(MusicForm, EveryLoopTurnsWithoutAGap)
{
    for (const auto& [name, piece] : pieces_) {
        std::uint32_t firstStart = piece.length, lastEnd = 0;
        for (const auto& track : piece.tracks)
            for (const auto& note : track.notes) {
                firstStart = std::min(firstStart, note.start);
                lastEnd = std::max(lastEnd, note.start + note.length);
            }
        EXPECT_EQ(firstStart, 0u) << name;
        EXPECT_GE(lastEnd + kLongestEndingGap, piece.length) << name;
    }
}

}  // namespace
