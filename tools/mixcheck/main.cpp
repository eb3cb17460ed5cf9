// korvalen-mixcheck: plays every piece and every effect through the game's own
// audio output on SDL's disk driver and prints their levels. Run it where
// dat/ is (the build folder):
//   korvalen-mixcheck --assets <folder> [--seconds <per piece>] [--capture <file>]
//   korvalen-mixcheck --assets <folder> --parts <piece or "all">
//   korvalen-mixcheck --assets <folder> --render <piece> --wav <file>
// --parts plays each part of the pieces alone and prints its level; --render
// writes one pass of a piece, as the game plays it, to a WAV file. The
// capture (raw 16-bit stereo at 44100 Hz) is kept only when named.
#include "MixReport.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

struct TToolOptions {
    MixCheck::TMixOptions mix;
    bool keepCapture = false;
    std::string parts;   // a piece, or "all"
    std::string render;  // a piece
    std::filesystem::path wav;
};

TToolOptions ParseOptions(int argc, char** argv)
{
    TToolOptions options;
    options.mix.capture =
        std::filesystem::temp_directory_path() / ("korvalen-mixcheck-" + std::to_string(getpid()) + ".raw");
    if (argc % 2 == 0) throw std::runtime_error(std::string("option without a value: ") + argv[argc - 1]);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--assets") options.mix.assets = value;
        else if (name == "--seconds") options.mix.maxSecondsPerPiece = std::stod(value);
        else if (name == "--capture") options.mix.capture = value, options.keepCapture = true;
        else if (name == "--parts") options.parts = value;
        else if (name == "--render") options.render = value;
        else if (name == "--wav") options.wav = value;
        else throw std::runtime_error("unknown option " + name);
    }
    if (options.mix.assets.empty()) throw std::runtime_error("--assets <folder> is needed");
    if (options.render.empty() != options.wav.empty()) throw std::runtime_error("--render and --wav go together");
    return options;
}

// Measures and prints; the capture goes however the measuring ends.
void Measure(const TToolOptions& options)
{
    if (!options.render.empty()) MixCheck::RenderPiece(options.mix, options.render, options.wav);
    else if (!options.parts.empty())
        MixCheck::PrintParts(MixCheck::MeasureParts(options.mix, options.parts == "all" ? "" : options.parts), stdout);
    else MixCheck::PrintMix(MixCheck::MeasureMix(options.mix), stdout);
}

void Run(const TToolOptions& options)
{
    try {
        Measure(options);
    } catch (...) {
        if (!options.keepCapture) std::filesystem::remove(options.mix.capture);
        throw;
    }
    if (!options.keepCapture) std::filesystem::remove(options.mix.capture);
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        Run(ParseOptions(argc, argv));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvalen-mixcheck: %s\n", e.what());
        return 1;
    }
}
