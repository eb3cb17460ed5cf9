// The MIDI writer: variable-length quantities and a file a strict reader accepts.
#include "MidiFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MidiVarLen, EncodesSevenBitsPerByteHighestFirst)
{
    const struct {
        std::uint32_t value;
        Bytes bytes;
    } cases[] = {
        {0, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},
        {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& c : cases) {
        Bytes out;
        DataGen::AppendVarLen(out, c.value);
        EXPECT_EQ(out, c.bytes) << "value " << c.value;
    }
}

TEST(MidiVarLen, RejectsValuesBeyondFourBytes)
{
    Bytes out;
    EXPECT_THROW(DataGen::AppendVarLen(out, 0x10000000), std::runtime_error);
}

DataGen::Piece OneNotePiece()
{
    DataGen::Piece piece;
    piece.title = "t";
    piece.tempo = 120;
    piece.length = 4 * DataGen::kTicksPerQuarter;
    DataGen::PartTrack track;
    track.name = "p";
    track.channel = 3;
    track.program = 74;
    track.notes.push_back(DataGen::TimedNote{0, 960, 60, 100});
    piece.tracks.push_back(track);
    return piece;
}

std::uint32_t Read32(const Bytes& b, std::size_t at)
{
    return (std::uint32_t{b.at(at)} << 24) | (std::uint32_t{b.at(at + 1)} << 16) |
           (std::uint32_t{b.at(at + 2)} << 8) | std::uint32_t{b.at(at + 3)};
}

TEST(MidiFile, HeaderAndTrackChunksAreWhatPlayersExpect)
{
    const Bytes file = DataGen::EncodeMidi(OneNotePiece());
    const Bytes header{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0};
    ASSERT_GE(file.size(), header.size());
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 14), header);

    // Both chunks are complete and each ends with End of Track.
    std::size_t at = 14;
    for (int track = 0; track < 2; ++track) {
        ASSERT_EQ(Bytes(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at) + 4),
                  (Bytes{'M', 'T', 'r', 'k'}));
        const std::size_t end = at + 8 + Read32(file, at + 4);
        ASSERT_LE(end, file.size());
        EXPECT_EQ(Bytes(file.begin() + static_cast<long>(end) - 3, file.begin() + static_cast<long>(end)),
                  (Bytes{0xFF, 0x2F, 0x00}));
        at = end;
    }
    EXPECT_EQ(at, file.size());
}

TEST(MidiFile, PartTrackOpensWithProgramThenEndsOnTheBarLine)
{
    const Bytes file = DataGen::EncodeMidi(OneNotePiece());
    const std::size_t second = 14 + 8 + Read32(file, 18);
    const Bytes body(file.begin() + static_cast<long>(second) + 8, file.end());
    const Bytes expected{
        0x00, 0xFF, 0x03, 0x01, 'p',   // track name
        0x00, 0xC2, 73,                // program 74 on channel 3
        0x00, 0xB2, 7, 100,            // volume
        0x00, 0xB2, 10, 64,            // pan
        0x00, 0xB2, 91, 40,            // reverb send
        0x00, 0xB2, 93, 0,             // chorus send
        0x00, 0x92, 60, 100,           // note on
        0x87, 0x40, 0x82, 60, 0x40,    // note off after 960 ticks
        0x87, 0x40, 0xFF, 0x2F, 0x00,  // end of track at 1920
    };
    EXPECT_EQ(body, expected);
}

}  // namespace
