// Windows bitmap files. The game's own are 24-bit, uncompressed, as the data
// generator writes them; only those are read, and every field SDL will rely
// on is checked here first, so damaged bytes never reach its decoder.
#include "Bitmap.h"

#include "Errors.h"
#include "FileBytes.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {

constexpr std::size_t FileHeaderBytes = 14;
// BITMAPINFOHEADER and its two longer successors, which paint programs write.
constexpr std::uint32_t InfoHeaderSizes[] = {40, 108, 124};
constexpr std::uint32_t BitsPerPixel = 24;
constexpr std::uint32_t UncompressedRgb = 0;

std::uint32_t Le(std::span<const unsigned char> b, std::size_t at, int count)
{
    std::uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = v << 8 | b[at + std::size_t(i)];
    return v;
}

std::string Dimensions(std::int64_t width, std::int64_t height)
{
    return std::to_string(width) + " × " + std::to_string(height);
}

// What the headers say about the pixels.
struct TBmpLayout {
    std::int64_t width, height;  // height negative: rows top first
    std::uint64_t pixelOffset;
    std::int64_t Rows() const { return height < 0 ? -height : height; }
};

void CheckFormat(const std::string& path, std::span<const unsigned char> bytes, std::uint32_t infoSize)
{
    if (std::find(std::begin(InfoHeaderSizes), std::end(InfoHeaderSizes), infoSize) == std::end(InfoHeaderSizes))
        throw ELoadError(path, "unsupported bitmap header of " + std::to_string(infoSize) + " bytes");
    if (bytes.size() < FileHeaderBytes + infoSize) throw ELoadError(path, "the bitmap header is cut short");
    if (Le(bytes, 26, 2) != 1) throw ELoadError(path, "damaged bitmap header (colour planes)");
    const std::uint32_t bits = Le(bytes, 28, 2);
    if (bits != BitsPerPixel)
        throw ELoadError(path, std::to_string(bits) + " bits per pixel; the game reads 24-bit bitmaps only");
    if (Le(bytes, 30, 4) != UncompressedRgb)
        throw ELoadError(path, "a compressed bitmap; the game reads uncompressed 24-bit bitmaps only");
}

void CheckDimensions(const std::string& path, const TBmpLayout& layout)
{
    if (layout.width < 1 || layout.width > MaxBitmapSide || layout.Rows() < 1 || layout.Rows() > MaxBitmapSide)
        throw ELoadError(path, "bitmap dimensions " + Dimensions(layout.width, layout.height) + " out of range (1 to " +
                                   std::to_string(MaxBitmapSide) + " on a side)");
}

// The pixel rows, each padded to a multiple of four bytes, lie inside the file.
void CheckPixelData(const std::string& path, std::span<const unsigned char> bytes, std::uint32_t infoSize,
                    const TBmpLayout& layout)
{
    if (layout.pixelOffset < FileHeaderBytes + infoSize || layout.pixelOffset > bytes.size())
        throw ELoadError(path, "the pixel data's offset " + std::to_string(layout.pixelOffset) + " lies outside the file");
    const std::uint64_t rowBytes = (std::uint64_t(layout.width) * 3 + 3) / 4 * 4;
    const std::uint64_t needed = rowBytes * std::uint64_t(layout.Rows());
    if (needed > bytes.size() - layout.pixelOffset)
        throw ELoadError(path, "the pixel data is cut short: " + Dimensions(layout.width, layout.height) + " needs " +
                                   std::to_string(needed) + " bytes, the file holds " +
                                   std::to_string(bytes.size() - layout.pixelOffset));
}

// Our own checks before SDL sees the bytes; the layout they describe.
TBmpLayout CheckBmpHeader(const std::string& path, std::span<const unsigned char> bytes)
{
    if (bytes.size() > Platform::MaxPictureFileBytes) throw ELoadError(path, "the file is too large");
    if (bytes.size() < FileHeaderBytes + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        throw ELoadError(path, "not a Windows bitmap file");
    const std::uint32_t infoSize = Le(bytes, 14, 4);
    CheckFormat(path, bytes, infoSize);
    const TBmpLayout layout{std::int32_t(Le(bytes, 18, 4)), std::int32_t(Le(bytes, 22, 4)), Le(bytes, 10, 4)};
    CheckDimensions(path, layout);
    CheckPixelData(path, bytes, infoSize, layout);
    return layout;
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// SDL's decoding of checked bytes, as blue-green-red rows; null when it fails.
SurfacePtr DecodeBgr(std::span<const unsigned char> bytes)
{
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!rw) return nullptr;
    const SurfacePtr loaded(SDL_LoadBMP_RW(rw, 1));
    if (!loaded) return nullptr;
    return SurfacePtr(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_BGR24, 0));
}

}  // namespace

void TBitmap::LoadFromFile(const std::string& path)
{
    LoadFromBytes(path, Platform::ReadFileBytes(path, Platform::MaxPictureFileBytes));
}

void TBitmap::LoadFromBytes(const std::string& path, std::span<const unsigned char> bytes)
{
    const TBmpLayout layout = CheckBmpHeader(path, bytes);
    const SurfacePtr bgr = DecodeBgr(bytes);
    // SDL's own words would not tell the player which file failed.
    if (!bgr || bgr->w != layout.width || bgr->h != layout.Rows())
        throw ELoadError(path, "the bitmap cannot be decoded");
    SetSize(bgr->w, bgr->h);
    const auto* base = static_cast<const std::uint8_t*>(bgr->pixels);
    for (std::int32_t y = 0; y < height_; ++y) {
        const auto* src = reinterpret_cast<const TPixel*>(base + std::size_t(y) * std::size_t(bgr->pitch));
        std::copy(src, src + width_, Row(y).begin());
    }
}
