// The note text that the music is written in, compiled to timed notes.
//
// A piece is a text file. Lines starting with one of these words set it up:
//   tempo 96                  quarter notes per minute
//   time 3/4                  bar length; "|" in the notes checks bar lines
//   track lead channel 1 program 74 volume 100 pan 64 reverb 40 chorus 0 role melody
//                             starts a track (channel 10 is the drum kit,
//                             program numbers are General MIDI's 1...128;
//                             role melody or bass marks the tune and the bass
//                             line, for the checks of the music's form)
//   define name [drums]       starts a named phrase, used as $name
// Every other line holds notes for the track or phrase above it; "#" starts
// a comment.
//
// Notes (MML style):
//   c d e f g a b   a note, "+" sharp, "-" flat, then an optional length:
//                   4 quarter, 8 eighth, 12 eighth triplet, "." dotted ...
//   r               rest;  l8 sets the length used when none is written
//   o4 < >          octave 4 (c4 is middle C), one octave down, one up
//   &               tie into the next note of the same pitch: c2&c8
//   ^8              lengthen the last note or rest: c2^8
//   {c e g}2        a chord; octave changes inside it stay inside it
//   v90 q7 k-2      velocity, gate in eighths of the length, transpose
//   v+8 v-8         velocity up or down from where it is
//   ! ?             after a note: accent it (24 louder), or make it a ghost note (24 softer)
//   [ ... ]3        repeat three times; a ":" inside ends the last time early
//   |               bar line (checked)
//   $name           play a phrase defined with "define"
// In drum tracks and drum phrases the notes are names of the kit:
//   kick snare rim clap hat pedal ohat crash ride bell china splash tamb
//   cowbell floor tomlo tommid tomhi bongo conga timbale agogo shaker
//   cabasa wood clave triangle
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace DataGen {

constexpr std::uint32_t kTicksPerQuarter = 480;
constexpr int kDrumChannel = 10;

struct TimedNote {
    std::uint32_t start = 0;
    std::uint32_t length = 0;  // sounding length, in ticks
    std::uint8_t key = 0;
    std::uint8_t velocity = 0;
};

enum class TrackRole { Other, Melody, Bass };

struct PartTrack {
    std::string name;
    int channel = 1;  // 1...16
    int program = 1;  // 1...128
    int volume = 100;
    int pan = 64;
    int reverb = 40;
    int chorus = 0;
    TrackRole role = TrackRole::Other;
    std::vector<TimedNote> notes;
};

struct Piece {
    std::string title;
    int tempo = 120;
    int beatsPerBar = 4;
    int beatUnit = 4;
    std::uint32_t length = 0;  // ticks; every track ends here, on a bar line
    std::vector<PartTrack> tracks;
};

// Throws std::runtime_error "<sourceName>:<line>: <what>" on any fault.
Piece CompileNoteText(const std::string& text, const std::string& sourceName);

}  // namespace DataGen
