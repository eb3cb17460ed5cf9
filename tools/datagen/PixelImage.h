// A plain 24-bit picture in memory: what every generated sheet is drawn into
// before it is written out.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace DataGen {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

class PixelImage {
public:
    PixelImage() = default;
    PixelImage(int width, int height, Rgb fill = {})
        : width_(width), height_(height)
    {
        if (width < 0 || height < 0) throw std::invalid_argument("negative picture size");
        pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    Rgb& At(int x, int y) { return pixels_.at(Index(x, y)); }
    const Rgb& At(int x, int y) const { return pixels_.at(Index(x, y)); }

    // Copies all of `source` with its top-left corner at (x, y); parts outside are cut off.
    void Paste(const PixelImage& source, int x, int y)
    {
        for (int sy = 0; sy < source.Height(); ++sy)
            for (int sx = 0; sx < source.Width(); ++sx)
                if (Contains(x + sx, y + sy)) At(x + sx, y + sy) = source.At(sx, sy);
    }

private:
    std::size_t Index(int x, int y) const
    {
        if (!Contains(x, y)) throw std::out_of_range("pixel outside the picture");
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};

}  // namespace DataGen
