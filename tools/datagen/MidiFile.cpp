#include "MidiFile.h"

#include <algorithm>
#include <stdexcept>

namespace DataGen {

namespace {

struct Event {
    std::uint32_t tick;
    int order;  // at one tick: set-up first, then note offs, then note ons
    std::vector<std::uint8_t> bytes;
};

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

void Append32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

Event Meta(std::uint32_t tick, int type, const std::vector<std::uint8_t>& data)
{
    Event e{tick, 0, {0xFF, Byte(type)}};
    AppendVarLen(e.bytes, static_cast<std::uint32_t>(data.size()));
    e.bytes.insert(e.bytes.end(), data.begin(), data.end());
    return e;
}

Event TrackName(const std::string& name)
{
    return Meta(0, 0x03, std::vector<std::uint8_t>(name.begin(), name.end()));
}

int Log2(int value)
{
    int log = 0;
    while ((1 << log) < value) ++log;
    return log;
}

std::vector<Event> ConductorEvents(const Piece& piece)
{
    const std::uint32_t microsPerQuarter = 60000000u / static_cast<std::uint32_t>(piece.tempo);
    return {TrackName(piece.title),
            Meta(0, 0x58, {Byte(piece.beatsPerBar), Byte(Log2(piece.beatUnit)), 24, 8}),
            Meta(0, 0x51, {Byte(static_cast<int>(microsPerQuarter >> 16)),
                           Byte(static_cast<int>(microsPerQuarter >> 8)), Byte(static_cast<int>(microsPerQuarter))})};
}

std::vector<Event> PartEvents(const PartTrack& track)
{
    const int ch = track.channel - 1;
    auto control = [ch](int number, int value) {
        return Event{0, 0, {Byte(0xB0 | ch), Byte(number), Byte(value)}};
    };
    std::vector<Event> events{TrackName(track.name),
                              Event{0, 0, {Byte(0xC0 | ch), Byte(track.program - 1)}},
                              control(7, track.volume), control(10, track.pan),
                              control(91, track.reverb), control(93, track.chorus)};
    for (const TimedNote& n : track.notes) {
        events.push_back(Event{n.start, 2, {Byte(0x90 | ch), n.key, n.velocity}});
        events.push_back(Event{n.start + n.length, 1, {Byte(0x80 | ch), n.key, 0x40}});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    return events;
}

void AppendTrack(std::vector<std::uint8_t>& out, const std::vector<Event>& events, std::uint32_t end)
{
    std::vector<std::uint8_t> body;
    std::uint32_t now = 0;
    for (const Event& e : events) {
        if (e.tick < now || e.tick > end) throw std::runtime_error("MIDI event outside the piece");
        AppendVarLen(body, e.tick - now);
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        now = e.tick;
    }
    AppendVarLen(body, end - now);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Append32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

void AppendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    if (value > 0x0FFFFFFFu) throw std::runtime_error("MIDI delta time too large");
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

std::vector<std::uint8_t> EncodeMidi(const Piece& piece)
{
    if (piece.tracks.size() + 1 > 0xFFFF) throw std::runtime_error("too many MIDI tracks");
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    const auto trackCount = static_cast<std::uint32_t>(piece.tracks.size() + 1);
    out.push_back(static_cast<std::uint8_t>(trackCount >> 8));
    out.push_back(static_cast<std::uint8_t>(trackCount & 0xFF));
    out.push_back(static_cast<std::uint8_t>(kTicksPerQuarter >> 8));
    out.push_back(static_cast<std::uint8_t>(kTicksPerQuarter & 0xFF));
    AppendTrack(out, ConductorEvents(piece), piece.length);
    for (const PartTrack& track : piece.tracks) AppendTrack(out, PartEvents(track), piece.length);
    return out;
}

}  // namespace DataGen
