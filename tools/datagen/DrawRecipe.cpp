#include "DrawRecipe.h"

#include "PixelNoise.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <stdexcept>

namespace DataGen {
namespace {

constexpr double Tau = 2.0 * std::numbers::pi;

struct Point {
    double x = 0;
    double y = 0;
};

// The light comes from the upper left, as everywhere in the game's art.
constexpr Point LightFromUpperLeft{-0.6, -0.8};

std::uint8_t ClampChannel(double value)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

Rgb Mix(const Rgb& a, const Rgb& b, double amount)
{
    const auto channel = [amount](int from, int to) { return ClampChannel(from + (to - from) * amount); };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

// Brighter towards white above 1, darker towards black below.
Rgb Shade(const Rgb& colour, double factor)
{
    if (factor >= 1.0) return Mix(colour, Rgb{255, 255, 255}, std::min(1.0, (factor - 1.0) * 0.8));
    return Mix(Rgb{0, 0, 0}, colour, std::max(0.0, factor));
}

Point Rotate(Point p, double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    return {p.x * c - p.y * s, p.x * s + p.y * c};
}

// Where a shape of the group must be sampled so that, moved, it covers screen point p.
struct Placement {
    Point point;
    Point light;  // the light's direction in the shape's own coordinates
};

Placement PlaceInGroup(const SpriteRecipe& recipe, int groupIndex, Point p, double phase)
{
    if (groupIndex < 0) return {p, LightFromUpperLeft};
    const Group& group = recipe.groups.at(static_cast<std::size_t>(groupIndex));
    const Point centre{recipe.width / 2.0, recipe.height / 2.0};
    const Point rel{p.x - centre.x, p.y - centre.y};
    const double wave = std::sin(Tau * phase);
    switch (group.motion) {
    case Motion::Spin: {
        const double angle = Tau * group.a * phase;
        const Point back = Rotate(rel, -angle);
        return {{centre.x + back.x, centre.y + back.y}, Rotate(LightFromUpperLeft, -angle)};
    }
    case Motion::Pulse: {
        const double scale = 1.0 + group.a * wave;
        return {{centre.x + rel.x / scale, centre.y + rel.y / scale}, LightFromUpperLeft};
    }
    case Motion::Bob:
        return {{p.x - group.a * wave, p.y - group.b * wave}, LightFromUpperLeft};
    }
    return {p, LightFromUpperLeft};
}

struct Box {
    Point centre;
    Point half;
};

Box BoundsOfPoints(const std::vector<double>& xy)
{
    double x0 = xy.at(0), x1 = xy.at(0), y0 = xy.at(1), y1 = xy.at(1);
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
        x0 = std::min(x0, xy[i]); x1 = std::max(x1, xy[i]);
        y0 = std::min(y0, xy[i + 1]); y1 = std::max(y1, xy[i + 1]);
    }
    return {{(x0 + x1) / 2, (y0 + y1) / 2}, {std::max(0.5, (x1 - x0) / 2), std::max(0.5, (y1 - y0) / 2)}};
}

Box ShapeBounds(const Shape& s)
{
    const std::vector<double>& n = s.numbers;
    switch (s.kind) {
    case ShapeKind::Ellipse: return {{n[0], n[1]}, {n[2], n[3]}};
    case ShapeKind::Ring:
    case ShapeKind::Rock: return {{n[0], n[1]}, {n[2], n[2]}};
    case ShapeKind::Rect:
    case ShapeKind::Gradient: return BoundsOfPoints({n[0], n[1], n[2], n[3]});
    case ShapeKind::Speckle: return BoundsOfPoints({n[2], n[3], n[4], n[5]});
    case ShapeKind::Line: return BoundsOfPoints({n[0], n[1], n[2], n[3]});
    case ShapeKind::Polygon: return BoundsOfPoints(n);
    case ShapeKind::Grid: {
        const double w = static_cast<double>(s.rows.front().size()) * n[2];
        const double h = static_cast<double>(s.rows.size()) * n[2];
        return {{n[0] + w / 2, n[1] + h / 2}, {w / 2, h / 2}};
    }
    }
    return {};
}

bool InsidePolygon(const std::vector<double>& xy, Point p)
{
    bool inside = false;
    const std::size_t count = xy.size() / 2;
    for (std::size_t i = 0, j = count - 1; i < count; j = i++) {
        const double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
        if ((yi > p.y) != (yj > p.y) && p.x < (xj - xi) * (p.y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

double DistanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    const double t = lengthSquared > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// The rim of a rock wanders in and out by a few seeded waves around the circle.
double RockRadius(const Shape& s, double angle)
{
    NoiseStream noise(static_cast<std::uint32_t>(s.numbers[3]));
    double wobble = 0, total = 0;
    for (int k = 2; k <= 6; ++k) {
        const double amplitude = noise.Between(0.3, 1.0) / k;
        wobble += amplitude * std::sin(k * angle + noise.Between(0, Tau));
        total += amplitude;
    }
    return s.numbers[2] * (1.0 + s.numbers[4] * wobble / total);
}

// The palette character a shape paints at point p of its own coordinates, if any.
std::optional<char> ShapeCharAt(const Shape& s, Point p)
{
    const std::vector<double>& n = s.numbers;
    bool inside = false;
    switch (s.kind) {
    case ShapeKind::Ellipse: {
        const double dx = (p.x - n[0]) / n[2], dy = (p.y - n[1]) / n[3];
        inside = dx * dx + dy * dy <= 1.0;
        break;
    }
    case ShapeKind::Ring: {
        const double d = std::hypot(p.x - n[0], p.y - n[1]);
        inside = d <= n[2] && d >= n[2] - n[3];
        break;
    }
    case ShapeKind::Rect:
    case ShapeKind::Gradient:
        inside = p.x >= std::min(n[0], n[2]) && p.x < std::max(n[0], n[2]) &&
                 p.y >= std::min(n[1], n[3]) && p.y < std::max(n[1], n[3]);
        break;
    case ShapeKind::Speckle:
        inside = p.x >= n[2] && p.x < n[4] && p.y >= n[3] && p.y < n[5] &&
                 NoiseUnit(static_cast<std::uint32_t>(n[1]), static_cast<int>(std::floor(p.x)),
                           static_cast<int>(std::floor(p.y))) * 100.0 < n[0];
        break;
    case ShapeKind::Line: inside = DistanceToSegment(p, {n[0], n[1]}, {n[2], n[3]}) <= n[4] / 2; break;
    case ShapeKind::Polygon: inside = InsidePolygon(n, p); break;
    case ShapeKind::Rock:
        inside = std::hypot(p.x - n[0], p.y - n[1]) <= RockRadius(s, std::atan2(p.y - n[1], p.x - n[0]));
        break;
    case ShapeKind::Grid: {
        const double col = std::floor((p.x - n[0]) / n[2]), row = std::floor((p.y - n[1]) / n[2]);
        if (col < 0 || row < 0 || row >= static_cast<double>(s.rows.size()) ||
            col >= static_cast<double>(s.rows.front().size()))
            return std::nullopt;
        const char c = s.rows[static_cast<std::size_t>(row)].at(static_cast<std::size_t>(col));
        if (c == '.') return std::nullopt;
        return c;
    }
    }
    if (!inside) return std::nullopt;
    return s.colour;
}

double LightFactor(const Shape& s, Point p, Point light)
{
    const Box box = ShapeBounds(s);
    const Point n{(p.x - box.centre.x) / box.half.x, (p.y - box.centre.y) / box.half.y};
    const double facing = n.x * light.x + n.y * light.y;
    const bool round = s.kind == ShapeKind::Ellipse || s.kind == ShapeKind::Rock || s.kind == ShapeKind::Ring;
    if (!round) return 1.0 + 0.22 * facing;
    const double rim = std::max(0.0, n.x * n.x + n.y * n.y - 0.45);
    return 1.0 + 0.35 * facing - 0.45 * rim;
}

std::optional<Rgb> PaintAt(const SpriteRecipe& recipe, const Shape& s, Point screen, double phase)
{
    const Placement placed = PlaceInGroup(recipe, s.group, screen, phase);
    Point p = placed.point;
    Point light = placed.light;
    std::optional<char> c = ShapeCharAt(s, p);
    if (!c && s.mirror) {
        p = {recipe.width - p.x, p.y};
        light = {-light.x, light.y};
        c = ShapeCharAt(s, p);
    }
    if (!c) return std::nullopt;
    Rgb colour = PaletteColour(recipe, *c, phase);
    if (s.kind == ShapeKind::Gradient) {
        const double y0 = std::min(s.numbers[1], s.numbers[3]), y1 = std::max(s.numbers[1], s.numbers[3]);
        colour = Mix(colour, PaletteColour(recipe, s.colour2, phase), (p.y - y0) / std::max(1.0, y1 - y0));
    }
    if (s.lit) colour = Shade(colour, LightFactor(s, p, light));
    return colour;
}

bool IsOpaque(const std::vector<std::uint8_t>& opaque, const PixelImage& image, int x, int y)
{
    return image.Contains(x, y) &&
           opaque.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Width()) +
                     static_cast<std::size_t>(x)) != 0;
}

void AddOutline(PixelImage& image, std::vector<std::uint8_t>& opaque, Rgb rim)
{
    const std::vector<std::uint8_t> figure = opaque;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            if (IsOpaque(figure, image, x, y)) continue;
            if (IsOpaque(figure, image, x - 1, y) || IsOpaque(figure, image, x + 1, y) ||
                IsOpaque(figure, image, x, y - 1) || IsOpaque(figure, image, x, y + 1)) {
                image.At(x, y) = rim;
                opaque.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Width()) +
                          static_cast<std::size_t>(x)) = 1;
            }
        }
}

// A shaded figure pixel may by chance land on the key colour; nudge it off so
// that it stays solid.
Rgb AvoidKey(Rgb colour, const Rgb& key)
{
    if (colour == key) colour.b = static_cast<std::uint8_t>(key.b > 0 ? key.b - 1 : 1);
    return colour;
}

}  // namespace

Rgb PaletteColour(const SpriteRecipe& recipe, char c, double phase)
{
    const auto entry = recipe.palette.find(c);
    if (entry == recipe.palette.end())
        throw std::runtime_error(recipe.file.string() + ": colour '" + std::string(1, c) + "' is not in the palette");
    const std::vector<Rgb>& keys = entry->second;
    const double position = phase * static_cast<double>(keys.size());
    const std::size_t index = static_cast<std::size_t>(std::floor(position)) % keys.size();
    return Mix(keys.at(index), keys.at((index + 1) % keys.size()), position - std::floor(position));
}

PixelImage DrawFrame(const SpriteRecipe& recipe, int frame)
{
    if (recipe.explosion) return DrawExplosionFrame(recipe, frame);
    const double phase = static_cast<double>(frame) / recipe.frames;
    PixelImage image(recipe.width, recipe.height, recipe.key);
    std::vector<std::uint8_t> opaque(static_cast<std::size_t>(recipe.width) * static_cast<std::size_t>(recipe.height), 0);
    for (const Shape& shape : recipe.shapes)
        for (int y = 0; y < recipe.height; ++y)
            for (int x = 0; x < recipe.width; ++x)
                if (const auto colour = PaintAt(recipe, shape, {x + 0.5, y + 0.5}, phase)) {
                    image.At(x, y) = *colour;
                    opaque.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(recipe.width) +
                              static_cast<std::size_t>(x)) = 1;
                }
    if (recipe.outline) AddOutline(image, opaque, PaletteColour(recipe, *recipe.outline, phase));
    for (int y = 0; y < recipe.height; ++y)
        for (int x = 0; x < recipe.width; ++x)
            if (IsOpaque(opaque, image, x, y)) image.At(x, y) = AvoidKey(image.At(x, y), recipe.key);
    return image;
}

PixelImage DrawSheet(const SpriteRecipe& recipe)
{
    PixelImage sheet(recipe.width * recipe.frames, recipe.height, recipe.key);
    for (int f = 0; f < recipe.frames; ++f) sheet.Paste(DrawFrame(recipe, f), f * recipe.width, 0);
    return sheet;
}

}  // namespace DataGen
