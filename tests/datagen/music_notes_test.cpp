// The note text: a small fragment compiles to exactly these notes, and faults
// name the file and line.
#include "NoteText.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

using DataGen::kTicksPerQuarter;
constexpr std::uint32_t Q = kTicksPerQuarter;

// start, sounding length, key, velocity
using Note = std::tuple<std::uint32_t, std::uint32_t, int, int>;

std::vector<Note> NotesOf(const std::string& body, const std::string& extra = "")
{
    const auto piece = DataGen::CompileNoteText(
        "tempo 100\ntrack a channel 1\n" + body + "\n" + extra, "x.notes");
    std::vector<Note> notes;
    for (const auto& n : piece.tracks.at(0).notes) notes.emplace_back(n.start, n.length, n.key, n.velocity);
    return notes;
}

TEST(NoteText, NotesOctavesLengthsRestsAndTies)
{
    // q8 plays each note for its whole length, so lengths read directly.
    const auto notes = NotesOf("q8 v80 o4 c4 d8 e8 r4 < b4 | > c2&c8 r8 d+8. e-16 | o5 c1 |");
    const std::vector<Note> expected{
        {0, Q, 60, 80},
        {Q, Q / 2, 62, 80},
        {3 * Q / 2, Q / 2, 64, 80},
        {3 * Q, Q, 59, 80},              // "<" then b: B3
        {4 * Q, 2 * Q + Q / 2, 60, 80},  // c2 tied to c8
        {7 * Q, 3 * Q / 4, 63, 80},      // dotted eighth
        {7 * Q + 3 * Q / 4, Q / 4, 63, 80},
        {8 * Q, 4 * Q, 72, 80},
    };
    EXPECT_EQ(notes, expected);
}

TEST(NoteText, RepeatsWithEarlyExitPhrasesTransposeAndChords)
{
    const auto notes = NotesOf("q8 l4 [ c : d ]3 k2 $p k0 {c e g}4 r4 |", "define p\n  e\n");
    const std::vector<Note> expected{
        {0, Q, 60, 90}, {Q, Q, 62, 90}, {2 * Q, Q, 60, 90}, {3 * Q, Q, 62, 90}, {4 * Q, Q, 60, 90},
        {5 * Q, Q, 66, 90},                                       // e moved up two
        {6 * Q, Q, 60, 90}, {6 * Q, Q, 64, 90}, {6 * Q, Q, 67, 90},  // chord
    };
    EXPECT_EQ(notes, expected);
}

TEST(NoteText, GateShortensOnlyTheLastTiedPiece)
{
    // q4 sounds half of a note; a tie keeps the first piece whole.
    EXPECT_EQ(NotesOf("q4 c2 c2 |"), (std::vector<Note>{{0, Q, 60, 90}, {2 * Q, Q, 60, 90}}));
    EXPECT_EQ(NotesOf("q4 c2&c2 |"), (std::vector<Note>{{0, 3 * Q, 60, 90}}));
}

TEST(NoteText, VelocityStepsAccentsAndGhostNotesShapeEachNote)
{
    // Steps move the velocity for the notes after them; "!" and "?" touch only
    // the note (or chord) just played, and stay inside the MIDI range.
    const auto notes = NotesOf("q8 l4 v80 c v+10 d! v-30 e? {c g}! | v120 c! v10 d? v+100 e r |");
    std::vector<int> velocities;
    for (const auto& n : notes) velocities.push_back(std::get<3>(n));
    EXPECT_EQ(velocities, (std::vector<int>{80, 114, 36, 84, 84, 127, 1, 110}));
}

TEST(NoteText, TrackRolesMarkTheTuneAndTheBass)
{
    const auto piece = DataGen::CompileNoteText(
        "track a channel 1 role melody\n c1 |\ntrack b channel 2 role bass\n c1 |\ntrack c channel 3\n c1 |\n",
        "x.notes");
    using DataGen::TrackRole;
    EXPECT_EQ(piece.tracks.at(0).role, TrackRole::Melody);
    EXPECT_EQ(piece.tracks.at(1).role, TrackRole::Bass);
    EXPECT_EQ(piece.tracks.at(2).role, TrackRole::Other);
}

TEST(NoteText, DrumTracksUseKitNames)
{
    const auto piece = DataGen::CompileNoteText(
        "track d channel 10\n  q8 l8 kick hat {snare hat}4 r2 |\n", "d.notes");
    std::vector<int> keys;
    for (const auto& n : piece.tracks.at(0).notes) keys.push_back(n.key);
    EXPECT_EQ(keys, (std::vector<int>{36, 42, 38, 42}));
}

TEST(NoteText, TracksMustEndTogetherOnABarLine)
{
    const auto piece = DataGen::CompileNoteText(
        "time 3/4\ntrack a channel 1\n c2. |\ntrack b channel 2\n r2 g4 |\n", "x.notes");
    EXPECT_EQ(piece.length, 3 * Q);
    EXPECT_EQ(piece.beatsPerBar, 3);
}

TEST(NoteText, FaultsNameTheFileAndLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"track a channel 1\n c4 d4\n e4 |\n", "song.notes:3: bar line 1440 ticks into bar 1"},
        {"track a channel 1\n c1 |\ntrack b channel 2\n c2\n",
         "song.notes:3: track b lasts 0 bars and 960 ticks, the piece 1 bars"},
        {"track a channel 1\n c2 d2 |\n c1 h4\n", "song.notes:3: unexpected \"h\""},
        {"track a channel 1\n c2&d2 |\n", "song.notes:2: a tie must lead to a note of the same pitch"},
        {"track a channel 1\n [ c1 \n", "song.notes:2: \"[\" without its \"]\""},
        {"track a channel 1\n $nothing\n", "song.notes:2: no phrase named nothing"},
        {"track a channel 1\n c1 : |\n", "song.notes:2: \":\" outside a repeat"},
        {"track a channel 1\n c7 |\n", "song.notes:2: length 7 does not divide a whole note"},
        {"track d channel 10\n cowbel1 |\n", "song.notes:2: unknown drum \"cowbel\""},
        {"track a channel 1\n $p\ndefine p\n $p\n", "song.notes:3: phrases nested too deeply (a phrase using itself?)"},
        {"track a channel 1\n o10 c1 |\n", "song.notes:2: note outside the MIDI range"},
        {"track a channel 1\n v100 v+28 c1 |\n", "song.notes:2: velocity 128 outside 1...127"},
        {"track a channel 1\n ? c1 |\n", "song.notes:2: \"?\" must follow a note"},
        {"track a channel 1 role tune\n c1 |\n", "song.notes:1: a track's role is melody or bass, not \"tune\""},
    };
    for (const auto& c : cases) {
        try {
            DataGen::CompileNoteText(c.text, "song.notes");
            ADD_FAILURE() << "no error for: " << c.text;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

}  // namespace
