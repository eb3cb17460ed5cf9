#include "WaveFile.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace Audio {
namespace {

constexpr std::uint32_t PcmFormat = 1;
constexpr std::uint32_t SampleRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
constexpr std::size_t ChunkHeaderBytes = 8;

using TBytes = std::span<const unsigned char>;

bool Fail(std::string& why, const std::string& text)
{
    why = text;
    return false;
}

std::uint32_t Le(TBytes b, std::size_t at, int count)
{
    std::uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = v << 8 | b[at + std::size_t(i)];
    return v;
}

bool Tag(TBytes b, std::size_t at, const char (&tag)[5]) { return std::equal(tag, tag + 4, b.begin() + at); }

std::string Number(std::uint64_t n) { return std::to_string(n); }

// The format chunk's fields; align becomes the bytes of one sample frame.
bool CheckFormat(TBytes body, std::uint32_t& align, std::string& why)
{
    if (body.size() < 16) return Fail(why, "the format chunk is cut short");
    const std::uint32_t format = Le(body, 0, 2), channels = Le(body, 2, 2), rate = Le(body, 4, 4);
    const std::uint32_t byteRate = Le(body, 8, 4), blockAlign = Le(body, 12, 2), bits = Le(body, 14, 2);
    if (format != PcmFormat)
        return Fail(why, "sound format " + Number(format) + "; the game plays uncompressed PCM only");
    if (channels < 1 || channels > 2)
        return Fail(why, Number(channels) + " channels; the game plays mono and stereo sounds only");
    if (bits != 8 && bits != 16) return Fail(why, Number(bits) + "-bit samples; the game plays 8- and 16-bit ones only");
    if (std::find(std::begin(SampleRates), std::end(SampleRates), rate) == std::end(SampleRates))
        return Fail(why, "an unusual rate of " + Number(rate) + " samples a second");
    if (blockAlign != channels * bits / 8 || byteRate != rate * blockAlign)
        return Fail(why, "the format chunk contradicts itself");
    align = blockAlign;
    return true;
}

// The data chunk, once the format is known.
bool CheckData(std::uint32_t align, std::uint64_t size, std::string& why)
{
    if (align == 0) return Fail(why, "the sound data comes before its format");
    if (size == 0) return Fail(why, "the sound holds no samples");
    if (size % align != 0) return Fail(why, "the sound data ends inside a sample");
    return true;
}

}  // namespace

bool CheckWaveBytes(TBytes bytes, std::string& why)
{
    if (bytes.size() < 12 || !Tag(bytes, 0, "RIFF") || !Tag(bytes, 8, "WAVE"))
        return Fail(why, "not a RIFF WAVE file");
    const std::uint64_t promised = std::uint64_t(Le(bytes, 4, 4)) + ChunkHeaderBytes;
    if (promised > bytes.size())
        return Fail(why, "the file is cut short: its header promises " + Number(promised) + " bytes, the file holds " +
                             Number(bytes.size()));
    const TBytes riff = bytes.first(std::size_t(promised));
    std::uint32_t align = 0;
    // Every chunk moves on by at least its header, so the walk ends.
    for (std::size_t at = 12; at <= riff.size() && riff.size() - at >= ChunkHeaderBytes;) {
        const std::size_t body = at + ChunkHeaderBytes;
        const std::uint64_t size = Le(riff, at + 4, 4);
        const bool data = Tag(riff, at, "data");
        if (size > riff.size() - body) {
            if (!data) return Fail(why, "a chunk runs past the end of the file");
            return Fail(why, "the sound data is cut short: its chunk promises " + Number(size) +
                                 " bytes, the file holds " + Number(riff.size() - body));
        }
        if (data) return CheckData(align, size, why);
        if (Tag(riff, at, "fmt ") && !CheckFormat(riff.subspan(body, std::size_t(size)), align, why)) return false;
        at = body + std::size_t(size) + std::size_t(size & 1);  // chunks are padded to even lengths
    }
    return Fail(why, align == 0 ? "no format chunk" : "no sound data");
}

}  // namespace Audio
