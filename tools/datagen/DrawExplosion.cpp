// Fireballs: a white-hot core that swells, cools through the recipe's colour
// ramp and breaks up into smoke, with sparks flying out in the early frames.
#include "DrawRecipe.h"

#include "PixelNoise.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace DataGen {
namespace {

// Smoothly interpolated lattice noise, 0 ... 1, so the flames have soft lumps
// several pixels across rather than single-pixel grain.
double SmoothNoise(std::uint32_t seed, double x, double y)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const double tx = x - fx, ty = y - fy;
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const double top = NoiseUnit(seed, ix, iy) + (NoiseUnit(seed, ix + 1, iy) - NoiseUnit(seed, ix, iy)) * sx;
    const double bottom = NoiseUnit(seed, ix, iy + 1) + (NoiseUnit(seed, ix + 1, iy + 1) - NoiseUnit(seed, ix, iy + 1)) * sx;
    return top + (bottom - top) * sy;
}

struct Burn {
    double radius;  // current size of the fireball
    double heat;    // 1 at the flash, falling to 0 as it burns out
    double age;     // 0 ... 1 over the animation
};

Burn BurnAt(const SpriteRecipe& recipe, int frame)
{
    const double age = recipe.frames > 1 ? static_cast<double>(frame) / (recipe.frames - 1) : 0.0;
    const double maxRadius = std::min(recipe.width, recipe.height) / 2.0 - 1.5;
    const double growth = 1.0 - (1.0 - age) * (1.0 - age);
    return {maxRadius * (0.4 + 0.55 * growth), 1.0 - std::pow(age, 1.4), age};
}

// Ramp index from temperature: 1 is the hottest colour, 0 the coldest.
char RampColour(const Explosion& explosion, double temperature)
{
    const double t = std::clamp(temperature, 0.0, 1.0);
    const auto last = static_cast<double>(explosion.ramp.size() - 1);
    return explosion.ramp.at(static_cast<std::size_t>(std::lround((1.0 - t) * last)));
}

void PaintFire(const SpriteRecipe& recipe, const Burn& burn, int frame, PixelImage& image)
{
    const Explosion& ex = *recipe.explosion;
    const double cx = recipe.width / 2.0, cy = recipe.height / 2.0;
    const double lump = std::max(2.0, burn.radius / 2.5);
    for (int y = 0; y < recipe.height; ++y)
        for (int x = 0; x < recipe.width; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double drift = frame * 0.6;
            const double n = SmoothNoise(ex.seed, px / lump + drift, py / lump - drift * 0.5);
            const double fine = SmoothNoise(ex.seed + 1, px / (lump * 0.5), py / (lump * 0.5) + drift);
            const double d = std::hypot(px - cx, py - cy) / burn.radius;
            const double body = 1.0 - d + (n - 0.5) * 0.55;
            if (body <= 0) continue;
            // Late frames tear open: the thin, cool parts vanish first.
            if (fine + body * 0.8 < burn.age * 1.25 - 0.05) continue;
            const double temperature = burn.heat * (0.35 + body * 1.3) + (fine - 0.5) * 0.25;
            image.At(x, y) = PaletteColour(recipe, RampColour(ex, temperature), 0.0);
        }
}

void PaintSparks(const SpriteRecipe& recipe, const Burn& burn, PixelImage& image)
{
    if (burn.age > 0.8) return;
    const Explosion& ex = *recipe.explosion;
    NoiseStream noise(ex.seed * 7u + 3u);
    const int count = std::max(4, recipe.width / 3);
    const double reach = std::min(recipe.width, recipe.height) / 2.0 - 2.0;
    for (int i = 0; i < count; ++i) {
        const double angle = noise.Between(0, 2 * std::numbers::pi);
        const double speed = noise.Between(0.5, 1.0);
        const double r = std::min(reach, burn.radius * (0.7 + 0.7 * speed) + burn.age * reach * 0.3);
        const int x = static_cast<int>(std::floor(recipe.width / 2.0 + std::cos(angle) * r));
        const int y = static_cast<int>(std::floor(recipe.height / 2.0 + std::sin(angle) * r));
        if (image.Contains(x, y) && (x > 0 || y > 0))
            image.At(x, y) = PaletteColour(recipe, RampColour(ex, burn.heat * 1.2 - 0.1), 0.0);
    }
}

}  // namespace

PixelImage DrawExplosionFrame(const SpriteRecipe& recipe, int frame)
{
    if (!recipe.explosion || recipe.explosion->ramp.empty())
        throw std::runtime_error(recipe.file.string() + ": not an explosion");
    PixelImage image(recipe.width, recipe.height, recipe.key);
    const Burn burn = BurnAt(recipe, frame);
    PaintFire(recipe, burn, frame, image);
    PaintSparks(recipe, burn, image);
    return image;
}

}  // namespace DataGen
