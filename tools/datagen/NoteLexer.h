// Splits the note lines of a track or phrase into tokens.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace DataGen {

enum class NoteTokenKind {
    Note,          // key: semitone in the octave (c = 0), or the kit key in drum text
    Rest,
    Octave,        // value: octave
    OctaveUp,
    OctaveDown,
    DefaultLength,
    Velocity,
    VelocityStep,  // value: change of the velocity, up or down
    Gate,
    Transpose,
    Tie,
    Extend,
    Accent,
    Ghost,
    RepeatOpen,
    RepeatClose,   // value: count
    RepeatBreak,
    ChordOpen,
    ChordClose,
    BarLine,
    Phrase,        // name
};

struct NoteToken {
    NoteTokenKind kind;
    int line = 0;
    int value = 0;
    std::uint32_t length = 0;  // ticks; 0 = the default length
    bool drum = false;         // a Note whose value is a kit key
    std::string name;
};

// A fault in the note text, at a line of its source.
struct NoteError : std::runtime_error {
    NoteError(int atLine, const std::string& what) : std::runtime_error(what), line(atLine) {}
    int line;
};

// Appends the tokens of one source line. Throws NoteError.
void LexNoteLine(const std::string& text, int line, bool drums, std::vector<NoteToken>& tokens);

}  // namespace DataGen
