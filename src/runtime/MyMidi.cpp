#include "MyMidi.h"

#include "platform/Audio.h"
#include "platform/FileBytes.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <vector>

namespace {

// Reads a Standard MIDI File strictly, never past the bytes it was given.
class TMidiReader {
public:
    explicit TMidiReader(std::string_view bytes) : bytes_(bytes) {}

    bool Check(std::string& why)
    {
        std::uint32_t tracks = 0;
        if (!ReadHeader(tracks, why)) return false;
        for (std::uint32_t t = 0; t < tracks; ++t)
            if (!ReadTrack(t, why)) return false;
        if (!hasNotes_) return Fail(why, "it has no notes");
        // Looped, a piece of no length would start over without end.
        if (!lasts_) return Fail(why, "it lasts no time");
        return true;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
    bool hasNotes_ = false;
    bool lasts_ = false;

    static bool Fail(std::string& why, const std::string& text)
    {
        why = text;
        return false;
    }

    bool Has(std::size_t n, std::size_t end) const { return pos_ <= end && end - pos_ >= n; }
    std::uint8_t Byte() { return std::uint8_t(bytes_.at(pos_++)); }

    std::uint32_t BigEndian(int count)
    {
        std::uint32_t v = 0;
        for (int i = 0; i < count; ++i) v = v << 8 | Byte();
        return v;
    }

    bool Tag(const char* tag)
    {
        if (!Has(4, bytes_.size()) || bytes_.compare(pos_, 4, tag) != 0) return false;
        pos_ += 4;
        return true;
    }

    bool VarLen(std::size_t end, std::uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (!Has(1, end)) return false;
            const std::uint8_t b = Byte();
            value = value << 7 | (b & 0x7Fu);
            if ((b & 0x80u) == 0) return true;
        }
        return false;
    }

    bool ReadHeader(std::uint32_t& tracks, std::string& why)
    {
        if (!Tag("MThd") || !Has(10, bytes_.size())) return Fail(why, "it is not a Standard MIDI File");
        const std::uint32_t length = BigEndian(4);
        const std::uint32_t format = BigEndian(2);
        tracks = BigEndian(2);
        const std::uint32_t division = BigEndian(2);
        if (length != 6 || format > 1) return Fail(why, "unsupported MIDI header");
        if (tracks == 0) return Fail(why, "it has no tracks");
        if (format == 0 && tracks != 1) return Fail(why, "a format 0 file holds one track");
        if (division == 0 || (division & 0x8000u) != 0) return Fail(why, "unsupported time division");
        return true;
    }

    bool ReadTrack(std::uint32_t index, std::string& why)
    {
        const std::string track = "track " + std::to_string(index + 1);
        // Chunks of other kinds are skipped, as the format asks.
        bool found = false;
        while (Has(8, bytes_.size())) {
            found = Tag("MTrk");
            if (found) break;
            pos_ += 4;
            const std::uint32_t skip = BigEndian(4);
            if (!Has(skip, bytes_.size())) return Fail(why, "a chunk runs past the end of the file");
            pos_ += skip;
        }
        if (!found) return Fail(why, track + " is missing");
        const std::uint32_t length = BigEndian(4);
        if (!Has(length, bytes_.size())) return Fail(why, track + " runs past the end of the file");
        const std::size_t end = pos_ + length;
        if (!ReadEvents(end)) return Fail(why, track + " is broken");
        return true;
    }

    // Events up to and including End of Track, which must close the chunk.
    bool ReadEvents(std::size_t end)
    {
        std::uint8_t running = 0;
        for (;;) {
            std::uint32_t delta = 0;
            if (!VarLen(end, delta) || !Has(1, end)) return false;
            if (delta > 0) lasts_ = true;
            std::uint8_t status = Byte();
            if (status < 0x80) {
                if (running == 0) return false;
                --pos_;
                status = running;
            }
            if (status == 0xFF) {
                running = 0;
                if (!Has(1, end)) return false;
                const std::uint8_t type = Byte();
                std::uint32_t length = 0;
                if (!VarLen(end, length) || !Has(length, end)) return false;
                pos_ += length;
                if (type == 0x2F) return pos_ == end;
            } else if (status == 0xF0 || status == 0xF7) {
                running = 0;
                std::uint32_t length = 0;
                if (!VarLen(end, length) || !Has(length, end)) return false;
                pos_ += length;
            } else if (status >= 0xF1) {
                return false;
            } else if (!ReadChannelMessage(status, end)) {
                return false;
            } else {
                running = status;
            }
        }
    }

    bool ReadChannelMessage(std::uint8_t status, std::size_t end)
    {
        const std::uint8_t type = status & 0xF0u;
        const int dataBytes = (type == 0xC0 || type == 0xD0) ? 1 : 2;
        if (!Has(std::size_t(dataBytes), end)) return false;
        std::uint8_t data[2] = {0, 0};
        for (int i = 0; i < dataBytes; ++i) {
            data[i] = Byte();
            if (data[i] >= 0x80) return false;
        }
        if (type == 0x90 && data[1] > 0) hasNotes_ = true;
        return true;
    }
};

// The pieces are a few kilobytes; a file far larger is damaged.
constexpr std::size_t MaxMidiFileBytes = 4 * 1024 * 1024;

}  // namespace

bool CheckMidiBytes(std::string_view bytes, std::string& why) { return TMidiReader(bytes).Check(why); }

bool CheckMidiFile(const std::string& path, std::string& why)
{
    std::vector<unsigned char> bytes;
    try {
        bytes = Platform::ReadFileBytes(path, MaxMidiFileBytes);
    } catch (const std::exception& e) {
        why = e.what();
        return false;
    }
    return CheckMidiBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), why);
}

void InitMidi() { Audio::InitMusic(); }

void StopMidi() { Audio::StopMusic(); }

namespace {

// Whether the piece passes the check; when not, says so in one line.
bool Playable(const std::string& path)
{
    std::string why;
    if (CheckMidiFile(path, why)) return true;
    std::fprintf(stderr, "korvalen: not playing the music \"%s\": %s\n", path.c_str(), why.c_str());
    return false;
}

}  // namespace

void PlayMidi(const std::string& path)
{
    StopMidi();
    if (Playable(path)) Audio::PlayMusic(path);
}

void PrepareMidi(const std::string& path)
{
    if (Playable(path)) Audio::PrepareMusic(path);
}

void FreeMidi()
{
    StopMidi();
    Audio::FreeMusicPlayer();
}
