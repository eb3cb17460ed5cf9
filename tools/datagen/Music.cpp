// The game's music: dat/<name>.mid from the note text assets/music/<name>.notes.
#include "DataGen.h"
#include "MidiFile.h"
#include "NoteText.h"
#include "SoundFiles.h"

#include <array>
#include <string>

namespace DataGen {

namespace {

// One piece per stage (0...9), then the Another stage and its climax.
constexpr std::array<const char*, 12> kPieceNames{
    "ronri", "varnel", "nozomare", "byakuya", "ketudan", "ito",
    "jenoside", "namae", "fukai", "velmor", "end", "yomenai"};

}  // namespace

void WriteMusic(const Paths& paths)
{
    for (const char* name : kPieceNames) {
        const auto source = paths.assets / "music" / (std::string(name) + ".notes");
        Piece piece = CompileNoteText(ReadSourceText(source), source.string());
        piece.title = name;
        WriteDataFile(paths.out / (std::string(name) + ".mid"), EncodeMidi(piece));
    }
}

}  // namespace DataGen
