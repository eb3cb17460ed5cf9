// Text output through FreeType and fontconfig. Each glyph is rendered once
// per strike (face, pixel size, emboldening) into an 8-bit coverage mask;
// drawing then only looks glyphs up and blends, so it allocates nothing.
#include "Fonts.h"

#include "Errors.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Fonts {
namespace {

constexpr std::int32_t ScreenDpi = 96;
constexpr std::int32_t PointsPerInch = 72;
// Far beyond any size the game draws; keeps glyph masks and arithmetic small.
constexpr std::int32_t MaxPixelSize = 512;
// Synthetic bold widens strokes by one pixel per this many pixels of size, at least one.
constexpr std::int32_t PixelsPerBoldPixel = 24;
constexpr char32_t ReplacementCharacter = 0xFFFD;

// The proportional Japanese gothic that stands in for the Windows UI face.
constexpr const char* JapaneseGothic = "IPAPGothic";
constexpr std::array<std::string_view, 3> JapaneseGothicNames = {"", "ＭＳ Ｐゴシック", "MS PGothic"};

struct TGlyph {
    std::int32_t left = 0, top = 0;  // mask position from the pen on the baseline, y up
    std::int32_t width = 0, rows = 0;
    std::int32_t advance = 0;
    std::vector<std::uint8_t> coverage;  // rows × width, 0 none … 255 full
};

struct TStrikeKey {
    std::size_t face;
    std::int32_t pixels;
    bool embolden;
    friend auto operator<=>(const TStrikeKey&, const TStrikeKey&) = default;
};

// One face at one pixel size and weight, with the glyphs rendered so far.
struct TStrike {
    FT_Face face;
    std::int32_t pixels;
    bool embolden;
    std::int32_t ascender, descender;  // whole pixels, descender negative
    std::unordered_map<char32_t, TGlyph> glyphs;
};

// What a face name and style resolved to.
struct TResolvedFace {
    std::size_t face;  // index into the opened faces
    bool embolden;     // bold asked for but the face has none
};

struct TFontFile {
    std::string path;
    int index = 0;
};

using TPattern = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;

std::int32_t PixelSize(std::int32_t points)
{
    const std::int64_t pixels = (std::int64_t{points} * ScreenDpi + PointsPerInch / 2) / PointsPerInch;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(pixels, 1, MaxPixelSize));
}

std::int32_t CeilPixels(FT_Pos value) { return static_cast<std::int32_t>((value + 63) >> 6); }
std::int32_t FloorPixels(FT_Pos value) { return static_cast<std::int32_t>(value >> 6); }

// Decodes one UTF-8 sequence at pos and moves past it; a malformed sequence
// (stray continuation, overlong, surrogate, past U+10FFFF, cut short) gives
// the replacement character and skips one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<std::uint8_t>(text[pos]);
    std::size_t length = 0;
    char32_t code = 0, minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07u, minimum = 0x10000;
    }
    if (length == 0 || text.size() - pos < length) {
        ++pos;
        return ReplacementCharacter;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return ReplacementCharacter;
        }
        code = code << 6 | (next & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return ReplacementCharacter;
    }
    pos += length;
    return code;
}

const FcChar8* FcText(const std::string& text) { return reinterpret_cast<const FcChar8*>(text.c_str()); }

bool HasFamily(FcPattern* match, const std::string& family)
{
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(value, FcText(family)) == 0) {
            return true;
        }
    }
    return false;
}

TFontFile FileOf(FcPattern* match)
{
    TFontFile file;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        file.path = reinterpret_cast<const char*>(path);
    }
    if (FcPatternGetInteger(match, FC_INDEX, 0, &file.index) != FcResultMatch) {
        file.index = 0;
    }
    return file;
}

// Fontconfig's best font for the family, preferring faces that cover Japanese.
TPattern MatchFamily(FcConfig* config, const std::string& family, TFontStyle style)
{
    TPattern pattern(FcPatternCreate(), FcPatternDestroy);
    FcPatternAddString(pattern.get(), FC_FAMILY, FcText(family));
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, style == TFontStyle::Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    return TPattern(FcFontMatch(config, pattern.get(), &result), FcPatternDestroy);
}

// The Japanese gothic if installed, else the best Japanese sans face, else
// whatever sans face fontconfig offers.
TFontFile FindJapaneseGothic(FcConfig* config, TFontStyle style)
{
    const TPattern gothic = MatchFamily(config, JapaneseGothic, style);
    if (gothic && HasFamily(gothic.get(), JapaneseGothic)) {
        return FileOf(gothic.get());
    }
    const TPattern sans = MatchFamily(config, "sans-serif", style);
    return sans ? FileOf(sans.get()) : TFontFile{};
}

TFontFile FindFace(FcConfig* config, std::string_view name, TFontStyle style)
{
    if (std::ranges::find(JapaneseGothicNames, name) != JapaneseGothicNames.end()) {
        return FindJapaneseGothic(config, style);
    }
    const TPattern match = MatchFamily(config, std::string(name), style);
    return match ? FileOf(match.get()) : TFontFile{};
}

// How much synthetic bold widens strokes (26.6). Only sideways, so bold text
// sits on the same line as regular text; the advance stays the face's own, so
// bold text takes the room its layout was made for (the face's side bearings
// keep thickened letters apart).
FT_Pos BoldStrength(std::int32_t pixels) { return 64 * std::max(1, pixels / PixelsPerBoldPixel); }

// Copies the rendered bitmap, whatever its pixel mode, into an 8-bit mask.
bool CopyCoverage(FT_GlyphSlot slot, TGlyph& glyph)
{
    FT_Bitmap gray;
    FT_Bitmap_Init(&gray);
    if (FT_Bitmap_Convert(slot->library, &slot->bitmap, &gray, 1) != 0) {
        FT_Bitmap_Done(slot->library, &gray);
        return false;
    }
    glyph.width = static_cast<std::int32_t>(gray.width);
    glyph.rows = static_cast<std::int32_t>(gray.rows);
    glyph.coverage.resize(std::size_t(gray.width) * gray.rows);
    const unsigned levels = std::max(2u, unsigned(gray.num_grays));
    for (unsigned y = 0; y < gray.rows; ++y) {
        const unsigned char* source = gray.buffer + std::ptrdiff_t(y) * gray.pitch;
        for (unsigned x = 0; x < gray.width; ++x) {
            glyph.coverage[std::size_t(y) * gray.width + x] =
                static_cast<std::uint8_t>(std::min(255u, source[x] * 255u / (levels - 1)));
        }
    }
    FT_Bitmap_Done(slot->library, &gray);
    return true;
}

// Loads the glyph at the strike's size, as an outline where the face has
// one, so that synthetic bold and anti-aliasing apply.
bool LoadGlyph(const TStrike& strike, FT_UInt index)
{
    return FT_Set_Pixel_Sizes(strike.face, 0, FT_UInt(strike.pixels)) == 0 &&
           (FT_Load_Glyph(strike.face, index, FT_LOAD_NO_BITMAP) == 0 ||
            FT_Load_Glyph(strike.face, index, FT_LOAD_DEFAULT) == 0);
}

// Renders the loaded glyph, widened by boldStrength to the right only, as an
// overstrike would, so that the glyph stays inside its advance.
bool RenderLoaded(FT_GlyphSlot slot, FT_Pos boldStrength)
{
    const bool outline = slot->format == FT_GLYPH_FORMAT_OUTLINE;
    if (boldStrength != 0 && outline) {
        FT_Outline_EmboldenXY(&slot->outline, boldStrength, 0);
        FT_Outline_Translate(&slot->outline, boldStrength / 2, 0);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
        return false;
    }
    return boldStrength == 0 || outline || FT_Bitmap_Embolden(slot->library, &slot->bitmap, boldStrength, 0) == 0;
}

// Renders one character of the strike; a character the face lacks, or one
// FreeType cannot render, becomes an empty glyph that takes no room.
TGlyph RenderGlyph(const TStrike& strike, char32_t code)
{
    const FT_UInt index = FT_Get_Char_Index(strike.face, code);
    const FT_Pos boldStrength = strike.embolden ? BoldStrength(strike.pixels) : 0;
    const FT_GlyphSlot slot = strike.face->glyph;
    TGlyph glyph;
    if (index == 0 || !LoadGlyph(strike, index) || !RenderLoaded(slot, boldStrength) || !CopyCoverage(slot, glyph)) {
        return TGlyph{};
    }
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    const FT_Pos advance = (slot->advance.x + 32) >> 6;
    glyph.advance = static_cast<std::int32_t>(std::clamp<FT_Pos>(advance, 0, 4 * MaxPixelSize));
    return glyph;
}

// FreeType, fontconfig, the opened faces and every strike. Made on first use,
// dropped by Shutdown.
class TFontSystem {
public:
    TFontSystem()
    {
        if (FT_Init_FreeType(&library_) != 0) {
            throw ELoadError("FreeType", "the library cannot start");
        }
        config_ = FcInitLoadConfigAndFonts();
        if (config_ == nullptr) {
            FT_Done_FreeType(library_);
            throw ELoadError("fontconfig", "no configuration");
        }
    }
    ~TFontSystem()
    {
        strikes_.clear();
        for (const FT_Face face : faces_) {
            FT_Done_Face(face);
        }
        FT_Done_FreeType(library_);
        FcConfigDestroy(config_);
    }
    TFontSystem(const TFontSystem&) = delete;
    TFontSystem& operator=(const TFontSystem&) = delete;

    TStrike& Strike(const TFontSpec& font)
    {
        const TResolvedFace resolved = Resolve(font.name, font.style);
        const TStrikeKey key{resolved.face, PixelSize(font.points), resolved.embolden};
        if (const auto found = strikes_.find(key); found != strikes_.end()) {
            return found->second;
        }
        return OpenStrike(key);
    }

    static const TGlyph& Glyph(TStrike& strike, char32_t code)
    {
        if (const auto found = strike.glyphs.find(code); found != strike.glyphs.end()) {
            return found->second;
        }
        return strike.glyphs.emplace(code, RenderGlyph(strike, code)).first->second;
    }

private:
    TResolvedFace Resolve(std::string_view name, TFontStyle style)
    {
        auto& names = resolved_[style == TFontStyle::Bold ? 1 : 0];
        if (const auto found = names.find(name); found != names.end()) {
            return found->second;
        }
        const std::size_t face = Open(FindFace(config_, name, style), name);
        const bool faceIsBold = (faces_[face]->style_flags & FT_STYLE_FLAG_BOLD) != 0;
        const TResolvedFace resolved{face, style == TFontStyle::Bold && !faceIsBold};
        names.emplace(std::string(name), resolved);
        return resolved;
    }

    // Opens the file once, however many names lead to it.
    std::size_t Open(const TFontFile& file, std::string_view name)
    {
        const auto key = std::make_pair(file.path, file.index);
        if (const auto found = faceIndexes_.find(key); found != faceIndexes_.end()) {
            return found->second;
        }
        FT_Face face = nullptr;
        if (file.path.empty() || FT_New_Face(library_, file.path.c_str(), file.index, &face) != 0) {
            throw ELoadError(file.path.empty() ? "font \"" + std::string(name) + "\"" : file.path,
                             "no usable font face");
        }
        faces_.push_back(face);
        faceIndexes_.emplace(key, faces_.size() - 1);
        return faces_.size() - 1;
    }

    TStrike& OpenStrike(const TStrikeKey& key)
    {
        const FT_Face face = faces_[key.face];
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(key.pixels)) != 0) {
            throw ELoadError(face->family_name != nullptr ? face->family_name : "font", "cannot scale the face");
        }
        TStrike strike{face, key.pixels, key.embolden, CeilPixels(face->size->metrics.ascender),
                       FloorPixels(face->size->metrics.descender), {}};
        return strikes_.emplace(key, std::move(strike)).first->second;
    }

    FT_Library library_ = nullptr;
    FcConfig* config_ = nullptr;
    std::vector<FT_Face> faces_;
    std::map<std::pair<std::string, int>, std::size_t> faceIndexes_;
    std::array<std::map<std::string, TResolvedFace, std::less<>>, 2> resolved_;  // by style
    std::map<TStrikeKey, TStrike> strikes_;
};

std::unique_ptr<TFontSystem> fontSystem;

TFontSystem& System()
{
    if (!fontSystem) {
        fontSystem = std::make_unique<TFontSystem>();
    }
    return *fontSystem;
}

// destination + (color − destination) × coverage / 255, the division
// truncating toward zero, in unsigned steps that cannot overflow.
std::uint8_t Mix(std::uint8_t destination, std::uint8_t color, std::uint8_t coverage)
{
    if (color >= destination) return std::uint8_t(destination + unsigned(color - destination) * coverage / 255u);
    return std::uint8_t(destination - unsigned(destination - color) * coverage / 255u);
}

// Blends the glyph's mask whose top-left is at (left, top), clipped to the
// bitmap; returns whether any pixel lay inside.
bool BlendGlyph(TBitmap& target, std::int64_t left, std::int64_t top, const TGlyph& glyph, TPixel color)
{
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t x1 = std::min<std::int64_t>(left + glyph.width, target.Width());
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const std::int64_t y1 = std::min<std::int64_t>(top + glyph.rows, target.Height());
    if (x0 >= x1 || y0 >= y1) {
        return false;
    }
    const std::size_t columns = std::size_t(x1 - x0);
    for (std::int64_t y = y0; y < y1; ++y) {
        // The clipping proves both ranges once; the loop runs on plain pointers.
        TPixel* pixel = target.Row(static_cast<std::int32_t>(y)).subspan(std::size_t(x0), columns).data();
        const std::uint8_t* coverage =
            std::span<const std::uint8_t>(glyph.coverage)
                .subspan(std::size_t(y - top) * std::size_t(glyph.width) + std::size_t(x0 - left), columns)
                .data();
        for (std::size_t i = 0; i < columns; ++i, ++pixel) {
            // Most of a glyph's box is empty or fully covered: those pixels need no blending.
            const std::uint8_t c = coverage[i];
            if (c == 0) continue;
            if (c == 255) {
                *pixel = color;
                continue;
            }
            *pixel = TPixel{Mix(pixel->b, color.b, c), Mix(pixel->g, color.g, c), Mix(pixel->r, color.r, c)};
        }
    }
    return true;
}

}  // namespace

void DrawText(TBitmap& target, std::int32_t x, std::int32_t y, std::string_view utf8, const TFontSpec& font,
              TColor color)
{
    TStrike& strike = System().Strike(font);
    const TPixel pixel = PixelOf(color);
    const std::int64_t baseline = std::int64_t{y} + strike.ascender;
    std::int64_t pen = x;
    bool drawn = false;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const TGlyph& glyph = TFontSystem::Glyph(strike, NextCodePoint(utf8, pos));
        drawn |= BlendGlyph(target, pen + glyph.left, baseline - glyph.top, glyph, pixel);
        pen += glyph.advance;
    }
    if (drawn) {
        target.Touch();
    }
}

TExtent TextExtent(std::string_view utf8, const TFontSpec& font)
{
    TStrike& strike = System().Strike(font);
    std::int64_t width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        width += TFontSystem::Glyph(strike, NextCodePoint(utf8, pos)).advance;
    }
    const std::int64_t widest = std::numeric_limits<std::int32_t>::max();
    return TExtent{static_cast<std::int32_t>(std::min(width, widest)), strike.ascender - strike.descender};
}

void Prepare(std::string_view utf8, const TFontSpec& font)
{
    TStrike& strike = System().Strike(font);
    for (std::size_t pos = 0; pos < utf8.size();) {
        TFontSystem::Glyph(strike, NextCodePoint(utf8, pos));
    }
}

void Shutdown() { fontSystem.reset(); }

}  // namespace Fonts
