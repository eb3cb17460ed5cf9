// Standard MIDI Files (format 1) for General MIDI players.
#pragma once

#include "NoteText.h"

#include <cstdint>
#include <vector>

namespace DataGen {

// A MIDI variable-length quantity: seven bits a byte, high bit set on all but
// the last. Values above 0x0FFFFFFF do not fit in four bytes and throw.
void AppendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value);

// Track 0 holds the tempo and the time signature; then one track per part,
// which opens at tick 0 with its program, volume, pan and effect sends.
// Every track ends at the piece's length, so a player that loops the file
// restarts exactly on the bar line.
std::vector<std::uint8_t> EncodeMidi(const Piece& piece);

}  // namespace DataGen
