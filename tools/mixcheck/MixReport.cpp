#include "MixReport.h"

#include "MixCapture.h"
#include "NoteText.h"
#include "SoundFiles.h"
#include "runtime/MyWave.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace MixCheck {
namespace {

constexpr std::array<const char*, 12> Pieces = {"ronri", "varnel", "nozomare", "byakuya", "ketudan", "ito",
                                                "jenoside", "namae", "fukai", "velmor", "end", "yomenai"};

// Room for a quiet first beat.
constexpr double StartSlackSeconds = 0.5;
// Longer than the longest effect.
constexpr double EffectRoomSeconds = 3.0;
// Effects over the music: the first after a second, then one every few
// seconds, each well after the one before has ended.
constexpr double FirstEffectSeconds = 1.0;
constexpr double EffectSpacingSeconds = 3.0;
struct TEffectSound {
    TEffectFigures figures;
    std::vector<std::int16_t> samples;  // as the output plays it alone, from its first sound
    std::size_t phase = 0;              // where in a buffer its first sound falls
};

double PieceSeconds(const std::filesystem::path& assets, const char* name)
{
    const auto source = assets / "music" / (std::string(name) + ".notes");
    const DataGen::Piece piece = DataGen::CompileNoteText(DataGen::ReadSourceText(source), source.string());
    return double(piece.length) / DataGen::kTicksPerQuarter * 60.0 / piece.tempo;
}

double SecondsOf(std::span<const std::int16_t> samples) { return double(samples.size() / Channels) / SampleRate; }

TPieceFigures MeasurePiece(TDiskCapture& capture, const char* name, double seconds)
{
    const TStretch stretch =
        capture.StartMusic(std::string("dat/") + name + ".mid").Holding(Frames(seconds + StartSlackSeconds));
    capture.WaitForFrames(stretch.from + stretch.frames);
    capture.StopMusic();
    const std::vector<std::int16_t> samples = capture.Read(stretch);
    const auto music = FromFirstSound(samples, Frames(seconds));
    return {name, SecondsOf(music), MeasureLevels(music)};
}

TEffectSound MeasureEffectAlone(TDiskCapture& capture, std::string_view path)
{
    const TStretch stretch = capture.StartEffect(path).Holding(Frames(EffectRoomSeconds));
    capture.WaitForFrames(stretch.from + stretch.frames);
    const std::vector<std::int16_t> samples = capture.Read(stretch);
    const auto sound = TrimSilence(samples);
    if (sound.empty()) throw std::runtime_error("the effect " + std::string(path) + " was not heard");
    TEffectSound effect;
    effect.phase = (stretch.from + std::size_t(sound.data() - samples.data()) / Channels) % BufferFrames;
    effect.figures.path = path;
    effect.figures.seconds = SecondsOf(sound);
    effect.figures.alone = MeasureLevels(sound);
    effect.samples.assign(sound.begin(), sound.end());
    return effect;
}

const TPieceFigures& LoudestPiece(const std::vector<TPieceFigures>& pieces)
{
    return *std::max_element(pieces.begin(), pieces.end(), [](const TPieceFigures& a, const TPieceFigures& b) {
        return a.levels.loudestMoment < b.levels.loudestMoment;
    });
}

double LoudnessSpread(const std::vector<TPieceFigures>& pieces)
{
    const auto [quietest, loudest] = std::minmax_element(
        pieces.begin(), pieces.end(),
        [](const TPieceFigures& a, const TPieceFigures& b) { return a.levels.loudness < b.levels.loudness; });
    return loudest->levels.loudness - quietest->levels.loudness;
}

void MeasureOverMusic(const TDiskCapture& capture, TStretch stretch, TEffectSound& effect)
{
    const std::vector<std::int16_t> mix = capture.Read(stretch);
    const std::size_t firstFrame = (effect.phase + BufferFrames - stretch.from % BufferFrames) % BufferFrames;
    const std::size_t start = FindSound(mix, effect.samples, firstFrame, BufferFrames);
    const std::span<const std::int16_t> heard = std::span(mix).subspan(start, effect.samples.size());
    effect.figures.overMusic = MeasureLevels(heard);
    effect.figures.musicUnder = MeasureLevels(Subtract(heard, effect.samples)).loudestMoment;
}

// Plays every effect in turn over the piece, as the game does in a stage.
void MeasureEffectsOverMusic(TDiskCapture& capture, const std::string& piece, std::vector<TEffectSound>& effects)
{
    const std::size_t musicAt = capture.StartMusic("dat/" + piece + ".mid").latest;
    std::vector<TStretch> stretches;
    for (std::size_t i = 0; i < effects.size(); ++i) {
        capture.WaitForFrames(musicAt + Frames(FirstEffectSeconds + EffectSpacingSeconds * double(i)));
        const TStart start = capture.StartEffect(effects[i].figures.path);
        stretches.push_back(start.Holding(effects[i].samples.size() / Channels));
    }
    capture.WaitForFrames(stretches.back().from + stretches.back().frames);
    capture.StopMusic();
    for (std::size_t i = 0; i < effects.size(); ++i) MeasureOverMusic(capture, stretches[i], effects[i]);
}

std::vector<TPieceFigures> MeasurePieces(TDiskCapture& capture, const TMixOptions& options)
{
    std::vector<TPieceFigures> pieces;
    for (const char* name : Pieces) {
        double seconds = PieceSeconds(options.assets, name);
        if (options.maxSecondsPerPiece > 0) seconds = std::min(seconds, options.maxSecondsPerPiece);
        pieces.push_back(MeasurePiece(capture, name, seconds));
    }
    return pieces;
}

std::vector<TEffectSound> MeasureEffectsAlone(TDiskCapture& capture, const TPieceFigures& loudest)
{
    std::vector<TEffectSound> effects;
    for (std::string_view path : Sound::All) {
        effects.push_back(MeasureEffectAlone(capture, path));
        effects.back().figures.margin = effects.back().figures.alone.loudestMoment - loudest.levels.loudestMoment;
    }
    return effects;
}

}  // namespace

TMixFigures MeasureMix(const TMixOptions& options)
{
    TMixFigures figures;
    TDiskCapture capture(options.capture);
    figures.pieces = MeasurePieces(capture, options);
    figures.loudnessSpread = LoudnessSpread(figures.pieces);
    const TPieceFigures& loudest = LoudestPiece(figures.pieces);
    figures.effectsOver = loudest.name;
    std::vector<TEffectSound> effects = MeasureEffectsAlone(capture, loudest);
    MeasureEffectsOverMusic(capture, loudest.name, effects);
    for (const TEffectSound& e : effects) figures.effects.push_back(e.figures);
    return figures;
}

void PrintMix(const TMixFigures& figures, std::FILE* out)
{
    std::fprintf(out, "%-10s %7s %9s %7s %8s %7s %9s\n", "piece", "seconds", "peak dBFS", "clipped", "RMS dBFS",
                 "LUFS", "max 400ms");
    for (const TPieceFigures& p : figures.pieces)
        std::fprintf(out, "%-10s %7.1f %9.2f %7zu %8.2f %7.2f %9.2f\n", p.name.c_str(), p.seconds, p.levels.peak,
                     p.levels.clipped, p.levels.rms, p.levels.loudness, p.levels.loudestMoment);
    std::fprintf(out, "loudness spread %.2f dB\n\n", figures.loudnessSpread);
    std::fprintf(out, "%-17s %7s %9s %8s %9s %9s | over %-8s %9s %7s %8s %9s\n", "effect", "seconds", "peak dBFS",
                 "RMS dBFS", "max 400ms", "margin dB", figures.effectsOver.c_str(), "peak dBFS", "clipped", "RMS dBFS",
                 "music max");
    for (const TEffectFigures& e : figures.effects)
        std::fprintf(out, "%-17.*s %7.2f %9.2f %8.2f %9.2f %9.2f | %13s %9.2f %7zu %8.2f %9.2f\n", int(e.path.size()),
                     e.path.data(), e.seconds, e.alone.peak, e.alone.rms, e.alone.loudestMoment, e.margin, "",
                     e.overMusic.peak, e.overMusic.clipped, e.overMusic.rms, e.musicUnder);
}

}  // namespace MixCheck
