// What the sound-effect tests measure in a rendered sound: offsets, clicks,
// where its energy lies in frequency and how its loudness moves in time.
// Levels are shares of full scale; times are seconds at 44100 Hz.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace SoundMeasures {

using TSamples = std::span<const std::int16_t>;

constexpr double kRate = 44100;

// A figure and where in the sound it was found.
struct TFinding {
    double value = 0;
    double seconds = 0;
};

double Mean(TSamples samples);

// The largest mean under a raised-cosine window of this length, tried at
// every millisecond. The window weighs a tone of twice its rate or more
// down to a few per cent of its amplitude, so what remains is offset.
TFinding WorstWindowMean(TSamples samples, double windowSeconds);

// The worst click: how far the waveform's third difference at one sample
// stands over the largest it reaches within 5 ms on either side. A step or
// a kink makes a lone spike there; tones and noise keep it near 1.
TFinding WorstClick(TSamples samples);

// Hann-windowed power spectrum, summed over the sound.
struct TSpectrum {
    std::vector<double> power;  // bins of kRate / 2048 Hz
    double ShareAbove(double hz) const;
    double Centroid() const;  // Hz
};
TSpectrum Spectrum(TSamples samples);

// RMS of each frame in dB under the loudest frame (silence reads -120).
std::vector<double> LevelContour(TSamples samples, double frameSeconds);

// Loud moments that stand out from what came before: a rise of riseDb
// from a low after the previous burst fell away, to within 30 dB of the loudest.
int CountBursts(const std::vector<double>& contour, double riseDb);

// How long the sound stays within dropDb of its loudest frame, from the
// start to the last frame that does.
double SoundingSeconds(const std::vector<double>& contour, double frameSeconds, double dropDb);

// The contour over the sounding stretch, resampled to this many points.
std::vector<double> Shape(const std::vector<double>& contour, int points);

}  // namespace SoundMeasures
