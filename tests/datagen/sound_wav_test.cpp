// The WAV writer's header: what players read before the samples.
#include "WavFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | b.at(at + static_cast<std::size_t>(i));
    return value;
}

TEST(WavFile, HeaderDescribesSixteenBitMonoPcm)
{
    const std::vector<std::int16_t> samples{0, 1, -1, 32767, -32767};
    const auto file = DataGen::EncodeWav(samples, 22050);
    ASSERT_EQ(file.size(), 44u + 10u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(Le(file, 4, 4), 36u + 10u);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    const struct {
        std::size_t at;
        int bytes;
        std::uint32_t value;
        const char* field;
    } fields[] = {
        {16, 4, 16, "fmt size"}, {20, 2, 1, "PCM"}, {22, 2, 1, "channels"},
        {24, 4, 22050, "sample rate"}, {28, 4, 44100, "byte rate"}, {32, 2, 2, "block align"},
        {34, 2, 16, "bits"}, {40, 4, 10, "data size"},
    };
    for (const auto& f : fields) EXPECT_EQ(Le(file, f.at, f.bytes), f.value) << f.field;
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(Le(file, 44 + 6, 2), 0x7FFFu);
    EXPECT_EQ(Le(file, 44 + 8, 2), 0x8001u);  // -32767, little-endian two's complement
}

}  // namespace
