// Background music: one Standard MIDI File at a time, repeating until stopped.
#pragma once

#include <string>
#include <string_view>

// Prepares the music output (start-up).
void InitMidi();
void StopMidi();
// Stops the piece playing, then starts this one. A file that fails the check
// below, or cannot be played, leaves the game silent.
void PlayMidi(const std::string& path);
// Loads a piece ahead, so that a later PlayMidi of it does not stall the frame.
void PrepareMidi(const std::string& path);
// Stops the music and releases the synthesizer (shut-down).
void FreeMidi();

// Whether a Standard MIDI File is safe to loop: well-formed header and
// tracks, every track closed by End of Track, at least one note and some
// length. A file without notes or with a broken track can hang the
// synthesizer. Reads only the bytes given and allocates nothing in proportion
// to what they claim. On failure why says what is wrong.
bool CheckMidiBytes(std::string_view bytes, std::string& why);
bool CheckMidiFile(const std::string& path, std::string& why);
