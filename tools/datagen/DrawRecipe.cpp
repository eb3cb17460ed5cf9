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

// Turning back by an angle about a centre, its cosine and sine worked out once
// for a whole frame rather than for every pixel.
struct TurnBack {
    Point centre;
    double c = 1;
    double s = 0;

    TurnBack(Point about, double angle) : centre(about), c(std::cos(-angle)), s(std::sin(-angle)) {}
    Point Direction(Point d) const { return {d.x * c - d.y * s, d.x * s + d.y * c}; }
    // The other way: from turned back to where the turn puts it.
    Point Forward(Point p) const
    {
        const Point r{p.x - centre.x, p.y - centre.y};
        return {centre.x + r.x * c + r.y * s, centre.y - r.x * s + r.y * c};
    }
    Point Apply(Point p) const
    {
        const Point back = Direction({p.x - centre.x, p.y - centre.y});
        return {centre.x + back.x, centre.y + back.y};
    }
};

// When a frame is drawn: its number, and how far through the loop it lies (0 ... 1).
struct Moment {
    int frame = 0;
    double phase = 0;
};

// Where a group has moved its shapes in one frame, worked out once per frame.
struct GroupPose {
    std::optional<Motion> motion;  // none for shapes outside every group
    TurnBack turn{{}, 0};          // spin and swing
    Point centre;                  // pulse
    double scale = 1;
    Point shift;                   // bob and slide
    double time = 0;               // the loop's phase as the group's own motion sees it
    bool shown = true;             // false while a "frames" group is hidden
};

GroupPose PoseGroup(const SpriteRecipe& recipe, int groupIndex, Moment moment)
{
    GroupPose pose;
    pose.time = moment.phase;
    if (groupIndex < 0) return pose;
    const Group& group = recipe.groups.at(static_cast<std::size_t>(groupIndex));
    const Pivot pivot = group.pivot.value_or(Pivot{recipe.width / 2.0, recipe.height / 2.0});
    pose.motion = group.motion;
    pose.centre = {pivot.x, pivot.y};
    if (group.motion == Motion::Frames) {
        pose.shown = ((group.shown >> moment.frame) & 1u) != 0;
        return pose;
    }
    pose.time = moment.phase - group.delay - std::floor(moment.phase - group.delay);
    const double wave = std::sin(Tau * pose.time);
    switch (group.motion) {
    case Motion::Spin: pose.turn = TurnBack(pose.centre, Tau * group.a * pose.time); break;
    case Motion::Swing: pose.turn = TurnBack(pose.centre, group.a * std::numbers::pi / 180.0 * wave); break;
    case Motion::Pulse: pose.scale = 1.0 + group.a * wave; break;
    case Motion::Bob: pose.shift = {group.a * wave, group.b * wave}; break;
    case Motion::Slide: pose.shift = {group.a * pose.time, group.b * pose.time}; break;
    case Motion::Frames: break;
    }
    return pose;
}

// Where a shape of the group must be sampled so that, moved, it covers screen point p.
struct Placement {
    Point point;
    Point light;  // the light's direction in the shape's own coordinates
};

Placement Place(const GroupPose& pose, Point p, Point light)
{
    if (!pose.motion) return {p, light};
    switch (*pose.motion) {
    case Motion::Spin:
    case Motion::Swing: return {pose.turn.Apply(p), pose.turn.Direction(light)};
    case Motion::Pulse:
        return {{pose.centre.x + (p.x - pose.centre.x) / pose.scale, pose.centre.y + (p.y - pose.centre.y) / pose.scale}, light};
    case Motion::Bob:
    case Motion::Slide: return {{p.x - pose.shift.x, p.y - pose.shift.y}, light};
    case Motion::Frames: break;
    }
    return {p, light};
}

// Where the group puts a point of its shapes' own coordinates on the frame.
Point PlaceForward(const GroupPose& pose, Point p)
{
    if (!pose.motion) return p;
    switch (*pose.motion) {
    case Motion::Spin:
    case Motion::Swing: return pose.turn.Forward(p);
    case Motion::Pulse: return {pose.centre.x + (p.x - pose.centre.x) * pose.scale, pose.centre.y + (p.y - pose.centre.y) * pose.scale};
    case Motion::Bob:
    case Motion::Slide: return {p.x + pose.shift.x, p.y + pose.shift.y};
    case Motion::Frames: break;
    }
    return p;
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
    case ShapeKind::Rock:
    case ShapeKind::Crater: return {{n[0], n[1]}, {n[2], n[2]}};
    case ShapeKind::Rect:
    case ShapeKind::Gradient: return BoundsOfPoints({n[0], n[1], n[2], n[3]});
    case ShapeKind::Speckle: return BoundsOfPoints({n[2], n[3], n[4], n[5]});
    case ShapeKind::Line:
    case ShapeKind::Tendril: return BoundsOfPoints({n[0], n[1], n[2], n[3]});
    case ShapeKind::Polygon: return BoundsOfPoints(n);
    case ShapeKind::Grid: {
        const double w = static_cast<double>(s.rows.front().size()) * n[2];
        const double h = static_cast<double>(s.rows.size()) * n[2];
        return {{n[0] + w / 2, n[1] + h / 2}, {w / 2, h / 2}};
    }
    }
    return {};
}

// A box sure to hold everything the shape paints, in its own coordinates.
Box ShapeReach(const Shape& s)
{
    const std::vector<double>& n = s.numbers;
    Box box = ShapeBounds(s);
    double margin = 1;
    if (s.kind == ShapeKind::Line) margin += n[4] / 2;
    if (s.kind == ShapeKind::Tendril) margin += std::abs(n[6]) + std::max(n[4], n[5]) / 2;
    if (s.kind == ShapeKind::Rock) margin += n[2] * std::abs(n[4]);
    box.half = {box.half.x + margin, box.half.y + margin};
    return box;
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

// A point on a tendril's centre line, t from 0 at the root to 1 at the tip:
// a sideways wave runs outwards, growing from the still root to the tip.
Point TendrilPoint(const Shape& s, double t, double time)
{
    const std::vector<double>& n = s.numbers;
    const Point along{n[2] - n[0], n[3] - n[1]};
    const double length = std::max(1e-9, std::hypot(along.x, along.y));
    const double bend = n[6] * t * std::sin(Tau * (n[7] * t - time));
    return {n[0] + along.x * t - along.y / length * bend, n[1] + along.y * t + along.x / length * bend};
}

// A tendril's centre line in one frame, from root to tip.
std::vector<Point> TendrilSpine(const Shape& s, double time)
{
    constexpr int Segments = 16;
    std::vector<Point> spine;
    for (int i = 0; i <= Segments; ++i) spine.push_back(TendrilPoint(s, static_cast<double>(i) / Segments, time));
    return spine;
}

// Whether p lies on a tendril, and if so the limb's surface normal there: the
// way from its centre line to p, 1 long at its skin.
std::optional<Point> TendrilNormal(const Shape& s, const std::vector<Point>& spine, Point p)
{
    const std::vector<double>& n = s.numbers;
    const double reach = std::abs(n[6]) + std::max(n[4], n[5]) / 2;
    if (DistanceToSegment(p, {n[0], n[1]}, {n[2], n[3]}) > reach) return std::nullopt;
    const double segments = static_cast<double>(spine.size() - 1);
    std::optional<Point> normal;
    double deepest = 0;
    for (std::size_t i = 0; i + 1 < spine.size(); ++i) {
        const Point a = spine[i], b = spine[i + 1];
        const double dx = b.x - a.x, dy = b.y - a.y, lengthSquared = dx * dx + dy * dy;
        const double u = lengthSquared > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0) : 0.0;
        const Point centre{a.x + u * dx, a.y + u * dy};
        const double halfWidth = std::max(0.25, (n[4] + (n[5] - n[4]) * (static_cast<double>(i) + u) / segments) / 2);
        const double depth = std::hypot(p.x - centre.x, p.y - centre.y) - halfWidth;
        if (depth <= deepest) {
            deepest = depth;
            normal = Point{(p.x - centre.x) / halfWidth, (p.y - centre.y) / halfWidth};
        }
    }
    return normal;
}

// A shape as it stands in one frame: where its group has moved it, its turned
// copies, and a tendril's bent centre line.
struct PosedShape {
    const Shape& shape;
    GroupPose group;
    std::vector<TurnBack> copies;
    std::vector<Point> spine;
};

PosedShape Pose(const SpriteRecipe& recipe, const Shape& s, Moment moment)
{
    PosedShape posed{s, PoseGroup(recipe, s.group, moment), {}, {}};
    const Point centre{recipe.width / 2.0, recipe.height / 2.0};
    for (int k = 0; k < s.around; ++k) posed.copies.emplace_back(centre, Tau * k / s.around);
    if (s.kind == ShapeKind::Tendril) posed.spine = TendrilSpine(s, posed.group.time);
    return posed;
}

// The frame's pixels a posed shape may paint: its reach moved by its group,
// turned to each copy and reflected when mirrored, so the rest need no test.
struct PixelBox {
    int x0, y0, x1, y1;  // x1 and y1 one past the last
};

PixelBox ScreenReach(const SpriteRecipe& recipe, const PosedShape& posed)
{
    const Box reach = ShapeReach(posed.shape);
    double x0 = recipe.width, y0 = recipe.height, x1 = 0, y1 = 0;
    for (const TurnBack& copy : posed.copies)
        for (const double dx : {-1.0, 1.0})
            for (const double dy : {-1.0, 1.0}) {
                const Point corner{reach.centre.x + dx * reach.half.x, reach.centre.y + dy * reach.half.y};
                const Point p = copy.Forward(PlaceForward(posed.group, corner));
                for (const double x : {p.x, posed.shape.mirror ? recipe.width - p.x : p.x}) {
                    x0 = std::min(x0, x); x1 = std::max(x1, x);
                }
                y0 = std::min(y0, p.y); y1 = std::max(y1, p.y);
            }
    const auto clampTo = [](double v, int high) { return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(high))); };
    return {clampTo(std::floor(x0), recipe.width), clampTo(std::floor(y0), recipe.height),
            clampTo(std::ceil(x1) + 1, recipe.width), clampTo(std::ceil(y1) + 1, recipe.height)};
}

// The palette character a shape paints at point p of its own coordinates, if any.
std::optional<char> ShapeCharAt(const PosedShape& posed, Point p)
{
    const Shape& s = posed.shape;
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
    case ShapeKind::Crater: inside = std::hypot(p.x - n[0], p.y - n[1]) <= n[2]; break;
    case ShapeKind::Tendril: inside = TendrilNormal(s, posed.spine, p).has_value(); break;
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

// How a rounded surface with normal n (1 long at its edge) takes the light:
// brighter facing it, darker turning away at the rim.
double RoundLight(Point n, Point light)
{
    const double rim = std::max(0.0, n.x * n.x + n.y * n.y - 0.45);
    return 1.0 + 0.35 * (n.x * light.x + n.y * light.y) - 0.45 * rim;
}

// A crater's pit walls face inwards, so the wall nearest the light is in shade
// and the far wall catches it; the raised rim round it faces outwards.
double CraterLight(const Shape& s, Point p, Point light)
{
    constexpr double Pit = 0.7;  // share of the radius inside the rim
    const Point v{(p.x - s.numbers[0]) / s.numbers[2], (p.y - s.numbers[1]) / s.numbers[2]};
    const double towards = v.x * light.x + v.y * light.y;
    const double r = std::hypot(v.x, v.y);
    if (r < Pit) return 0.9 - 0.45 * towards / Pit;
    return 1.0 + 0.45 * towards / r;
}

double LightFactor(const PosedShape& posed, Point p, Point light)
{
    const Shape& s = posed.shape;
    if (s.kind == ShapeKind::Crater) return CraterLight(s, p, light);
    if (s.kind == ShapeKind::Tendril) return RoundLight(TendrilNormal(s, posed.spine, p).value_or(Point{}), light);
    const Box box = ShapeBounds(s);
    const Point n{(p.x - box.centre.x) / box.half.x, (p.y - box.centre.y) / box.half.y};
    const bool round = s.kind == ShapeKind::Ellipse || s.kind == ShapeKind::Rock || s.kind == ShapeKind::Ring;
    if (!round) return 1.0 + 0.22 * (n.x * light.x + n.y * light.y);
    return RoundLight(n, light);
}

// A lit colour: one of its material's own shades when the recipe names them,
// each step of light a step along them; otherwise a tint of the unlit colour.
Rgb LitColour(const SpriteRecipe& recipe, char c, const Rgb& unlit, double factor, double phase)
{
    constexpr double LightPerShade = 0.15;
    const auto material = recipe.shades.find(c);
    if (material == recipe.shades.end()) return Shade(unlit, factor);
    const std::vector<char>& ramp = material->second;
    const long base = std::find(ramp.begin(), ramp.end(), c) - ramp.begin();
    const long step = std::lround((factor - 1.0) / LightPerShade);
    const long index = std::clamp(base + step, 0L, static_cast<long>(ramp.size()) - 1);
    return PaletteColour(recipe, ramp[static_cast<std::size_t>(index)], phase);
}

// The copy of a shape that covers a screen point: where the point lies in that
// copy's own coordinates, and the palette character it paints there.
struct Covering {
    Placement placed;
    char colour = 0;
};

// Each copy moves as the shape does, so turned copies swing about turned pivots.
std::optional<Covering> CopyCovering(const PosedShape& posed, Point at, Point light)
{
    if (!posed.group.shown) return std::nullopt;
    for (const TurnBack& copy : posed.copies) {
        const Placement placed = Place(posed.group, copy.Apply(at), copy.Direction(light));
        if (const std::optional<char> c = ShapeCharAt(posed, placed.point)) return Covering{placed, *c};
    }
    return std::nullopt;
}

std::optional<Rgb> PaintAt(const SpriteRecipe& recipe, const PosedShape& posed, Point screen, Moment moment)
{
    const Shape& s = posed.shape;
    for (const bool reflected : {false, true}) {
        if (reflected && !s.mirror) break;
        const Point at = reflected ? Point{recipe.width - screen.x, screen.y} : screen;
        const Point light{reflected ? -LightFromUpperLeft.x : LightFromUpperLeft.x, LightFromUpperLeft.y};
        const std::optional<Covering> covering = CopyCovering(posed, at, light);
        if (!covering) continue;
        const Point p = covering->placed.point;
        Rgb colour = PaletteColour(recipe, covering->colour, moment.phase);
        if (s.kind == ShapeKind::Gradient) {
            const double y0 = std::min(s.numbers[1], s.numbers[3]), y1 = std::max(s.numbers[1], s.numbers[3]);
            colour = Mix(colour, PaletteColour(recipe, s.colour2, moment.phase), (p.y - y0) / std::max(1.0, y1 - y0));
        }
        if (s.lit || s.kind == ShapeKind::Crater)
            colour = LitColour(recipe, covering->colour, colour, LightFactor(posed, p, covering->placed.light), moment.phase);
        return colour;
    }
    return std::nullopt;
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
    const Moment moment{frame, static_cast<double>(frame) / recipe.frames};
    PixelImage image(recipe.width, recipe.height, recipe.key);
    std::vector<std::uint8_t> opaque(static_cast<std::size_t>(recipe.width) * static_cast<std::size_t>(recipe.height), 0);
    for (const Shape& shape : recipe.shapes) {
        const PosedShape posed = Pose(recipe, shape, moment);
        const PixelBox box = ScreenReach(recipe, posed);
        for (int y = box.y0; y < box.y1; ++y)
            for (int x = box.x0; x < box.x1; ++x)
                if (const auto colour = PaintAt(recipe, posed, {x + 0.5, y + 0.5}, moment)) {
                    image.At(x, y) = *colour;
                    opaque.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(recipe.width) +
                              static_cast<std::size_t>(x)) = 1;
                }
    }
    if (recipe.outline) AddOutline(image, opaque, PaletteColour(recipe, *recipe.outline, moment.phase));
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
