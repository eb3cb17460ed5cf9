// The game's sound effects: dat/<name>.wav from assets/sounds/<name>.synth.
#include "DataGen.h"
#include "SoundFiles.h"
#include "Synth.h"
#include "SynthRecipe.h"
#include "WavFile.h"

#include <array>
#include <string>

namespace DataGen {

namespace {

// Every sound the game plays; a missing recipe is an error, not silence.
constexpr std::array<const char*, 13> kSoundNames{
    "titlecall", "bullet", "weakshort", "bomb", "fire", "break", "banish",
    "laser", "hitbit", "hitbit2", "pan", "collapse", "open"};

}  // namespace

void WriteSounds(const Paths& paths)
{
    for (const char* name : kSoundNames) {
        const auto source = paths.assets / "sounds" / (std::string(name) + ".synth");
        const Recipe recipe = ParseRecipe(ReadSourceText(source), source.string());
        const auto samples = RenderRecipe(recipe, kSoundSampleRate);
        WriteDataFile(paths.out / (std::string(name) + ".wav"), EncodeWav(samples, kSoundSampleRate));
    }
}

}  // namespace DataGen
