#include "SpriteRecipe.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace DataGen {
namespace {

// Recipes may build on each other, but a chain this deep is a loop.
constexpr int MaxLikeDepth = 8;
// More copies round a circle than this would be a solid ring: draw a ring.
constexpr int MaxAround = 64;

class RecipeParser {
public:
    RecipeParser(const std::filesystem::path& file, int depth) : file_(file), depth_(depth)
    {
        recipe_.file = file;
    }

    SpriteRecipe Parse(const std::string& text)
    {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            ++lineNo_;
            if (gridOpen_) ReadGridRow(line);
            else ReadDirective(Words(line));
        }
        if (gridOpen_) Fail("grid without \"end\"");
        if (groupOpen_) Fail("group without \"end\"");
        CheckComplete();
        return recipe_;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::runtime_error(file_.string() + ":" + std::to_string(lineNo_) + ": " + what);
    }

    static std::vector<std::string> Words(const std::string& line)
    {
        std::istringstream in(line.substr(0, line.find('#')));
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        return words;
    }

    double Number(const std::string& word) const
    {
        double value = 0;
        const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (ec != std::errc() || end != word.data() + word.size() || !std::isfinite(value))
            Fail("\"" + word + "\" is not a number");
        return value;
    }

    int Whole(const std::string& word, int low, int high) const
    {
        const double value = Number(word);
        if (value != std::floor(value) || value < low || value > high)
            Fail("\"" + word + "\" must be a whole number " + std::to_string(low) + " ... " +
                 std::to_string(high));
        return static_cast<int>(value);
    }

    std::uint8_t Channel(const std::string& word) const
    {
        return static_cast<std::uint8_t>(Whole(word, 0, 255));
    }

    char PaletteChar(const std::string& word) const
    {
        if (word.size() != 1 || word[0] == '.' || word[0] < '!' || word[0] > '~')
            Fail("\"" + word + "\" is not a palette character (one printable character, not '.')");
        return word[0];
    }

    char KnownColour(const std::string& word) const
    {
        const char c = PaletteChar(word);
        if (!recipe_.palette.contains(c)) Fail(std::string("colour '") + c + "' is not in the palette");
        return c;
    }

    void Expect(const std::vector<std::string>& words, std::size_t count) const
    {
        if (words.size() != count)
            Fail("\"" + words[0] + "\" takes " + std::to_string(count - 1) + " values");
    }

    Rgb Colour(const std::vector<std::string>& words, std::size_t first) const
    {
        const Rgb rgb{Channel(words.at(first)), Channel(words.at(first + 1)),
                      Channel(words.at(first + 2))};
        if (rgb == recipe_.key) Fail("a figure colour equals the see-through key colour");
        return rgb;
    }

    void ReadDirective(const std::vector<std::string>& words)
    {
        if (words.empty()) return;
        const std::string& verb = words[0];
        ++directives_;
        if (verb == "like") ReadLike(words);
        else if (verb == "size") ReadSize(words);
        else if (verb == "frames") { Expect(words, 2); recipe_.frames = Whole(words[1], 1, MaxFrames); }
        else if (verb == "key") ReadKey(words);
        else if (verb == "colour") { Expect(words, 5); recipe_.palette[PaletteChar(words[1])] = {Colour(words, 2)}; }
        else if (verb == "cycle") ReadCycle(words);
        else if (verb == "darken") ReadDarken(words);
        else if (verb == "shades") ReadShades(words);
        else if (verb == "outline") { Expect(words, 2); recipe_.outline = KnownColour(words[1]); }
        else if (verb == "explosion") ReadExplosion(words);
        else if (verb == "group") ReadGroup(words);
        else if (verb == "end") CloseGroup(words);
        else ReadShape(words);
    }

    void ReadLike(const std::vector<std::string>& words)
    {
        Expect(words, 2);
        if (directives_ != 1) Fail("\"like\" must come first");
        if (depth_ >= MaxLikeDepth) Fail("\"like\" chain too deep (a loop?)");
        const std::filesystem::path base = file_.parent_path() / (words[1] + ".txt");
        std::ifstream in(base, std::ios::binary);
        if (!in) Fail("cannot read " + base.string());
        std::ostringstream text;
        text << in.rdbuf();
        recipe_ = RecipeParser(base, depth_ + 1).Parse(text.str());
        recipe_.file = file_;
    }

    void ReadSize(const std::vector<std::string>& words)
    {
        Expect(words, 3);
        recipe_.width = Whole(words[1], 1, MaxFrameSize);
        recipe_.height = Whole(words[2], 1, MaxFrameSize);
    }

    void ReadKey(const std::vector<std::string>& words)
    {
        Expect(words, 4);
        recipe_.key = {Channel(words[1]), Channel(words[2]), Channel(words[3])};
        for (const auto& [c, colours] : recipe_.palette)
            if (std::find(colours.begin(), colours.end(), recipe_.key) != colours.end())
                Fail("the key colour is already used by palette entry '" + std::string(1, c) + "'");
    }

    void ReadCycle(const std::vector<std::string>& words)
    {
        // cycle C R G B / R G B / ...: groups of three separated by "/"
        if (words.size() < 5) Fail("\"cycle\" needs a character and at least one colour");
        std::vector<Rgb> colours;
        for (std::size_t i = 2; i < words.size(); i += 4) {
            if (i + 3 > words.size()) Fail("\"cycle\" colours are three numbers each");
            colours.push_back(Colour(words, i));
            if (i + 3 < words.size() && words[i + 3] != "/") Fail("\"cycle\" colours are separated by \"/\"");
        }
        recipe_.palette[PaletteChar(words[1])] = colours;
    }

    void ReadDarken(const std::vector<std::string>& words)
    {
        Expect(words, 5);
        const int percent = Whole(words[1], 0, 100);
        const Rgb toward = Colour(words, 2);
        const auto mix = [percent](int from, int to) {
            return static_cast<std::uint8_t>((from * (100 - percent) + to * percent) / 100);
        };
        for (auto& [c, colours] : recipe_.palette)
            for (Rgb& rgb : colours) {
                rgb = {mix(rgb.r, toward.r), mix(rgb.g, toward.g), mix(rgb.b, toward.b)};
                if (rgb == recipe_.key) Fail("darkening turns a colour into the key colour");
            }
    }

    void ReadShades(const std::vector<std::string>& words)
    {
        if (words.size() < 4) Fail("\"shades\" needs a colour and at least two shades, darkest first");
        const char material = KnownColour(words[1]);
        std::vector<char> ramp;
        for (std::size_t i = 2; i < words.size(); ++i) ramp.push_back(KnownColour(words[i]));
        if (std::find(ramp.begin(), ramp.end(), material) == ramp.end())
            Fail(std::string("colour '") + material + "' must be one of its own shades");
        recipe_.shades[material] = ramp;
    }

    void ReadExplosion(const std::vector<std::string>& words)
    {
        if (words.size() < 4) Fail("\"explosion\" needs a seed and at least two colours");
        Explosion explosion;
        explosion.seed = static_cast<std::uint32_t>(Whole(words[1], 0, 1 << 30));
        for (std::size_t i = 2; i < words.size(); ++i) explosion.ramp.push_back(KnownColour(words[i]));
        recipe_.explosion = explosion;
    }

    void ReadGroup(std::vector<std::string> words)
    {
        if (groupOpen_) Fail("groups cannot be nested");
        if (words.size() < 2) Fail("\"group\" needs a motion: spin, pulse, bob, swing, slide or frames");
        Group group;
        if (words.size() >= 4 && words[words.size() - 2] == "delay") {
            group.delay = Number(words.back());
            words.resize(words.size() - 2);
        }
        const std::string& motion = words[1];
        const std::size_t count = words.size() - 2;
        const auto number = [&](std::size_t i) { return Number(words.at(i + 2)); };
        const auto needs = [&](bool fits, const char* values) {
            if (!fits) Fail("\"group " + motion + "\" takes " + values);
        };
        if (motion == "spin" || motion == "pulse") {
            needs(count == 1 || count == 3, motion == "spin" ? "TURNS [X Y]" : "AMOUNT [X Y]");
            group = {motion == "spin" ? Motion::Spin : Motion::Pulse, number(0), 0, std::nullopt, group.delay, 0};
            if (count == 3) group.pivot = Pivot{number(1), number(2)};
        } else if (motion == "bob" || motion == "slide") {
            needs(count == 2, "DX DY");
            group = {motion == "bob" ? Motion::Bob : Motion::Slide, number(0), number(1), std::nullopt, group.delay, 0};
        } else if (motion == "swing") {
            needs(count == 3, "DEGREES X Y");
            group = {Motion::Swing, number(0), 0, Pivot{number(1), number(2)}, group.delay, 0};
        } else if (motion == "frames") {
            needs(count >= 1 && group.delay == 0, "frame numbers and no delay");
            group.motion = Motion::Frames;
            for (std::size_t i = 2; i < words.size(); ++i) group.shown |= 1u << Whole(words[i], 0, MaxFrames - 1);
        } else {
            Fail("unknown motion \"" + motion + "\"");
        }
        recipe_.groups.push_back(group);
        groupOpen_ = true;
    }

    void CloseGroup(const std::vector<std::string>& words)
    {
        Expect(words, 1);
        if (!groupOpen_) Fail("\"end\" without a group or grid");
        groupOpen_ = false;
    }

    // Trailing "mirror", "lit" and "around N" options; returns the words before them.
    std::vector<std::string> TakeOptions(std::vector<std::string> words, Shape& shape) const
    {
        for (bool more = true; more && words.size() > 1;) {
            more = false;
            if (words.back() == "mirror") { shape.mirror = true; words.pop_back(); more = true; }
            else if (words.back() == "lit") { shape.lit = true; words.pop_back(); more = true; }
            else if (words.size() > 2 && words[words.size() - 2] == "around") {
                shape.around = Whole(words.back(), 1, MaxAround);
                words.resize(words.size() - 2);
                more = true;
            }
        }
        return words;
    }

    void ReadNumbers(const std::vector<std::string>& words, std::size_t first, Shape& shape) const
    {
        for (std::size_t i = first; i < words.size(); ++i) shape.numbers.push_back(Number(words[i]));
    }

    void ReadShape(const std::vector<std::string>& allWords)
    {
        struct Form { const char* verb; ShapeKind kind; std::size_t numbers; };
        static constexpr Form forms[] = {
            {"ellipse", ShapeKind::Ellipse, 4}, {"circle", ShapeKind::Ellipse, 3},
            {"ring", ShapeKind::Ring, 4},       {"rect", ShapeKind::Rect, 4},
            {"line", ShapeKind::Line, 5},       {"poly", ShapeKind::Polygon, 0},
            {"rock", ShapeKind::Rock, 5},       {"crater", ShapeKind::Crater, 3},
            {"tendril", ShapeKind::Tendril, 8}, {"gradient", ShapeKind::Gradient, 4},
            {"speckle", ShapeKind::Speckle, 6}, {"grid", ShapeKind::Grid, 0},
        };
        const auto form = std::find_if(std::begin(forms), std::end(forms),
                                       [&](const Form& f) { return allWords[0] == f.verb; });
        if (form == std::end(forms)) Fail("unknown directive \"" + allWords[0] + "\"");
        if (recipe_.width == 0) Fail("\"size\" must come before the first shape");

        Shape shape;
        shape.kind = form->kind;
        shape.group = groupOpen_ ? static_cast<int>(recipe_.groups.size()) - 1 : -1;
        const std::vector<std::string> words = TakeOptions(allWords, shape);
        if (shape.kind == ShapeKind::Grid) return OpenGrid(words, shape);
        if (words.size() < 2) Fail("\"" + words[0] + "\" needs a colour");
        shape.colour = KnownColour(words[1]);
        std::size_t first = 2;
        if (shape.kind == ShapeKind::Gradient) {
            if (words.size() < 3) Fail("\"gradient\" needs two colours");
            shape.colour2 = KnownColour(words[2]);
            first = 3;
        }
        ReadNumbers(words, first, shape);
        CheckCount(shape, form->numbers, form->verb);
        if (std::string(form->verb) == "circle")  // a circle is an ellipse with equal radii
            shape.numbers.push_back(shape.numbers[2]);
        recipe_.shapes.push_back(shape);
    }

    void CheckCount(const Shape& shape, std::size_t expected, const std::string& verb) const
    {
        if (shape.kind == ShapeKind::Polygon) {
            if (shape.numbers.size() < 6 || shape.numbers.size() % 2 != 0)
                Fail("\"poly\" needs at least three x y points");
        } else if (shape.numbers.size() != expected) {
            Fail("\"" + verb + "\" takes a colour and " + std::to_string(expected) + " numbers");
        }
    }

    void OpenGrid(const std::vector<std::string>& words, Shape& shape)
    {
        // grid X Y [scale N]
        if (words.size() != 3 && !(words.size() == 5 && words[3] == "scale"))
            Fail("\"grid\" takes X Y and optionally \"scale N\"");
        shape.numbers = {Number(words[1]), Number(words[2]),
                         words.size() == 5 ? static_cast<double>(Whole(words[4], 1, 16)) : 1.0};
        recipe_.shapes.push_back(shape);
        gridOpen_ = true;
    }

    void ReadGridRow(const std::string& line)
    {
        const std::vector<std::string> words = Words(line);
        Shape& grid = recipe_.shapes.back();
        if (words.size() == 1 && words[0] == "end") {
            if (grid.rows.empty()) Fail("empty grid");
            gridOpen_ = false;
            return;
        }
        if (words.size() != 1) Fail("a grid row is one word of palette characters");
        for (const char c : words[0])
            if (c != '.' && !recipe_.palette.contains(c))
                Fail(std::string("grid character '") + c + "' is not in the palette");
        if (!grid.rows.empty() && grid.rows.front().size() != words[0].size())
            Fail("grid rows differ in length");
        grid.rows.push_back(words[0]);
    }

    void CheckComplete()
    {
        if (recipe_.width == 0 || recipe_.height == 0) Fail("no \"size\"");
        if (recipe_.frames == 0) Fail("no \"frames\"");
        if (recipe_.shapes.empty() && !recipe_.explosion) Fail("nothing to draw");
        for (const Group& group : recipe_.groups)
            if (group.shown >> recipe_.frames != 0) Fail("a \"group frames\" names a frame past the last");
    }

    std::filesystem::path file_;
    int depth_ = 0;
    int lineNo_ = 0;
    int directives_ = 0;
    bool gridOpen_ = false;
    bool groupOpen_ = false;
    SpriteRecipe recipe_;
};

}  // namespace

SpriteRecipe ParseRecipe(const std::string& text, const std::filesystem::path& file)
{
    return RecipeParser(file, 0).Parse(text);
}

SpriteRecipe ReadRecipe(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error(file.string() + ": cannot read the sprite source");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseRecipe(text.str(), file);
}

}  // namespace DataGen
