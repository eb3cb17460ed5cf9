#include "BmpWriter.h"

#include <fstream>
#include <stdexcept>

namespace DataGen {
namespace {

constexpr std::uint32_t FileHeaderSize = 14;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t PixelsPerMetre = 3780;  // 96 dpi

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    PutU16(out, value & 0xFFFFu);
    PutU16(out, value >> 16);
}

std::uint32_t RowBytes(int width)
{
    return (static_cast<std::uint32_t>(width) * 3u + 3u) / 4u * 4u;
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const PixelImage& image)
{
    const std::uint32_t rowBytes = RowBytes(image.Width());
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(image.Height());
    const std::uint32_t offset = FileHeaderSize + InfoHeaderSize;

    std::vector<std::uint8_t> out;
    out.reserve(offset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, offset + pixelBytes);
    PutU32(out, 0);  // reserved
    PutU32(out, offset);

    PutU32(out, InfoHeaderSize);
    PutU32(out, static_cast<std::uint32_t>(image.Width()));
    PutU32(out, static_cast<std::uint32_t>(image.Height()));  // positive: bottom-up
    PutU16(out, 1);   // planes
    PutU16(out, 24);  // bits per pixel
    PutU32(out, 0);   // BI_RGB, no compression
    PutU32(out, pixelBytes);
    PutU32(out, PixelsPerMetre);
    PutU32(out, PixelsPerMetre);
    PutU32(out, 0);  // colours used
    PutU32(out, 0);  // important colours

    for (int y = image.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.Width(); ++x) {
            const Rgb& p = image.At(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(image.Width()) * 3u; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

void WriteBmp(const std::filesystem::path& file, const PixelImage& image)
{
    const std::vector<std::uint8_t> bytes = EncodeBmp(image);
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) throw std::runtime_error(file.string() + ": cannot write the picture");
}

}  // namespace DataGen
