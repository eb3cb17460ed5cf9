#include "NoteText.h"

#include "NoteLexer.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace DataGen {

namespace {

constexpr int kMaxPhraseDepth = 16;
constexpr int kAccentStep = 24;  // what "!" adds to a note's velocity and "?" takes away

struct Block {
    std::vector<NoteToken> tokens;
    bool drums = false;
    int line = 0;
};

struct Source {
    Piece piece;
    std::vector<Block> trackBlocks;  // one per piece.tracks entry
    std::map<std::string, Block> phrases;
};

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

int ParseInt(const std::string& word, int low, int high, int line)
{
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(word, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != word.size() || value < low || value > high)
        throw NoteError(line, "expected a whole number " + std::to_string(low) + "..." +
                                  std::to_string(high) + ", got \"" + word + "\"");
    return value;
}

void ParseTime(Piece& piece, const std::vector<std::string>& words, int line)
{
    const auto slash = words.size() == 2 ? words[1].find('/') : std::string::npos;
    if (slash == std::string::npos) throw NoteError(line, "time expects beats/unit, as in 3/4");
    piece.beatsPerBar = ParseInt(words[1].substr(0, slash), 1, 32, line);
    piece.beatUnit = ParseInt(words[1].substr(slash + 1), 1, 32, line);
    if (piece.beatUnit != 2 && piece.beatUnit != 4 && piece.beatUnit != 8 && piece.beatUnit != 16)
        throw NoteError(line, "the beat unit must be 2, 4, 8 or 16");
}

TrackRole ParseRole(const std::string& word, int line)
{
    if (word == "melody") return TrackRole::Melody;
    if (word == "bass") return TrackRole::Bass;
    throw NoteError(line, "a track's role is melody or bass, not \"" + word + "\"");
}

PartTrack ParseTrack(const std::vector<std::string>& words, int line)
{
    if (words.size() < 2 || words.size() % 2 != 0)
        throw NoteError(line, "track expects a name, then pairs such as \"channel 1\"");
    PartTrack track;
    track.name = words[1];
    bool channelGiven = false;
    for (std::size_t i = 2; i < words.size(); i += 2) {
        const std::string& key = words[i];
        const std::string& value = words[i + 1];
        if (key == "channel") { track.channel = ParseInt(value, 1, 16, line); channelGiven = true; }
        else if (key == "program") track.program = ParseInt(value, 1, 128, line);
        else if (key == "volume") track.volume = ParseInt(value, 0, 127, line);
        else if (key == "pan") track.pan = ParseInt(value, 0, 127, line);
        else if (key == "reverb") track.reverb = ParseInt(value, 0, 127, line);
        else if (key == "chorus") track.chorus = ParseInt(value, 0, 127, line);
        else if (key == "role") track.role = ParseRole(value, line);
        else throw NoteError(line, "unknown track setting \"" + key + "\"");
    }
    if (!channelGiven) throw NoteError(line, "track " + track.name + " has no channel");
    return track;
}

// Reads the set-up lines and gathers the note lines of every track and phrase.
Source ReadSource(const std::string& text)
{
    Source source;
    Block* current = nullptr;
    std::istringstream in(text);
    int line = 0;
    for (std::string row; std::getline(in, row);) {
        ++line;
        const auto words = Words(row);
        if (words.empty()) continue;
        const std::string& key = words.front();
        if (key == "tempo" && words.size() == 2) source.piece.tempo = ParseInt(words[1], 20, 400, line);
        else if (key == "time") ParseTime(source.piece, words, line);
        else if (key == "track") {
            source.piece.tracks.push_back(ParseTrack(words, line));
            source.trackBlocks.push_back(Block{{}, source.piece.tracks.back().channel == kDrumChannel, line});
            current = &source.trackBlocks.back();
        } else if (key == "define") {
            if (words.size() < 2 || words.size() > 3 || (words.size() == 3 && words[2] != "drums"))
                throw NoteError(line, "define expects a name and optionally \"drums\"");
            if (source.phrases.count(words[1]) != 0)
                throw NoteError(line, "phrase " + words[1] + " is defined twice");
            current = &source.phrases[words[1]];
            *current = Block{{}, words.size() == 3, line};
        } else {
            if (current == nullptr) throw NoteError(line, "notes before any track or define");
            LexNoteLine(row, line, current->drums, current->tokens);
        }
    }
    return source;
}

// Plays the tokens of one track into timed notes.
class Performer {
public:
    Performer(const Source& source, PartTrack& track, std::uint32_t barTicks)
        : source_(source), track_(track), barTicks_(barTicks) {}

    void Play(const Block& block, int depth)
    {
        if (depth > kMaxPhraseDepth) throw NoteError(block.line, "phrases nested too deeply (a phrase using itself?)");
        if (block.drums != (track_.channel == kDrumChannel))
            throw NoteError(block.line, "drum text and note text cannot be mixed");
        Run(block.tokens, 0, block.tokens.size(), depth);
    }

    std::uint32_t End() const { return tick_; }

    void Finish(int line)
    {
        if (!tieOpen_.empty()) throw NoteError(line, "a tie at the end leads nowhere");
        for (const Sounding& s : sounding_) track_.notes.push_back(Release(s));
        std::sort(track_.notes.begin(), track_.notes.end(),
                  [](const TimedNote& a, const TimedNote& b) { return a.start < b.start; });
    }

private:
    struct Sounding {
        std::uint32_t start;
        std::uint32_t length;
        std::uint32_t lastPart;  // length of the last tied piece, which the gate shortens
        int gate;
        std::uint8_t key;
        std::uint8_t velocity;
    };

    static TimedNote Release(const Sounding& s)
    {
        const std::uint32_t cut = s.lastPart * static_cast<std::uint32_t>(8 - s.gate) / 8;
        return TimedNote{s.start, std::max<std::uint32_t>(1, s.length - cut), s.key, s.velocity};
    }

    void Run(const std::vector<NoteToken>& tokens, std::size_t begin, std::size_t end, int depth)
    {
        for (std::size_t i = begin; i < end; ++i) {
            const NoteToken& t = tokens[i];
            switch (t.kind) {
            case NoteTokenKind::RepeatOpen: i = Repeat(tokens, i, end, depth); break;
            case NoteTokenKind::ChordOpen: i = Chord(tokens, i, end); break;
            case NoteTokenKind::Phrase: PlayPhrase(t, depth); break;
            default: Step(t); break;
            }
        }
    }

    static std::size_t Matching(const std::vector<NoteToken>& tokens, std::size_t open, std::size_t end,
                                std::size_t& breakAt)
    {
        int level = 0;
        breakAt = 0;
        for (std::size_t i = open + 1; i < end; ++i) {
            const NoteTokenKind kind = tokens[i].kind;
            if (kind == NoteTokenKind::RepeatOpen) ++level;
            else if (kind == NoteTokenKind::RepeatClose && level-- == 0) return i;
            else if (kind == NoteTokenKind::RepeatBreak && level == 0) {
                if (breakAt != 0) throw NoteError(tokens[i].line, "only one \":\" per repeat");
                breakAt = i;
            }
        }
        throw NoteError(tokens[open].line, "\"[\" without its \"]\"");
    }

    std::size_t Repeat(const std::vector<NoteToken>& tokens, std::size_t open, std::size_t end, int depth)
    {
        std::size_t breakAt = 0;
        const std::size_t close = Matching(tokens, open, end, breakAt);
        const int count = tokens[close].value;
        ++repeatDepth_;
        for (int pass = 1; pass <= count; ++pass)
            Run(tokens, open + 1, pass == count && breakAt != 0 ? breakAt : close, depth);
        --repeatDepth_;
        return close;
    }

    std::size_t Chord(const std::vector<NoteToken>& tokens, std::size_t open, std::size_t end)
    {
        const int octave = octave_;
        std::vector<int> keys;
        for (std::size_t i = open + 1; i < end; ++i) {
            const NoteToken& t = tokens[i];
            switch (t.kind) {
            case NoteTokenKind::Note:
                if (t.length != 0) throw NoteError(t.line, "a note in a chord takes the chord's length");
                keys.push_back(KeyOf(t));
                break;
            case NoteTokenKind::Octave: octave_ = t.value; break;
            case NoteTokenKind::OctaveUp: ++octave_; break;
            case NoteTokenKind::OctaveDown: --octave_; break;
            case NoteTokenKind::ChordClose:
                octave_ = octave;
                if (keys.empty()) throw NoteError(t.line, "an empty chord");
                Sound(keys, LengthOf(t), t.line);
                return i;
            default: throw NoteError(t.line, "only notes and octave changes belong in a chord");
            }
        }
        throw NoteError(tokens[open].line, "\"{\" without its \"}\"");
    }

    void PlayPhrase(const NoteToken& t, int depth)
    {
        const auto it = source_.phrases.find(t.name);
        if (it == source_.phrases.end()) throw NoteError(t.line, "no phrase named " + t.name);
        Play(it->second, depth + 1);
    }

    void Step(const NoteToken& t)
    {
        switch (t.kind) {
        case NoteTokenKind::Note: Sound({KeyOf(t)}, LengthOf(t), t.line); break;
        case NoteTokenKind::Rest: Rest(LengthOf(t), t.line); break;
        case NoteTokenKind::Octave: octave_ = t.value; break;
        case NoteTokenKind::OctaveUp: ++octave_; break;
        case NoteTokenKind::OctaveDown: --octave_; break;
        case NoteTokenKind::DefaultLength: defaultLength_ = t.length; break;
        case NoteTokenKind::Velocity: velocity_ = Checked(t, 1, 127); break;
        case NoteTokenKind::VelocityStep: velocity_ = CheckedVelocity(velocity_ + t.value, t.line); break;
        case NoteTokenKind::Gate: gate_ = Checked(t, 1, 8); break;
        case NoteTokenKind::Transpose: transpose_ = Checked(t, -48, 48); break;
        case NoteTokenKind::Tie: Tie(t.line); break;
        case NoteTokenKind::Extend: Extend(t.length, t.line); break;
        case NoteTokenKind::Accent: Stress(kAccentStep, "\"!\"", t.line); break;
        case NoteTokenKind::Ghost: Stress(-kAccentStep, "\"?\"", t.line); break;
        case NoteTokenKind::BarLine: CheckBar(t.line); break;
        case NoteTokenKind::RepeatClose: throw NoteError(t.line, "\"]\" without its \"[\"");
        case NoteTokenKind::RepeatBreak:
            if (repeatDepth_ == 0) throw NoteError(t.line, "\":\" outside a repeat");
            break;  // passes before the last one play on past it
        case NoteTokenKind::ChordClose: throw NoteError(t.line, "\"}\" without its \"{\"");
        default: break;
        }
    }

    static int Checked(const NoteToken& t, int low, int high)
    {
        if (t.value < low || t.value > high)
            throw NoteError(t.line, "value " + std::to_string(t.value) + " outside " +
                                        std::to_string(low) + "..." + std::to_string(high));
        return t.value;
    }

    std::uint32_t LengthOf(const NoteToken& t) const { return t.length != 0 ? t.length : defaultLength_; }

    int KeyOf(const NoteToken& t) const
    {
        const int key = t.drum ? t.value : (octave_ + 1) * 12 + t.value + transpose_;
        if (key < 0 || key > 127) throw NoteError(t.line, "note outside the MIDI range");
        return key;
    }

    void Advance(std::uint32_t length, int line)
    {
        if (tick_ > 0x0FFFFFFFu - length) throw NoteError(line, "piece too long");
        tick_ += length;
    }

    // Starts the notes (or continues the tied ones) and moves on by length.
    void Sound(const std::vector<int>& keys, std::uint32_t length, int line)
    {
        std::vector<std::size_t> open = std::move(tieOpen_);
        tieOpen_.clear();
        last_.clear();
        for (const int key : keys) {
            const auto tied = std::find_if(open.begin(), open.end(),
                                           [&](std::size_t s) { return sounding_[s].key == key; });
            if (tied != open.end()) {
                Sounding& s = sounding_[*tied];
                s.length += length;
                s.lastPart = length;
                s.gate = gate_;
                last_.push_back(*tied);
                open.erase(tied);
            } else {
                for (const std::size_t s : last_)
                    if (sounding_[s].key == key) throw NoteError(line, "the same note twice in a chord");
                sounding_.push_back(Sounding{tick_, length, length, gate_, static_cast<std::uint8_t>(key),
                                             static_cast<std::uint8_t>(velocity_)});
                last_.push_back(sounding_.size() - 1);
            }
        }
        if (!open.empty()) throw NoteError(line, "a tie must lead to a note of the same pitch");
        Advance(length, line);
    }

    void Rest(std::uint32_t length, int line)
    {
        if (!tieOpen_.empty()) throw NoteError(line, "a tie cannot lead to a rest");
        last_.clear();
        Advance(length, line);
    }

    void Tie(int line)
    {
        if (last_.empty()) throw NoteError(line, "\"&\" must follow a note");
        tieOpen_ = last_;
    }

    void Extend(std::uint32_t length, int line)
    {
        for (const std::size_t s : last_) {
            sounding_[s].length += length;
            sounding_[s].lastPart += length;
        }
        Advance(length, line);
    }

    static int CheckedVelocity(int velocity, int line)
    {
        if (velocity < 1 || velocity > 127)
            throw NoteError(line, "velocity " + std::to_string(velocity) + " outside 1...127");
        return velocity;
    }

    // Accents and ghost notes change only the notes just played, within the MIDI range.
    void Stress(int step, const char* mark, int line)
    {
        if (last_.empty()) throw NoteError(line, std::string(mark) + " must follow a note");
        for (const std::size_t s : last_)
            sounding_[s].velocity = static_cast<std::uint8_t>(std::clamp(sounding_[s].velocity + step, 1, 127));
    }

    void CheckBar(int line) const
    {
        if (tick_ % barTicks_ != 0)
            throw NoteError(line, "bar line " + std::to_string(tick_ % barTicks_) + " ticks into bar " +
                                      std::to_string(tick_ / barTicks_ + 1));
    }

    const Source& source_;
    PartTrack& track_;
    std::uint32_t barTicks_;
    std::uint32_t tick_ = 0;
    std::uint32_t defaultLength_ = kTicksPerQuarter;
    int octave_ = 4;
    int velocity_ = 90;
    int gate_ = 7;
    int transpose_ = 0;
    int repeatDepth_ = 0;
    std::vector<Sounding> sounding_;
    std::vector<std::size_t> last_;
    std::vector<std::size_t> tieOpen_;
};

std::string BarsAndTicks(std::uint32_t tick, std::uint32_t barTicks)
{
    return std::to_string(tick / barTicks) + " bars" +
           (tick % barTicks != 0 ? " and " + std::to_string(tick % barTicks) + " ticks" : "");
}

void CheckChannels(const Source& source)
{
    for (std::size_t i = 0; i < source.piece.tracks.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (source.piece.tracks[i].channel == source.piece.tracks[j].channel)
                throw NoteError(source.trackBlocks[i].line, "channel " +
                                    std::to_string(source.piece.tracks[i].channel) + " is used twice");
}

// Every track must end together, on a bar line, so the piece loops cleanly.
void CheckEnds(const Source& source, const std::vector<std::uint32_t>& ends, std::uint32_t barTicks)
{
    const std::uint32_t end = *std::max_element(ends.begin(), ends.end());
    for (std::size_t i = 0; i < ends.size(); ++i)
        if (ends[i] != end)
            throw NoteError(source.trackBlocks[i].line, "track " + source.piece.tracks[i].name + " lasts " +
                                BarsAndTicks(ends[i], barTicks) + ", the piece " + BarsAndTicks(end, barTicks));
    if (end == 0 || end % barTicks != 0)
        throw NoteError(source.trackBlocks.front().line, "the piece lasts " + BarsAndTicks(end, barTicks) +
                                                             ", not whole bars");
}

Piece Compile(const std::string& text)
{
    Source source = ReadSource(text);
    if (source.piece.tracks.empty()) throw NoteError(0, "no track");
    CheckChannels(source);
    const std::uint32_t barTicks = 4 * kTicksPerQuarter * static_cast<std::uint32_t>(source.piece.beatsPerBar) /
                                   static_cast<std::uint32_t>(source.piece.beatUnit);
    std::vector<std::uint32_t> ends;
    for (std::size_t i = 0; i < source.piece.tracks.size(); ++i) {
        Performer performer(source, source.piece.tracks[i], barTicks);
        performer.Play(source.trackBlocks[i], 0);
        performer.Finish(source.trackBlocks[i].line);
        ends.push_back(performer.End());
    }
    CheckEnds(source, ends, barTicks);
    source.piece.length = ends.front();
    return std::move(source.piece);
}

}  // namespace

Piece CompileNoteText(const std::string& text, const std::string& sourceName)
{
    try {
        return Compile(text);
    } catch (const NoteError& e) {
        throw std::runtime_error(sourceName + ":" + std::to_string(e.line) + ": " + e.what());
    }
}

}  // namespace DataGen
