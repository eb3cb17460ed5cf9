#include "runtime/MyMidi.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values) s += char(v);
    return s;
}

std::string Header(int tracks) { return "MThd" + Bytes({0, 0, 0, 6, 0, 1, 0, tracks, 0x01, 0xE0}); }

std::string Track(const std::string& events)
{
    const auto n = events.size();
    return "MTrk" + Bytes({int(n >> 24), int((n >> 16) & 255), int((n >> 8) & 255), int(n & 255)}) + events;
}

const std::string EndOfTrack = Bytes({0x00, 0xFF, 0x2F, 0x00});
// Note on C4, then its release by running status (velocity 0), a quarter later.
const std::string OneNote = Bytes({0x00, 0x90, 60, 100, 0x83, 0x60, 60, 0});

TEST(MidiCheck, AcceptsWellFormedFiles)
{
    std::string why;
    EXPECT_TRUE(CheckMidiBytes(Header(1) + Track(OneNote + EndOfTrack), why)) << why;
    const std::string tempoTrack = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}) + EndOfTrack;
    const std::string sysex = Bytes({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    EXPECT_TRUE(CheckMidiBytes(Header(2) + Track(tempoTrack) + Track(sysex + OneNote + EndOfTrack), why)) << why;
}

TEST(MidiCheck, RefusesFilesThatCouldHangTheSynthesizer)
{
    struct TCase {
        const char* what;
        std::string bytes;
    };
    const TCase cases[] = {
        {"empty", ""},
        {"not midi", "RIFF0000WAVEfmt "},
        {"no notes", Header(1) + Track(Bytes({0x00, 0xC0, 5}) + EndOfTrack)},
        {"only silent note-ons", Header(1) + Track(Bytes({0x00, 0x90, 60, 0}) + EndOfTrack)},
        {"no end of track", Header(1) + Track(OneNote)},
        {"bytes after end of track", Header(1) + Track(OneNote + EndOfTrack + Bytes({0}))},
        {"track runs past the file", (Header(1) + Track(OneNote + EndOfTrack)).substr(0, 30)},
        {"missing second track", Header(2) + Track(OneNote + EndOfTrack)},
        {"running status without a status", Header(1) + Track(Bytes({0x00, 60, 100}) + OneNote + EndOfTrack)},
        {"data byte out of range", Header(1) + Track(Bytes({0x00, 0x90, 200, 100}) + EndOfTrack)},
        {"five-byte delta", Header(1) + Track(Bytes({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}) + EndOfTrack)},
        {"meta length past the track", Header(1) + Track(OneNote + Bytes({0x00, 0xFF, 0x01, 0x40, 'a'}))},
        {"zero tracks", "MThd" + Bytes({0, 0, 0, 6, 0, 1, 0, 0, 0x01, 0xE0})},
        {"SMPTE division", "MThd" + Bytes({0, 0, 0, 6, 0, 0, 0, 1, 0xE7, 0x28}) + Track(OneNote + EndOfTrack)},
        {"format 2", "MThd" + Bytes({0, 0, 0, 6, 0, 2, 0, 1, 0x01, 0xE0}) + Track(OneNote + EndOfTrack)},
        {"format 0 with two tracks",
         "MThd" + Bytes({0, 0, 0, 6, 0, 0, 0, 2, 0x01, 0xE0}) + Track(OneNote + EndOfTrack) + Track(OneNote + EndOfTrack)},
        {"a piece of no length", Header(1) + Track(Bytes({0x00, 0x90, 60, 100, 0x00, 60, 0}) + EndOfTrack)},
        {"a tail too short for a track", Header(2) + Track(OneNote + EndOfTrack) + Bytes({0, 0, 0, 0, 0xFF})},
        {"a chunk of another kind past the file", Header(1) + "XFIL" + Bytes({0, 0, 1, 0}) + Track(OneNote + EndOfTrack)},
    };
    for (const TCase& c : cases) {
        std::string why;
        EXPECT_FALSE(CheckMidiBytes(c.bytes, why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
}

TEST(MidiCheck, FaultsSayWhatIsWrong)
{
    const std::pair<std::string, const char*> cases[] = {
        {Header(1) + Track(Bytes({0x00, 0x90, 60, 100, 0x00, 60, 0}) + EndOfTrack), "it lasts no time"},
        {Header(2) + Track(OneNote + EndOfTrack) + Bytes({0, 0, 0, 0, 0xFF}), "track 2 is missing"},
        {Header(1) + "XFIL" + Bytes({0, 0, 1, 0}) + Track(OneNote + EndOfTrack), "a chunk runs past the end of the file"},
        {"MThd" + Bytes({0, 0, 0, 6, 0, 0, 0, 2, 0x01, 0xE0}), "a format 0 file holds one track"},
    };
    for (const auto& [bytes, says] : cases) {
        std::string why;
        EXPECT_FALSE(CheckMidiBytes(bytes, why));
        EXPECT_EQ(why, says);
    }
}

TEST(MidiCheck, ChunksOfOtherKindsAreSkipped)
{
    std::string why;
    const std::string other = "XFIL" + Bytes({0, 0, 0, 2, 'h', 'i'});
    EXPECT_TRUE(CheckMidiBytes(Header(1) + other + Track(OneNote + EndOfTrack), why)) << why;
}

TEST(MidiCheck, MissingFileIsRefused)
{
    std::string why;
    EXPECT_FALSE(CheckMidiFile("/nonexistent/korvalen.mid", why));
    EXPECT_NE(why.find("/nonexistent/korvalen.mid"), std::string::npos) << why;
    EXPECT_NE(why.find("there is no such file"), std::string::npos) << why;
}

}  // namespace
