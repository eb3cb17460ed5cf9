#include "MixReport.h"

#include "MixCapture.h"
#include "MidiFile.h"
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
// -60 dBFS: a sample this close to zero is not heard over a game.
constexpr int QuietSample = 33;

struct TEffectSound {
    TEffectFigures figures;
    std::vector<std::int16_t> samples;  // as the output plays it alone, from its first sound
    std::size_t phase = 0;              // where in a buffer its first sound falls
};

void AppendLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t((value >> (8 * i)) & 0xFF));
}

// A RIFF WAVE file of the output as it is: 16-bit stereo at the mixer's rate.
std::vector<std::uint8_t> EncodeStereoWav(std::span<const std::int16_t> samples)
{
    const auto dataBytes = std::uint32_t(samples.size() * sizeof(std::int16_t));
    std::vector<std::uint8_t> out{'R', 'I', 'F', 'F'};
    AppendLittleEndian(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    AppendLittleEndian(out, 16, 4);
    AppendLittleEndian(out, 1, 2);  // PCM
    AppendLittleEndian(out, Channels, 2);
    AppendLittleEndian(out, SampleRate, 4);
    AppendLittleEndian(out, SampleRate * Channels * 2, 4);
    AppendLittleEndian(out, Channels * 2, 2);
    AppendLittleEndian(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    AppendLittleEndian(out, dataBytes, 4);
    for (std::int16_t s : samples) AppendLittleEndian(out, std::uint16_t(s), 2);
    return out;
}

DataGen::Piece CompilePiece(const std::filesystem::path& assets, const std::string& name)
{
    const auto source = assets / "music" / (name + ".notes");
    return DataGen::CompileNoteText(DataGen::ReadSourceText(source), source.string());
}

double SecondsOfTicks(const DataGen::Piece& piece, std::uint32_t ticks)
{
    return double(ticks) / DataGen::kTicksPerQuarter * 60.0 / piece.tempo;
}

double BarSeconds(const DataGen::Piece& piece)
{
    return SecondsOfTicks(piece, 4 * DataGen::kTicksPerQuarter * std::uint32_t(piece.beatsPerBar) /
                                     std::uint32_t(piece.beatUnit));
}

double SecondsOf(std::span<const std::int16_t> samples) { return double(samples.size() / Channels) / SampleRate; }

// Plays the file from its start and gives this much of it, from its first sound.
std::vector<std::int16_t> PlayFromFirstSound(TDiskCapture& capture, const std::string& path, double seconds)
{
    const TStretch stretch = capture.StartMusic(path).Holding(Frames(seconds + StartSlackSeconds));
    capture.WaitForFrames(stretch.from + stretch.frames);
    capture.StopMusic();
    const std::vector<std::int16_t> samples = capture.Read(stretch);
    const auto music = FromFirstSound(samples, Frames(seconds));
    return {music.begin(), music.end()};
}

std::span<const std::int16_t> Between(std::span<const std::int16_t> music, double fromSeconds, double seconds)
{
    const std::size_t from = std::min(Frames(fromSeconds) * Channels, music.size());
    return music.subspan(from, std::min(Frames(seconds) * Channels, music.size() - from));
}

TLoopJoin MeasureJoin(std::span<const std::int16_t> music, double pieceSeconds, double barSeconds)
{
    TLoopJoin join;
    join.lastBar = MeasureLevels(Between(music, pieceSeconds - barSeconds, barSeconds)).loudness;
    join.firstBarAgain = MeasureLevels(Between(music, pieceSeconds, barSeconds)).loudness;
    join.step = join.firstBarAgain - join.lastBar;
    join.quietSeconds = double(LongestQuietRun(Between(music, pieceSeconds - barSeconds, 2 * barSeconds),
                                               QuietSample)) / SampleRate;
    return join;
}

// The piece whole and on into its first bar again, as the loop plays it, or
// a bounded stretch of it.
TPieceFigures MeasurePiece(TDiskCapture& capture, const TMixOptions& options, const char* name)
{
    const DataGen::Piece piece = CompilePiece(options.assets, name);
    const double whole = SecondsOfTicks(piece, piece.length), bar = BarSeconds(piece);
    const bool bounded = options.maxSecondsPerPiece > 0 && options.maxSecondsPerPiece < whole;
    const double seconds = bounded ? options.maxSecondsPerPiece : whole;
    const std::vector<std::int16_t> music =
        PlayFromFirstSound(capture, std::string("dat/") + name + ".mid", bounded ? seconds : seconds + bar);
    TPieceFigures figures{name, 0, {}, !bounded, {}};
    const auto pass = Between(music, 0, seconds);
    figures.seconds = SecondsOf(pass);
    figures.levels = MeasureLevels(pass);
    if (figures.joinMeasured) figures.join = MeasureJoin(music, seconds, bar);
    return figures;
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
    for (const char* name : Pieces) pieces.push_back(MeasurePiece(capture, options, name));
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

void PrintPiece(const TPieceFigures& p, std::FILE* out)
{
    std::fprintf(out, "%-10s %7.1f %9.2f %7zu %8.2f %7.2f %9.2f %6.2f", p.name.c_str(), p.seconds, p.levels.peak,
                 p.levels.clipped, p.levels.rms, p.levels.loudness, p.levels.loudestMoment, p.levels.correlation);
    if (p.joinMeasured)
        std::fprintf(out, " %9.2f %9.2f %7.2f %6.3f", p.join.lastBar, p.join.firstBarAgain, p.join.step,
                     p.join.quietSeconds);
    std::fputc('\n', out);
}

void PrintMix(const TMixFigures& figures, std::FILE* out)
{
    std::fprintf(out, "%-10s %7s %9s %7s %8s %7s %9s %6s %9s %9s %7s %6s\n", "piece", "seconds", "peak dBFS", "clipped",
                 "RMS dBFS", "LUFS", "max 400ms", "L/R", "last bar", "1st again", "join dB", "quiet");
    for (const TPieceFigures& p : figures.pieces) PrintPiece(p, out);
    std::fprintf(out, "loudness spread %.2f dB\n\n", figures.loudnessSpread);
    std::fprintf(out, "%-17s %7s %9s %8s %9s %9s | over %-8s %9s %7s %8s %9s\n", "effect", "seconds", "peak dBFS",
                 "RMS dBFS", "max 400ms", "margin dB", figures.effectsOver.c_str(), "peak dBFS", "clipped", "RMS dBFS",
                 "music max");
    for (const TEffectFigures& e : figures.effects)
        std::fprintf(out, "%-17.*s %7.2f %9.2f %8.2f %9.2f %9.2f | %13s %9.2f %7zu %8.2f %9.2f\n", int(e.path.size()),
                     e.path.data(), e.seconds, e.alone.peak, e.alone.rms, e.alone.loudestMoment, e.margin, "",
                     e.overMusic.peak, e.overMusic.clipped, e.overMusic.rms, e.musicUnder);
}

std::vector<TPartFigures> MeasureParts(const TMixOptions& options, const std::string& only)
{
    TDiskCapture capture(options.capture);
    const std::filesystem::path solo = options.capture.parent_path() / (options.capture.stem().string() + "-part.mid");
    std::vector<TPartFigures> parts;
    for (const char* name : Pieces) {
        if (!only.empty() && only != name) continue;
        const DataGen::Piece piece = CompilePiece(options.assets, name);
        for (const DataGen::PartTrack& track : piece.tracks) {
            DataGen::Piece alone = piece;
            alone.tracks = {track};
            DataGen::WriteDataFile(solo, DataGen::EncodeMidi(alone));
            const auto music = PlayFromFirstSound(capture, solo.string(), SecondsOfTicks(piece, piece.length));
            const bool drums = track.channel == DataGen::kDrumChannel;
            parts.push_back({name, track.name, drums ? 0 : track.program,
                             track.role == DataGen::TrackRole::Melody, MeasureLevels(music)});
        }
    }
    std::filesystem::remove(solo);
    return parts;
}

// Each part's loudness, and how far it lies over the piece's melody.
void PrintParts(const std::vector<TPartFigures>& parts, std::FILE* out)
{
    std::fprintf(out, "%-10s %-10s %7s %7s %9s %6s %11s\n", "piece", "part", "program", "LUFS", "max 400ms", "L/R",
                 "over melody");
    for (const TPartFigures& p : parts) {
        const auto melody = std::find_if(parts.begin(), parts.end(),
                                         [&](const TPartFigures& m) { return m.piece == p.piece && m.melody; });
        std::fprintf(out, "%-10s %-10s %7d %7.2f %9.2f %6.2f", p.piece.c_str(), p.track.c_str(), p.program,
                     p.levels.loudness, p.levels.loudestMoment, p.levels.correlation);
        if (melody != parts.end() && !p.melody) std::fprintf(out, " %11.2f", p.levels.loudness - melody->levels.loudness);
        std::fputc('\n', out);
    }
}

void RenderPiece(const TMixOptions& options, const std::string& piece, const std::filesystem::path& wav)
{
    const DataGen::Piece notes = CompilePiece(options.assets, piece);
    TDiskCapture capture(options.capture);
    const auto music = PlayFromFirstSound(capture, "dat/" + piece + ".mid", SecondsOfTicks(notes, notes.length));
    DataGen::WriteDataFile(wav, EncodeStereoWav(music));
}

}  // namespace MixCheck
