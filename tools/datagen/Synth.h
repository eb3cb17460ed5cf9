// Renders a sound-effect recipe to 16-bit samples.
#pragma once

#include "SynthRecipe.h"

#include <cstdint>
#include <vector>

namespace DataGen {

constexpr int kSoundSampleRate = 44100;

// Mixes every layer, takes away what lies below 20 Hz, scales the loudest
// sample to the recipe's peak and fades in and out briefly so the sound starts
// and stops without a click.
std::vector<std::int16_t> RenderRecipe(const Recipe& recipe, int sampleRate);

}  // namespace DataGen
