#include "NoteLexer.h"

#include "NoteText.h"

#include <cctype>
#include <map>

namespace DataGen {

namespace {

constexpr std::uint32_t kWholeNote = 4 * kTicksPerQuarter;

const std::map<std::string, int>& DrumKit()
{
    // General MIDI percussion keys.
    static const std::map<std::string, int> kit{
        {"kick", 36}, {"rim", 37}, {"snare", 38}, {"clap", 39}, {"floor", 41},
        {"hat", 42}, {"tomlo", 45}, {"pedal", 44}, {"ohat", 46}, {"tommid", 47},
        {"crash", 49}, {"tomhi", 50}, {"ride", 51}, {"china", 52}, {"bell", 53},
        {"tamb", 54}, {"splash", 55}, {"cowbell", 56}, {"bongo", 60}, {"conga", 63},
        {"timbale", 65}, {"agogo", 67}, {"cabasa", 69}, {"shaker", 70},
        {"clave", 75}, {"wood", 76}, {"triangle", 81}};
    return kit;
}

class Reader {
public:
    Reader(const std::string& text, int line) : text_(text), line_(line) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    char Take() { return text_[pos_++]; }
    bool TakeIf(char c)
    {
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }
    bool DigitNext() const { return std::isdigit(static_cast<unsigned char>(Peek())) != 0; }

    int Number()
    {
        if (!DigitNext()) Fail("a number is missing");
        long value = 0;
        while (DigitNext()) {
            value = value * 10 + (Take() - '0');
            if (value > 100000) Fail("number too large");
        }
        return static_cast<int>(value);
    }

    int SignedNumber()
    {
        const bool negative = TakeIf('-');
        if (!negative) TakeIf('+');
        const int value = Number();
        return negative ? -value : value;
    }

    // "8", "4.", "2.." -> ticks; nothing -> 0 (the default length).
    std::uint32_t Length()
    {
        if (!DigitNext()) {
            if (Peek() == '.') Fail("a dot needs a length before it");
            return 0;
        }
        const int divisor = Number();
        if (divisor == 0 || kWholeNote % static_cast<std::uint32_t>(divisor) != 0)
            Fail("length " + std::to_string(divisor) + " does not divide a whole note");
        std::uint32_t part = kWholeNote / static_cast<std::uint32_t>(divisor);
        std::uint32_t ticks = part;
        while (TakeIf('.')) {
            if (part % 2 != 0) Fail("too many dots");
            part /= 2;
            ticks += part;
        }
        return ticks;
    }

    std::string Word()
    {
        std::string word;
        while (std::isalnum(static_cast<unsigned char>(Peek())) || Peek() == '_') word += Take();
        return word;
    }

    std::string Letters()
    {
        std::string word;
        while (std::islower(static_cast<unsigned char>(Peek()))) word += Take();
        return word;
    }

    [[noreturn]] void Fail(const std::string& what) const { throw NoteError(line_, what); }

private:
    const std::string& text_;
    std::size_t pos_ = 0;
    int line_;
};

int SemitoneOf(char letter)
{
    static const std::map<char, int> steps{{'c', 0}, {'d', 2}, {'e', 4}, {'f', 5},
                                           {'g', 7}, {'a', 9}, {'b', 11}};
    const auto it = steps.find(letter);
    return it == steps.end() ? -1 : it->second;
}

// Commands shared by note and drum text, named by one letter.
bool LexCommand(char c, Reader& in, NoteToken& token)
{
    switch (c) {
    case 'r': token.kind = NoteTokenKind::Rest; token.length = in.Length(); return true;
    case 'o': token.kind = NoteTokenKind::Octave; token.value = in.Number(); return true;
    case 'l':
        token.kind = NoteTokenKind::DefaultLength;
        token.length = in.Length();
        if (token.length == 0) in.Fail("l needs a length");
        return true;
    case 'v':
        token.kind = in.Peek() == '+' || in.Peek() == '-' ? NoteTokenKind::VelocityStep : NoteTokenKind::Velocity;
        token.value = in.SignedNumber();
        return true;
    case 'q': token.kind = NoteTokenKind::Gate; token.value = in.Number(); return true;
    case 'k': token.kind = NoteTokenKind::Transpose; token.value = in.SignedNumber(); return true;
    default: return false;
    }
}

bool LexSymbol(char c, Reader& in, NoteToken& token)
{
    switch (c) {
    case '<': token.kind = NoteTokenKind::OctaveDown; return true;
    case '>': token.kind = NoteTokenKind::OctaveUp; return true;
    case '&': token.kind = NoteTokenKind::Tie; return true;
    case '!': token.kind = NoteTokenKind::Accent; return true;
    case '?': token.kind = NoteTokenKind::Ghost; return true;
    case '^':
        token.kind = NoteTokenKind::Extend;
        token.length = in.Length();
        if (token.length == 0) in.Fail("^ needs a length");
        return true;
    case '[': token.kind = NoteTokenKind::RepeatOpen; return true;
    case ']':
        token.kind = NoteTokenKind::RepeatClose;
        token.value = in.DigitNext() ? in.Number() : 2;
        if (token.value < 1) in.Fail("a repeat count must be at least 1");
        return true;
    case ':': token.kind = NoteTokenKind::RepeatBreak; return true;
    case '{': token.kind = NoteTokenKind::ChordOpen; return true;
    case '}': token.kind = NoteTokenKind::ChordClose; token.length = in.Length(); return true;
    case '|': token.kind = NoteTokenKind::BarLine; return true;
    case '$':
        token.kind = NoteTokenKind::Phrase;
        token.name = in.Word();
        if (token.name.empty()) in.Fail("$ needs a phrase name");
        return true;
    default: return false;
    }
}

void LexPitch(char letter, Reader& in, NoteToken& token)
{
    token.kind = NoteTokenKind::Note;
    token.value = SemitoneOf(letter);
    while (true) {
        if (in.TakeIf('+')) ++token.value;
        else if (in.TakeIf('-')) --token.value;
        else break;
    }
    token.length = in.Length();
}

void LexDrum(const std::string& word, Reader& in, NoteToken& token)
{
    const auto it = DrumKit().find(word);
    if (it == DrumKit().end()) in.Fail("unknown drum \"" + word + "\"");
    token.kind = NoteTokenKind::Note;
    token.drum = true;
    token.value = it->second;
    token.length = in.Length();
}

}  // namespace

void LexNoteLine(const std::string& text, int line, bool drums, std::vector<NoteToken>& tokens)
{
    Reader in(text, line);
    while (!in.AtEnd()) {
        const char c = in.Take();
        if (c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r') continue;
        NoteToken token{NoteTokenKind::Rest, line, 0, 0, false, {}};
        if (LexSymbol(c, in, token)) {
        } else if (drums && std::islower(static_cast<unsigned char>(c))) {
            const std::string word = std::string(1, c) + in.Letters();
            if (word.size() > 1 || !LexCommand(c, in, token)) LexDrum(word, in, token);
        } else if (!LexCommand(c, in, token)) {
            if (SemitoneOf(c) < 0) in.Fail(std::string("unexpected \"") + c + "\"");
            LexPitch(c, in, token);
        }
        tokens.push_back(token);
    }
}

}  // namespace DataGen
