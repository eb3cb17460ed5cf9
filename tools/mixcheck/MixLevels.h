// Levels of the mixer's output, 16-bit stereo frames interleaved at 44100 Hz,
// and where a sound lies in it. Loudness follows ITU-R BS.1770 (K-weighted,
// in LUFS); the other figures are plain sample statistics in dBFS, 0 dBFS
// being the largest 16-bit sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace MixCheck {

constexpr int SampleRate = 44100;
constexpr int Channels = 2;

// Every figure of silence reads -200 dB.
struct TLevels {
    double peak = 0;           // dBFS of the largest sample
    std::size_t clipped = 0;   // samples at full scale (+32767 or -32768)
    double rms = 0;            // dBFS, both channels together
    double loudness = 0;       // LUFS, integrated with BS.1770's two gates
    double loudestMoment = 0;  // LUFS of the loudest 400 ms, or of it all when shorter
    double correlation = 0;    // of left and right: 1 the same, 0 unrelated, -1 opposite (out of phase)
};

TLevels MeasureLevels(std::span<const std::int16_t> samples);

// The stretch between the first and the last sample that is not silence.
std::span<const std::int16_t> TrimSilence(std::span<const std::int16_t> samples);
// The longest run of frames in which both channels stay within this far of zero.
std::size_t LongestQuietRun(std::span<const std::int16_t> samples, int quietest);
// From the first sample that is not silence on, at most this many frames.
std::span<const std::int16_t> FromFirstSound(std::span<const std::int16_t> samples, std::size_t frames);

// Where a sound starts in a mix that holds it whole, in samples, of the
// starts firstFrame, firstFrame + stepFrames, ...: the mixer adds the sound
// to the rest sample for sample, so taking it away at its true start leaves
// the least behind.
std::size_t FindSound(std::span<const std::int16_t> mix, std::span<const std::int16_t> sound, std::size_t firstFrame,
                      std::size_t stepFrames);
// What is left of a mix when the sound is taken away from its start.
std::vector<std::int16_t> Subtract(std::span<const std::int16_t> mix, std::span<const std::int16_t> sound);

}  // namespace MixCheck
