#include "WavFile.h"

#include <stdexcept>

namespace DataGen {

namespace {

void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5])
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeWav(std::span<const std::int16_t> samples, int sampleRate)
{
    constexpr std::uint32_t kChannels = 1;
    constexpr std::uint32_t kBytesPerSample = 2;
    constexpr std::uint32_t kHeaderAfterRiffSize = 36;
    if (sampleRate <= 0) throw std::runtime_error("wave sample rate must be positive");
    if (samples.size() > (0xFFFFFFFFu - kHeaderAfterRiffSize) / kBytesPerSample)
        throw std::runtime_error("wave too long for a RIFF file");
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size()) * kBytesPerSample;

    std::vector<std::uint8_t> out;
    out.reserve(kHeaderAfterRiffSize + 8 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, kHeaderAfterRiffSize + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);  // size of the PCM format block
    Put16(out, 1);   // PCM
    Put16(out, kChannels);
    Put32(out, rate);
    Put32(out, rate * kChannels * kBytesPerSample);
    Put16(out, kChannels * kBytesPerSample);
    Put16(out, kBytesPerSample * 8);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (const std::int16_t s : samples) Put16(out, static_cast<std::uint16_t>(s));
    return out;
}

}  // namespace DataGen
