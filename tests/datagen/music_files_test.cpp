// Every piece and every sound under assets/ builds; each MIDI file passes the
// reader check the game applies before playing; the output is the same twice.
#include "DataGen.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const fs::path kAssets = KORVALEN_ASSETS_DIR;

Bytes ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The checks a player makes before looping a file; returns "" when it passes.
class SmfCheck {
public:
    explicit SmfCheck(const Bytes& b) : b_(b) {}

    std::string Run()
    {
        if (b_.size() < 14 || std::string(b_.begin(), b_.begin() + 4) != "MThd" || Be(4, 4) != 6)
            return "bad header";
        const std::uint32_t format = Be(8, 2), tracks = Be(10, 2), division = Be(12, 2);
        if (format > 1 || tracks < 1 || division == 0 || (division & 0x8000) != 0) return "bad header fields";
        std::size_t at = 14;
        for (std::uint32_t t = 0; t < tracks; ++t) {
            if (at + 8 > b_.size() || std::string(b_.begin() + static_cast<long>(at), b_.begin() + static_cast<long>(at) + 4) != "MTrk")
                return "missing track chunk";
            const std::size_t end = at + 8 + Be(at + 4, 4);
            if (end > b_.size()) return "track beyond the file";
            if (const std::string fault = Track(at + 8, end); !fault.empty()) return fault;
            at = end;
        }
        return notesOn_ > 0 ? "" : "no notes";
    }

    double Seconds() const { return ticksOfLongestTrack * (microsPerQuarter / 1e6) / Be(12, 2); }

    std::uint32_t ticksOfLongestTrack = 0;
    std::uint32_t microsPerQuarter = 500000;

private:
    std::uint32_t Be(std::size_t at, int bytes) const
    {
        std::uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = (v << 8) | b_.at(at + static_cast<std::size_t>(i));
        return v;
    }

    bool VarLen(std::size_t& at, std::size_t end, std::uint32_t& value) const
    {
        value = 0;
        for (int i = 0; i < 4 && at < end; ++i) {
            const std::uint8_t c = b_[at++];
            value = (value << 7) | (c & 0x7Fu);
            if ((c & 0x80) == 0) return true;
        }
        return false;
    }

    std::string Track(std::size_t at, std::size_t end)
    {
        int status = 0;
        std::uint32_t tick = 0, delta = 0, length = 0;
        std::map<int, int> sounding;
        while (at < end) {
            if (!VarLen(at, end, delta) || at >= end) return "bad delta";
            tick += delta;
            const std::uint8_t first = b_[at];
            if (first == 0xFF) {
                if (at + 2 > end) return "cut meta";
                const std::uint8_t type = b_[at + 1];
                at += 2;
                if (!VarLen(at, end, length) || at + length > end) return "meta beyond the chunk";
                if (type == 0x51 && length == 3) microsPerQuarter = Be(at, 3);
                at += length;
                status = 0;
                if (type == 0x2F) {
                    ticksOfLongestTrack = std::max(ticksOfLongestTrack, tick);
                    if (at != end) return "data after End of Track";
                    return sounding.empty() ? "" : "a note still sounds at End of Track";
                }
            } else if (first == 0xF0 || first == 0xF7) {
                ++at;
                if (!VarLen(at, end, length) || at + length > end) return "sysex beyond the chunk";
                at += length;
                status = 0;
            } else {
                if ((first & 0x80) != 0) { status = first; ++at; }
                else if (status == 0) return "running status without a channel message";
                const int kind = status & 0xF0;
                const std::size_t size = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (at + size > end) return "cut channel message";
                const int key = ((status & 0x0F) << 8) | b_[at];
                if (kind == 0x90 && b_[at + 1] > 0) { ++notesOn_; ++sounding[key]; }
                else if ((kind == 0x80 || kind == 0x90) && --sounding[key] == 0) sounding.erase(key);
                at += size;
            }
        }
        return "no End of Track";
    }

    const Bytes& b_;
    int notesOn_ = 0;
};

TEST(GeneratedAudio, EveryPiecePassesThePlayersCheckAndLastsAMinute)
{
    const TTempFolder folder;
    const fs::path& out = folder.Path();
    DataGen::WriteMusic({kAssets, out});
    int pieces = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        const Bytes file = ReadAll(entry.path());
        SmfCheck check(file);
        EXPECT_EQ(check.Run(), "") << entry.path();
        EXPECT_GE(check.Seconds(), 60.0) << entry.path();
        ++pieces;
    }
    EXPECT_EQ(pieces, 12);
}

TEST(GeneratedAudio, SameSourcesGiveTheSameBytes)
{
    const TTempFolder first, second;
    const fs::path& a = first.Path();
    const fs::path& b = second.Path();
    for (const auto& dir : {a, b}) {
        DataGen::WriteSounds({kAssets, dir});
        DataGen::WriteMusic({kAssets, dir});
    }
    int files = 0;
    for (const auto& entry : fs::directory_iterator(a)) {
        EXPECT_EQ(ReadAll(entry.path()), ReadAll(b / entry.path().filename())) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 25);
}

}  // namespace
