#include "PicturePainter.h"

#include "DrawRecipe.h"
#include "PixelFont.h"
#include "PixelNoise.h"
#include "SpriteRecipe.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <stdexcept>

namespace DataGen {
namespace {

constexpr double Pi = std::numbers::pi;

struct Colour {
    double r = 0, g = 0, b = 0;  // 0 ... 255, may run over while light is added
};

Colour ToColour(const Rgb& c) { return {double(c.r), double(c.g), double(c.b)}; }
Colour Mix(const Colour& a, const Colour& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour Scale(const Colour& c, double k) { return {c.r * k, c.g * k, c.b * k}; }

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double SmoothStep(double edge0, double edge1, double v)
{
    const double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

struct Vec {
    double x = 0, y = 0;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator*(Vec a, double k) { return {a.x * k, a.y * k}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double Length(Vec a) { return std::hypot(a.x, a.y); }
Vec ToVec(const PicturePoint& p) { return {p.x, p.y}; }

// Smoothly interpolated lattice noise, 0 ... 1.
double ValueNoise(std::uint32_t seed, double x, double y)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const double tx = SmoothStep(0, 1, x - fx), ty = SmoothStep(0, 1, y - fy);
    const double a = NoiseUnit(seed, ix, iy), b = NoiseUnit(seed, ix + 1, iy);
    const double c = NoiseUnit(seed, ix, iy + 1), d = NoiseUnit(seed, ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double Fractal(std::uint32_t seed, double x, double y, int octaves = 5)
{
    double sum = 0, amplitude = 0.5, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * ValueNoise(seed + static_cast<std::uint32_t>(o) * 101u, x, y);
        total += amplitude;
        x *= 2.03;
        y *= 2.03;
        amplitude *= 0.5;
    }
    return sum / total;
}

// Noise over a sphere's surface: two planes of lattice noise blended by depth.
double Noise3(std::uint32_t seed, double x, double y, double z)
{
    const double fz = std::floor(z);
    const auto layer = static_cast<std::uint32_t>(static_cast<int>(fz));
    const double t = SmoothStep(0, 1, z - fz);
    const double a = ValueNoise(seed ^ (layer * 0x27D4EB2Du), x, y);
    const double b = ValueNoise(seed ^ ((layer + 1u) * 0x27D4EB2Du), x + 0.37, y + 0.71);
    return a + (b - a) * t;
}

double Fractal3(std::uint32_t seed, double x, double y, double z, int octaves = 5)
{
    double sum = 0, amplitude = 0.5, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * Noise3(seed + static_cast<std::uint32_t>(o) * 131u, x, y, z);
        total += amplitude;
        x *= 2.1;
        y *= 2.1;
        z *= 2.1;
        amplitude *= 0.5;
    }
    return sum / total;
}

struct Box {
    double x0, y0, x1, y1;
    Vec Centre() const { return {(x0 + x1) / 2, (y0 + y1) / 2}; }
    Vec Half() const { return {std::max(0.5, (x1 - x0) / 2), std::max(0.5, (y1 - y0) / 2)}; }
};

Box BoundsOf(const std::vector<Vec>& points, double margin)
{
    Box b{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const Vec& p : points) {
        b.x0 = std::min(b.x0, p.x); b.y0 = std::min(b.y0, p.y);
        b.x1 = std::max(b.x1, p.x); b.y1 = std::max(b.y1, p.y);
    }
    return {b.x0 - margin, b.y0 - margin, b.x1 + margin, b.y1 + margin};
}

double SegmentDistance(Vec p, Vec a, Vec b)
{
    const Vec ab = b - a;
    const double lengthSquared = Dot(ab, ab);
    const double t = lengthSquared > 0 ? Clamp01(Dot(p - a, ab) / lengthSquared) : 0.0;
    return Length(p - (a + ab * t));
}

// Signed distance to a polygon: negative inside.
double PolygonDistance(Vec p, const std::vector<Vec>& v)
{
    double d = SegmentDistance(p, v.back(), v.front());
    bool inside = false;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
        d = std::min(d, SegmentDistance(p, v[j], v[i]));
        if ((v[i].y > p.y) != (v[j].y > p.y) && p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x)
            inside = !inside;
    }
    return inside ? -d : d;
}

// A shape as the painter sees it: a signed distance, negative inside, and the
// box outside which it paints nothing.
struct Outline {
    Box box;  // the shape itself; it paints up to its edge's blur beyond
    double (*distance)(const Outline&, Vec);
    std::vector<Vec> points;
    std::vector<double> numbers;
};

double CircleDistance(const Outline& o, Vec p) { return Length(p - o.points[0]) - o.numbers[0]; }

double EllipseDistance(const Outline& o, Vec p)
{
    const double angle = o.numbers[2] * Pi / 180, c = std::cos(angle), s = std::sin(angle);
    const Vec q = p - o.points[0];
    const Vec local{q.x * c + q.y * s, -q.x * s + q.y * c};
    const double rx = o.numbers[0], ry = o.numbers[1];
    const double k = Length({local.x / rx, local.y / ry});
    return (k - 1) * std::min(rx, ry);
}

double RectDistance(const Outline& o, Vec p)
{
    const Vec a = o.points[0], b = o.points[1];
    const double round = o.numbers[0];
    const Vec centre{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const Vec half{std::abs(b.x - a.x) / 2 - round, std::abs(b.y - a.y) / 2 - round};
    const Vec q{std::abs(p.x - centre.x) - half.x, std::abs(p.y - centre.y) - half.y};
    return Length({std::max(q.x, 0.0), std::max(q.y, 0.0)}) + std::min(std::max(q.x, q.y), 0.0) - round;
}

double PolyDistance(const Outline& o, Vec p) { return PolygonDistance(p, o.points); }

double LineDistance(const Outline& o, Vec p) { return SegmentDistance(p, o.points[0], o.points[1]) - o.numbers[0] / 2; }

double RingDistance(const Outline& o, Vec p) { return std::abs(Length(p - o.points[0]) - o.numbers[0]) - o.numbers[1] / 2; }

double AngleIn(double degrees) { return std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0); }

Vec OnCircle(Vec centre, double radius, double degrees)
{
    const double a = degrees * Pi / 180;
    return {centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
}

double ArcDistance(const Outline& o, Vec p)
{
    const Vec c = o.points[0];
    const double r = o.numbers[0], w = o.numbers[1], from = o.numbers[2], to = o.numbers[3];
    const double angle = AngleIn(std::atan2(p.y - c.y, p.x - c.x) * 180 / Pi - from);
    if (angle <= AngleIn(to - from)) return std::abs(Length(p - c) - r) - w / 2;
    return std::min(Length(p - OnCircle(c, r, from)), Length(p - OnCircle(c, r, to))) - w / 2;
}

// An arrowhead: a triangle whose tip is at `tip`, pointing along `direction`.
std::vector<Vec> HeadAt(Vec tip, Vec direction, double width)
{
    const Vec d = direction * (1 / std::max(1e-9, Length(direction)));
    const Vec side{-d.y, d.x};
    const double length = 3.2 * width + 2, spread = 1.8 * width + 1.5;
    const Vec base = tip - d * length;
    return {tip, base + side * spread, base - side * spread};
}

class Painter {
public:
    Painter(const PictureRecipe& recipe, const std::filesystem::path& spriteSources)
        : recipe_(recipe), sprites_(spriteSources), width_(recipe.width), height_(recipe.height),
          canvas_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_))
    {
    }

    PixelImage Paint()
    {
        for (const PictureOp& op : recipe_.ops) {
            op_ = &op;
            PaintOp(op);
        }
        return Finish();
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::runtime_error(recipe_.file.string() + ":" + std::to_string(op_->line) + ": " + what);
    }

    Colour& At(int x, int y)
    {
        return canvas_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
    }

    bool Clipped(int x, int y) const
    {
        if (!op_->clip) return false;
        const double px = x + 0.5, py = y + 0.5;
        return px < op_->clip->x0 || px >= op_->clip->x1 || py < op_->clip->y0 || py >= op_->clip->y1;
    }

    void Blend(int x, int y, const Colour& c, double amount)
    {
        if (amount <= 0 || Clipped(x, y)) return;
        Colour& p = At(x, y);
        if (op_->add) p = {p.r + c.r * amount, p.g + c.g * amount, p.b + c.b * amount};
        else p = Mix(p, c, std::min(1.0, amount));
    }

    // Walks the pixels of a box that lie inside the picture.
    template <class Visit>
    void ForEachPixel(const Box& box, Visit visit)
    {
        const int x0 = std::max(0, static_cast<int>(std::floor(box.x0))), x1 = std::min(width_ - 1, static_cast<int>(std::ceil(box.x1)));
        const int y0 = std::max(0, static_cast<int>(std::floor(box.y0))), y1 = std::min(height_ - 1, static_cast<int>(std::ceil(box.y1)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) visit(x, y, Vec{x + 0.5, y + 0.5});
    }

    void PaintOp(const PictureOp& op)
    {
        switch (op.kind) {
        case PictureOpKind::Fill: PaintFill(); break;
        case PictureOpKind::Gradient: PaintGradient(); break;
        case PictureOpKind::Stars: PaintStars(); break;
        case PictureOpKind::Nebula: PaintNebula(); break;
        case PictureOpKind::Clouds: PaintClouds(); break;
        case PictureOpKind::Glow: PaintGlow(); break;
        case PictureOpKind::Planet: PaintPlanet(); break;
        case PictureOpKind::Vignette: PaintVignette(); break;
        case PictureOpKind::Sprite: PaintSprite(); break;
        case PictureOpKind::Text: PaintText(); break;
        case PictureOpKind::Arrow: PaintArrow(); break;
        default: PaintShape(ShapeOutline(op)); break;
        }
    }

    std::vector<Vec> Points() const
    {
        std::vector<Vec> points;
        for (const PicturePoint& p : op_->points) points.push_back(ToVec(p));
        return points;
    }

    Outline ShapeOutline(const PictureOp& op) const
    {
        const std::vector<Vec> pts = Points();
        const std::vector<double>& n = op.lengths;
        switch (op.kind) {
        case PictureOpKind::Circle:
            return {BoundsOf(pts, n[0]), CircleDistance, pts, {n[0]}};
        case PictureOpKind::Ellipse:
            return {BoundsOf(pts, std::max(n[0], n[1])), EllipseDistance, pts,
                    {n[0], n[1], op.values.empty() ? 0.0 : op.values[0]}};
        case PictureOpKind::Rect:
            return {BoundsOf(pts, 0), RectDistance, pts, {n.empty() ? 0.0 : n[0]}};
        case PictureOpKind::Line:
            return {BoundsOf(pts, n[0] / 2), LineDistance, pts, {n[0]}};
        case PictureOpKind::Ring:
            return {BoundsOf(pts, n[0] + n[1] / 2), RingDistance, pts, {n[0], n[1]}};
        case PictureOpKind::Arc:
            return {BoundsOf(pts, n[0] + n[1] / 2), ArcDistance, pts, {n[0], n[1], op.values[0], op.values[1]}};
        default:
            return {BoundsOf(pts, 0), PolyDistance, pts, {}};
        }
    }

    // The paint of the current directive at point p of a shape within `box`.
    Colour PaintAt(Vec p, const Box& box) const
    {
        const Vec centre = box.Centre(), half = box.Half();
        Colour c = ToColour(op_->colours.front());
        if (op_->colours.size() > 1) {
            const double a = op_->dir * Pi / 180;
            const Vec d{std::sin(a), std::cos(a)};
            const double extent = std::abs(half.x * d.x) + std::abs(half.y * d.y);
            c = Mix(c, ToColour(op_->colours[1]), Clamp01(Dot(p - centre, d) / (2 * extent) + 0.5));
        }
        if (op_->shade != 0) {
            const Vec n{(p.x - centre.x) / half.x, (p.y - centre.y) / half.y};
            const double lit = 1 - op_->shade * (0.6 * n.x + 0.8 * n.y) / 1.4;
            c = lit >= 1 ? Mix(c, {255, 255, 255}, std::min(1.0, (lit - 1) * 0.7)) : Scale(c, std::max(0.0, lit));
        }
        if (op_->grain != 0) {
            const double g = 0.65 * Fractal(op_->grainSeed, p.x / 5, p.y / 5, 3) + 0.35 * ValueNoise(op_->grainSeed + 7u, p.x / 1.3, p.y / 1.3);
            c = Scale(c, 1 + op_->grain * (2 * g - 1));
        }
        return c;
    }

    double Coverage(double distance) const
    {
        const double t = Clamp01(0.5 - distance / (1 + 2 * op_->soft));
        return op_->soft > 0 ? t * t * (3 - 2 * t) : t;
    }

    void PaintShape(const Outline& o)
    {
        PaintOutline(o);
        if (op_->kind == PictureOpKind::Arc && op_->head) PaintArcHead(o);
    }

    void PaintOutline(const Outline& o)
    {
        const double margin = op_->soft + 2;
        const Box reach{o.box.x0 - margin, o.box.y0 - margin, o.box.x1 + margin, o.box.y1 + margin};
        ForEachPixel(reach, [&](int x, int y, Vec p) {
            const double cover = Coverage(o.distance(o, p));
            if (cover > 0) Blend(x, y, PaintAt(p, o.box), cover * op_->alpha);
        });
    }

    void PaintArrow()
    {
        const std::vector<Vec> pts = Points();
        const double w = op_->lengths[0];
        const std::vector<Vec> head = HeadAt(pts[1], pts[1] - pts[0], w);
        const Vec shaftEnd = (head[1] + head[2]) * 0.5;
        PaintOutline({BoundsOf({pts[0], shaftEnd}, w / 2), LineDistance, {pts[0], shaftEnd}, {w}});
        PaintOutline({BoundsOf(head, 0), PolyDistance, head, {}});
    }

    // The head sits at the arc's TO end, pointing on round the circle.
    void PaintArcHead(const Outline& arc)
    {
        const Vec c = arc.points[0];
        const double r = arc.numbers[0], w = arc.numbers[1], to = arc.numbers[3];
        const double a = to * Pi / 180;
        const std::vector<Vec> head = HeadAt(OnCircle(c, r, to) + Vec{-std::sin(a), std::cos(a)} * (1.6 * w + 1), {-std::sin(a), std::cos(a)}, w);
        PaintOutline({BoundsOf(head, 0), PolyDistance, head, {}});
    }

    void PaintFill()
    {
        const Colour c = ToColour(op_->colours[0]);
        ForEachPixel({0, 0, double(width_), double(height_)}, [&](int x, int y, Vec) { Blend(x, y, c, op_->alpha); });
    }

    void PaintGradient()
    {
        const Vec a = ToVec(op_->points[0]), b = ToVec(op_->points[1]);
        const Vec ab = b - a;
        const double lengthSquared = std::max(1e-9, Dot(ab, ab));
        const Colour from = ToColour(op_->colours[0]), to = ToColour(op_->colours[1]);
        ForEachPixel({0, 0, double(width_), double(height_)}, [&](int x, int y, Vec p) {
            Blend(x, y, Mix(from, to, Clamp01(Dot(p - a, ab) / lengthSquared)), op_->alpha);
        });
    }

    // Light added around a point: a bright core and a long, faint tail that
    // dies out at three radii; `strength` is the light at the centre.
    void Splat(Vec centre, double radius, const Colour& c, double strength)
    {
        constexpr double Tail = 0.12, TailEnd = Tail / (1 + 6 * 9), Peak = 1 + Tail - TailEnd;
        ForEachPixel({centre.x - 3 * radius - 1, centre.y - 3 * radius - 1, centre.x + 3 * radius + 1, centre.y + 3 * radius + 1},
                     [&](int x, int y, Vec p) {
                         const double t = Length(p - centre) / radius;
                         const double light = (std::exp(-2.5 * t * t) + Tail / (1 + 6 * t * t) - TailEnd) / Peak;
                         if (light > 0) AddLight(x, y, c, strength * light * op_->alpha);
                     });
    }

    void AddLight(int x, int y, const Colour& c, double amount)
    {
        if (amount <= 0 || Clipped(x, y)) return;
        Colour& p = At(x, y);
        p = {p.r + c.r * amount, p.g + c.g * amount, p.b + c.b * amount};
    }

    void PaintGlow()
    {
        Splat(ToVec(op_->points[0]), op_->lengths[0], ToColour(op_->colours[0]), op_->values[0]);
    }

    void PaintStars()
    {
        NoiseStream noise(static_cast<std::uint32_t>(op_->values[0]));
        const int count = static_cast<int>(op_->values[1]);
        const Colour base = ToColour(op_->colours[0]);
        for (int i = 0; i < count; ++i) {
            const Vec at{noise.Between(0, width_), noise.Between(0, height_)};
            const double brightness = std::pow(noise.Next(), 3.0);
            const Colour tint = Mix(base, noise.Next() < 0.5 ? Colour{255, 214, 170} : Colour{170, 200, 255}, 0.35 * noise.Next());
            Splat(at, 0.45 + 0.5 * brightness, Scale(tint, 1.0 / 255), 255 * (0.25 + 0.9 * brightness));
            if (brightness > 0.8) Rays(at, tint, brightness);
        }
    }

    // The four thin rays of a bright star.
    void Rays(Vec at, const Colour& tint, double brightness)
    {
        const double reach = 2 + 5 * brightness;
        ForEachPixel({at.x - reach, at.y - reach, at.x + reach, at.y + reach}, [&](int x, int y, Vec p) {
            const Vec d = p - at;
            const double across = std::min(std::abs(d.x), std::abs(d.y)), along = std::max(std::abs(d.x), std::abs(d.y));
            const double light = std::exp(-across * across * 3) * std::max(0.0, 1 - along / reach);
            AddLight(x, y, Scale(tint, 1.0 / 255), 140 * brightness * light * op_->alpha);
        });
    }

    void PaintNebula()
    {
        const auto seed = static_cast<std::uint32_t>(op_->values[0]);
        const double scale = op_->lengths[0], strength = op_->values[1];
        const Colour c = ToColour(op_->colours[0]);
        ForEachPixel({0, 0, double(width_), double(height_)}, [&](int x, int y, Vec p) {
            const double f = Fractal(seed, p.x / scale, p.y / scale);
            AddLight(x, y, Scale(c, 1.0 / 255), 255 * strength * SmoothStep(0.4, 0.85, f) * op_->alpha);
        });
    }

    void PaintClouds()
    {
        const Vec a = ToVec(op_->points[0]), b = ToVec(op_->points[1]);
        const double scale = op_->lengths[0];
        const auto seed = static_cast<std::uint32_t>(op_->values[0]);
        const double cover = Clamp01(op_->values[1]);
        const Colour lit = ToColour(op_->colours[0]), dark = ToColour(op_->colours[1]);
        const double threshold = 0.62 - 0.3 * cover;
        const auto density = [&](Vec p) { return SmoothStep(threshold, threshold + 0.16, Fractal(seed, p.x / scale, p.y / scale, 6)); };
        ForEachPixel({a.x, a.y, b.x, b.y}, [&](int x, int y, Vec p) {
            if (p.x < a.x || p.x >= b.x || p.y < a.y || p.y >= b.y) return;
            const double here = density(p);
            // Clouds cast their shadow down and to the right, away from the light.
            const double shadow = density(p - Vec{5, 6});
            Colour& px = At(x, y);
            if (!Clipped(x, y)) px = Scale(px, 1 - 0.45 * shadow * (1 - here) * op_->alpha);
            if (here <= 0) return;
            const double rise = density(p + Vec{2.5, 3}) - here;  // lower towards the light: lit side
            const double light = Clamp01(0.62 + 1.6 * rise + 0.25 * (Fractal(seed + 9u, p.x / 6, p.y / 6, 3) - 0.5));
            Blend(x, y, Mix(dark, lit, light), here * op_->alpha);
        });
    }

    void PaintPlanet()
    {
        const Vec centre = ToVec(op_->points[0]);
        const double radius = op_->lengths[0];
        const auto seed = static_cast<std::uint32_t>(op_->values[0]);
        const Colour sea = ToColour(op_->colours[0]), land = ToColour(op_->colours[1]);
        const Colour cloud = ToColour(op_->colours[2]), air = ToColour(op_->colours[3]);
        std::array<double, 3> l = op_->light;
        const double norm = std::sqrt(l[0] * l[0] + l[1] * l[1] + l[2] * l[2]);
        for (double& v : l) v /= norm;
        const double halo = radius * 0.09 + 3;
        ForEachPixel({centre.x - radius - halo, centre.y - radius - halo, centre.x + radius + halo, centre.y + radius + halo},
                     [&](int x, int y, Vec p) {
                         const Vec q = (p - centre) * (1 / radius);
                         const double r = Length(q);
                         const double facing = (q.x * l[0] + q.y * l[1]) / std::max(1e-9, r);
                         // The air's halo, brightest on the lit side; it starts under
                         // the rim's half-covered pixels so they blend into it, not into space.
                         if (r > 1 - 1 / radius) {
                             const double t = std::max(0.0, (r - 1) * radius / halo);
                             const double glow = std::exp(-4 * t) * (1 - t) * SmoothStep(-0.6, 0.8, facing);
                             AddLight(x, y, Scale(air, 1.0 / 255), 255 * 0.85 * std::max(0.0, glow) * op_->alpha);
                         }
                         const double cover = Clamp01(0.5 - (r - 1) * radius);
                         if (cover <= 0) return;
                         Blend(x, y, Surface(q, std::sqrt(std::max(0.0, 1 - std::min(1.0, r * r))), l, seed, sea, land, cloud, air), cover * op_->alpha);
                     });
    }

    static Colour Surface(Vec q, double z, const std::array<double, 3>& l, std::uint32_t seed, const Colour& sea,
                          const Colour& land, const Colour& cloud, const Colour& air)
    {
        const double nx = q.x, ny = q.y, nz = z;
        // Continents, then banded cloud stretched along the latitudes.
        const double ground = Fractal3(seed, nx * 2.2 + 5, ny * 2.2 + 5, nz * 2.2 + 5);
        const double landMask = SmoothStep(0.585, 0.62, ground);
        Colour c = Mix(Scale(sea, 0.82 + 0.36 * ground), Scale(land, 0.8 + 0.5 * (ground - 0.5)), landMask);
        const double bands = Fractal3(seed + 17u, nx * 2.5 + 3, ny * 9 + 3, nz * 2.5 + 3);
        const double wisps = Fractal3(seed + 23u, nx * 6 + 1, ny * 14 + 1, nz * 6 + 1, 4);
        const double clouds = SmoothStep(0.5, 0.72, 0.65 * bands + 0.35 * wisps);
        c = Mix(c, cloud, 0.9 * clouds);
        const double lambert = nx * l[0] + ny * l[1] + nz * l[2];
        const double day = SmoothStep(-0.15, 0.55, lambert);
        // Sunlight glints off the open sea.
        const double glint = std::pow(std::max(0.0, 2 * lambert * nz - l[2]), 28) * (1 - landMask) * (1 - clouds);
        c = Scale(c, 0.05 + 0.95 * day);
        c = Mix(c, air, std::pow(1 - nz, 2.5) * (0.25 + 0.6 * day));
        return {c.r + 230 * glint, c.g + 235 * glint, c.b + 240 * glint};
    }

    void PaintVignette()
    {
        const double strength = op_->values[0];
        const Vec centre{width_ / 2.0, height_ / 2.0};
        const double reach = Length(centre);
        ForEachPixel({0, 0, double(width_), double(height_)}, [&](int x, int y, Vec p) {
            const double t = Length(p - centre) / reach;
            At(x, y) = Scale(At(x, y), 1 - strength * t * t);
        });
    }

    const PixelImage& SpriteFrame(const std::string& name, int frame)
    {
        const auto key = std::make_pair(name, frame);
        if (const auto found = frames_.find(key); found != frames_.end()) return found->second;
        const std::filesystem::path file = sprites_ / (name + ".txt");
        if (!std::filesystem::exists(file)) Fail("no sprite \"" + name + "\" in " + sprites_.string());
        const SpriteRecipe sprite = ReadRecipe(file);
        if (frame < 0 || frame >= sprite.frames) Fail("sprite \"" + name + "\" has " + std::to_string(sprite.frames) + " frames");
        keys_[key] = sprite.key;
        return frames_[key] = DrawFrame(sprite, frame);
    }

    // Nearest-pixel stamping keeps the sprite's pixel art crisp at any scale.
    void PaintSprite()
    {
        const PixelImage& frame = SpriteFrame(op_->word, static_cast<int>(op_->values[0]));
        const Rgb key = keys_.at({op_->word, static_cast<int>(op_->values[0])});
        const Vec centre = ToVec(op_->points[0]);
        const double scale = op_->lengths[0];
        const double angle = (op_->values.size() > 1 ? op_->values[1] : 0.0) * Pi / 180;
        const double c = std::cos(angle), s = std::sin(angle);
        const double reach = scale * Length({double(frame.Width()), double(frame.Height())}) / 2 + 1;
        const Box box{centre.x - reach, centre.y - reach, centre.x + reach, centre.y + reach};
        ForEachPixel(box, [&](int x, int y, Vec p) {
            const Vec d = p - centre;
            const double u = (d.x * c + d.y * s) / scale + frame.Width() / 2.0;
            const double v = (-d.x * s + d.y * c) / scale + frame.Height() / 2.0;
            const int fx = static_cast<int>(std::floor(u)), fy = static_cast<int>(std::floor(v));
            if (!frame.Contains(fx, fy) || frame.At(fx, fy) == key) return;
            const Colour colour = ToColour(frame.At(fx, fy));
            const Colour shaded = op_->shade != 0 ? Scale(colour, 1 - op_->shade * 0.5) : colour;
            Blend(x, y, shaded, op_->alpha);
        });
    }

    void PaintText()
    {
        const int dot = std::max(1, static_cast<int>(std::lround(op_->lengths[0])));
        const std::string& text = op_->word;
        const int width = (static_cast<int>(text.size()) * GlyphAdvance - 1) * dot;
        const double left = std::round(op_->points[0].x - width / 2.0), top = std::round(op_->points[0].y - GlyphHeight * dot / 2.0);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto glyph = Glyph(text[i]);
            if (!glyph) Fail(std::string("the lettering has no '") + text[i] + "'");
            for (int row = 0; row < GlyphHeight; ++row)
                for (int col = 0; col < GlyphWidth; ++col) {
                    if ((*glyph)[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] != '#') continue;
                    const double x0 = left + (static_cast<double>(i) * GlyphAdvance + col) * dot, y0 = top + row * dot;
                    ForEachPixel({x0, y0, x0 + dot - 1, y0 + dot - 1}, [&](int x, int y, Vec p) {
                        Blend(x, y, PaintAt(p, {left, top, left + width, top + GlyphHeight * dot}), op_->alpha);
                    });
                }
        }
    }

    // Light that ran over white is kept; a faint seeded dither hides the
    // banding of smooth gradients.
    PixelImage Finish()
    {
        PixelImage image(width_, height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const Colour& c = At(x, y);
                const double dither = NoiseUnit(0xD17u, x, y) - 0.5;
                const auto channel = [&](double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v + dither), 0L, 255L)); };
                image.At(x, y) = {channel(c.r), channel(c.g), channel(c.b)};
            }
        return image;
    }

    const PictureRecipe& recipe_;
    std::filesystem::path sprites_;
    int width_;
    int height_;
    std::vector<Colour> canvas_;
    const PictureOp* op_ = nullptr;
    std::map<std::pair<std::string, int>, PixelImage> frames_;
    std::map<std::pair<std::string, int>, Rgb> keys_;
};

}  // namespace

PixelImage PaintPicture(const PictureRecipe& recipe, const std::filesystem::path& spriteSources)
{
    return Painter(recipe, spriteSources).Paint();
}

}  // namespace DataGen
