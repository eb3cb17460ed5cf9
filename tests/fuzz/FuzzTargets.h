// The bodies of the loaders' fuzz targets, shared by the libFuzzer programs
// (tests/fuzz/fuzz_entry.cpp) and the replay test of the ordinary builds.
// A body takes one input. A damaged input must end in a load error, or in a
// "no" from the checks that answer yes or no; anything else that escapes
// (EBrokenPromise among others), a hang or a sanitizer's report is a fault.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

namespace Fuzz {

using TInput = std::span<const std::uint8_t>;
using TBody = void (*)(TInput);

// A loader broke what it promises for inputs it accepts or refuses.
class EBrokenPromise : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A sprite sheet's bytes, loaded and cut into frames as the store does.
void SpriteSheet(TInput input);
// A picture's bytes, decoded as a JPEG and as a bitmap.
void Picture(TInput input);
// A music file's bytes through the check that guards the synthesizer.
void MidiCheck(TInput input);
// A battle record's CP932 bytes through the scan for earlier achievements.
void ReportScan(TInput input);
// A sound file's bytes through the check that guards the mixer.
void WaveCheck(TInput input);
// A story chapter's bytes, parsed into pages.
void StoryChapter(TInput input);

struct TTarget {
    std::string_view name;  // also the folder of its seeds and regression inputs
    TBody body;
};
inline constexpr TTarget Targets[] = {
    {"sprite_sheet", SpriteSheet}, {"picture", Picture},       {"midi_check", MidiCheck},
    {"report_scan", ReportScan},   {"wave_check", WaveCheck},    {"story_chapter", StoryChapter},
};

}  // namespace Fuzz
