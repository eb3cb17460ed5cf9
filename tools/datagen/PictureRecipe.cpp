#include "PictureRecipe.h"

#include "SoundFiles.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <sstream>
#include <stdexcept>

namespace DataGen {
namespace {

constexpr int MaxRepeat = 256;
constexpr std::size_t MaxOps = 200000;  // after repeats are unrolled

// What a directive takes after its paint: 'p' a point (two numbers), 'l' a
// length, 'v' a plain value, 'w' a word, 's' a quoted text; '*' repeats the
// point before it, '?' makes the rest optional.
struct DirectiveShape {
    const char* name;
    PictureOpKind kind;
    std::size_t minColours, maxColours;
    const char* takes;
};

constexpr DirectiveShape Directives[] = {
    {"fill", PictureOpKind::Fill, 1, 1, ""},
    {"gradient", PictureOpKind::Gradient, 2, 2, "pp"},
    {"stars", PictureOpKind::Stars, 1, 1, "vv"},
    {"nebula", PictureOpKind::Nebula, 1, 1, "vlv"},
    {"clouds", PictureOpKind::Clouds, 2, 2, "pplvv"},
    {"glow", PictureOpKind::Glow, 1, 1, "plv"},
    {"planet", PictureOpKind::Planet, 4, 4, "plv"},
    {"vignette", PictureOpKind::Vignette, 0, 0, "v"},
    {"circle", PictureOpKind::Circle, 1, 2, "pl"},
    {"ellipse", PictureOpKind::Ellipse, 1, 2, "pll?v"},
    {"rect", PictureOpKind::Rect, 1, 2, "pp?l"},
    {"poly", PictureOpKind::Poly, 1, 2, "ppp*"},
    {"line", PictureOpKind::Line, 1, 2, "ppl"},
    {"arrow", PictureOpKind::Arrow, 1, 2, "ppl"},
    {"ring", PictureOpKind::Ring, 1, 2, "pll"},
    {"arc", PictureOpKind::Arc, 1, 2, "pllvv"},
    {"sprite", PictureOpKind::Sprite, 0, 0, "wvpl?v"},
    {"text", PictureOpKind::Text, 1, 2, "pls"},
};

// How the copies of a block differ: scaled by `scale` towards `toward`, then
// moved by `move`; each further copy's opacity is multiplied by `fade`.
struct Copying {
    int count = 1;
    bool scaling = false;
    PicturePoint toward{};
    double factor = 1;
    PicturePoint move{};
    double fade = 1;
    std::optional<ClipBox> clip;
};

struct Block {
    Copying copying;
    std::vector<PictureOp> ops;
    int line = 0;
};

PicturePoint Place(PicturePoint p, double scale, PicturePoint toward, PicturePoint move)
{
    return {toward.x + (p.x - toward.x) * scale + move.x, toward.y + (p.y - toward.y) * scale + move.y};
}

PictureOp Copy(const PictureOp& op, const Copying& c, int index)
{
    PictureOp copy = op;
    const double scale = c.scaling ? std::pow(c.factor, index) : 1.0;
    const PicturePoint move{c.move.x * index, c.move.y * index};
    const auto place = [&](PicturePoint p) { return Place(p, scale, c.toward, move); };
    for (PicturePoint& p : copy.points) p = place(p);
    for (double& l : copy.lengths) l *= scale;
    copy.soft *= scale;
    if (copy.clip) {
        const PicturePoint a = place({copy.clip->x0, copy.clip->y0}), b = place({copy.clip->x1, copy.clip->y1});
        copy.clip = ClipBox{a.x, a.y, b.x, b.y};
    }
    copy.alpha *= std::pow(c.fade, index);
    return copy;
}

ClipBox Intersect(const ClipBox& a, const ClipBox& b)
{
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

class PictureParser {
public:
    explicit PictureParser(const std::filesystem::path& file) : file_(file) { recipe_.file = file; }

    PictureRecipe Parse(const std::string& text)
    {
        blocks_.push_back({});
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            ++lineNo_;
            Read(Words(line));
        }
        if (blocks_.size() > 1) Fail("a block without \"end\"");
        if (recipe_.width == 0) Fail("no \"size\"");
        recipe_.ops = std::move(blocks_.back().ops);
        return recipe_;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::runtime_error(file_.string() + ":" + std::to_string(lineNo_) + ": " + what);
    }

    // Words split at blanks; a quoted text is one word (kept with its quotes).
    std::vector<std::string> Words(const std::string& line) const
    {
        std::vector<std::string> words;
        for (std::size_t i = 0; i < line.size();) {
            if (line[i] == ' ' || line[i] == '\t') { ++i; continue; }
            if (line[i] == '#') break;
            std::size_t end = i + 1;
            if (line[i] == '"') {
                end = line.find('"', i + 1);
                if (end == std::string::npos) Fail("a text without its closing quote");
                ++end;
            } else {
                while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
            }
            words.push_back(line.substr(i, end - i));
            i = end;
        }
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
            Fail("\"" + word + "\" must be a whole number " + std::to_string(low) + " ... " + std::to_string(high));
        return static_cast<int>(value);
    }

    void Read(const std::vector<std::string>& words)
    {
        if (words.empty()) return;
        const std::string& verb = words[0];
        if (verb == "size") ReadSize(words);
        else if (verb == "colour") ReadColour(words);
        else if (verb == "repeat") OpenRepeat(words);
        else if (verb == "clip") OpenClip(words);
        else if (verb == "end") CloseBlock(words);
        else ReadOp(words);
    }

    void Expect(const std::vector<std::string>& words, std::size_t count) const
    {
        if (words.size() != count) Fail("\"" + words[0] + "\" takes " + std::to_string(count - 1) + " values");
    }

    void ReadSize(const std::vector<std::string>& words)
    {
        Expect(words, 3);
        recipe_.width = Whole(words[1], 1, MaxPictureSide);
        recipe_.height = Whole(words[2], 1, MaxPictureSide);
    }

    void ReadColour(const std::vector<std::string>& words)
    {
        Expect(words, 5);
        const std::string& name = words[1];
        if (name.find('/') != std::string::npos || name.front() == '"') Fail("\"" + name + "\" cannot name a colour");
        colours_[name] = Rgb{static_cast<std::uint8_t>(Whole(words[2], 0, 255)),
                             static_cast<std::uint8_t>(Whole(words[3], 0, 255)),
                             static_cast<std::uint8_t>(Whole(words[4], 0, 255))};
    }

    void OpenRepeat(const std::vector<std::string>& words)
    {
        Copying c;
        if (words.size() < 5) Fail("repeat N step DX DY, or repeat N toward X Y FACTOR");
        c.count = Whole(words[1], 1, MaxRepeat);
        std::size_t next = 0;
        if (words[2] == "step") {
            c.move = {Number(words[3]), Number(words[4])};
            next = 5;
        } else if (words[2] == "toward" && words.size() >= 6) {
            c.scaling = true;
            c.toward = {Number(words[3]), Number(words[4])};
            c.factor = Number(words[5]);
            if (c.factor <= 0) Fail("the factor must be above 0");
            next = 6;
        } else {
            Fail("repeat N step DX DY, or repeat N toward X Y FACTOR");
        }
        if (next < words.size()) {
            if (words[next] != "fade" || next + 2 != words.size()) Fail("after the copies only \"fade F\" may follow");
            c.fade = Number(words[next + 1]);
        }
        blocks_.push_back({c, {}, lineNo_});
    }

    void OpenClip(const std::vector<std::string>& words)
    {
        Expect(words, 5);
        Copying c;
        c.clip = ClipBox{Number(words[1]), Number(words[2]), Number(words[3]), Number(words[4])};
        blocks_.push_back({c, {}, lineNo_});
    }

    void CloseBlock(const std::vector<std::string>& words)
    {
        Expect(words, 1);
        if (blocks_.size() == 1) Fail("\"end\" without a block");
        Block block = std::move(blocks_.back());
        blocks_.pop_back();
        std::vector<PictureOp>& into = blocks_.back().ops;
        for (int i = 0; i < block.copying.count; ++i)
            for (const PictureOp& op : block.ops) {
                PictureOp copy = Copy(op, block.copying, i);
                if (block.copying.clip)
                    copy.clip = copy.clip ? Intersect(*copy.clip, *block.copying.clip) : *block.copying.clip;
                Add(into, std::move(copy));
            }
    }

    void Add(std::vector<PictureOp>& into, PictureOp op)
    {
        if (++opCount_ > MaxOps) Fail("too many shapes once the repeats are unrolled");
        into.push_back(std::move(op));
    }

    std::vector<Rgb> Paint(const std::string& word, const DirectiveShape& shape) const
    {
        std::vector<Rgb> paint;
        std::istringstream names(word);
        for (std::string name; std::getline(names, name, '/');) {
            const auto found = colours_.find(name);
            if (found == colours_.end()) Fail("colour \"" + name + "\" is not defined");
            paint.push_back(found->second);
        }
        if (paint.size() < shape.minColours || paint.size() > shape.maxColours)
            Fail(std::string("\"") + shape.name + "\" takes " + std::to_string(shape.minColours) +
                 (shape.maxColours > shape.minColours ? " or " + std::to_string(shape.maxColours) : "") + " colours");
        return paint;
    }

    void ReadOp(const std::vector<std::string>& words)
    {
        const auto* shape = std::ranges::find_if(Directives, [&](const DirectiveShape& d) { return words[0] == d.name; });
        if (shape == std::end(Directives)) Fail("unknown directive \"" + words[0] + "\"");
        PictureOp op;
        op.kind = shape->kind;
        op.line = lineNo_;
        std::size_t at = 1;
        if (shape->maxColours > 0) {
            if (words.size() < 2) Fail(std::string("\"") + shape->name + "\" needs its paint");
            op.colours = Paint(words[1], *shape);
            at = 2;
        }
        at = ReadValues(words, at, *shape, op);
        ReadOptions(words, at, op);
        Add(blocks_.back().ops, std::move(op));
    }

    std::size_t ReadValues(const std::vector<std::string>& words, std::size_t at, const DirectiveShape& shape, PictureOp& op) const
    {
        bool optional = false;
        const auto missing = [&] { Fail(std::string("\"") + shape.name + "\" is missing values"); };
        const auto isNumber = [&](std::size_t i) {
            double v = 0;
            return i < words.size() && std::from_chars(words[i].data(), words[i].data() + words[i].size(), v).ec == std::errc();
        };
        for (const char* t = shape.takes; *t; ++t) {
            if (*t == '?') { optional = true; continue; }
            if (*t == '*') {
                while (isNumber(at) && isNumber(at + 1)) {
                    op.points.push_back({Number(words[at]), Number(words[at + 1])});
                    at += 2;
                }
                continue;
            }
            if (optional && !isNumber(at)) break;
            if (*t == 'p') {
                if (!isNumber(at) || !isNumber(at + 1)) missing();
                op.points.push_back({Number(words[at]), Number(words[at + 1])});
                at += 2;
            } else if (*t == 'l' || *t == 'v') {
                if (!isNumber(at)) missing();
                (*t == 'l' ? op.lengths : op.values).push_back(Number(words[at++]));
            } else if (*t == 'w') {
                if (at >= words.size()) missing();
                op.word = words[at++];
            } else if (*t == 's') {
                if (at >= words.size() || words[at].size() < 2 || words[at].front() != '"') missing();
                op.word = words[at].substr(1, words[at].size() - 2);
                ++at;
            }
        }
        return at;
    }

    void ReadOptions(const std::vector<std::string>& words, std::size_t at, PictureOp& op) const
    {
        const auto value = [&](std::size_t i) {
            if (i >= words.size()) Fail("\"" + words[at] + "\" needs a value");
            return Number(words[i]);
        };
        while (at < words.size()) {
            const std::string& option = words[at];
            if (option == "alpha") { op.alpha = value(at + 1); at += 2; }
            else if (option == "soft") { op.soft = value(at + 1); at += 2; }
            else if (option == "shade") { op.shade = value(at + 1); at += 2; }
            else if (option == "dir") { op.dir = value(at + 1); at += 2; }
            else if (option == "grain") {
                op.grainSeed = static_cast<std::uint32_t>(Whole(words.size() > at + 1 ? words[at + 1] : "", 0, 1 << 30));
                op.grain = value(at + 2);
                at += 3;
            } else if (option == "light") {
                op.light = {value(at + 1), value(at + 2), value(at + 3)};
                at += 4;
            } else if (option == "add") { op.add = true; ++at; }
            else if (option == "head") { op.head = true; ++at; }
            else Fail("unknown option \"" + option + "\"");
        }
        if (op.alpha < 0 || op.alpha > 1) Fail("alpha must be 0 ... 1");
        if (op.soft < 0) Fail("soft must not be negative");
        if (op.kind == PictureOpKind::Poly && op.points.size() < 3) Fail("a poly needs three points or more");
    }

    std::filesystem::path file_;
    PictureRecipe recipe_;
    std::map<std::string, Rgb> colours_;
    std::vector<Block> blocks_;
    int lineNo_ = 0;
    std::size_t opCount_ = 0;
};

}  // namespace

PictureRecipe ParsePictureRecipe(const std::string& text, const std::filesystem::path& file)
{
    return PictureParser(file).Parse(text);
}

PictureRecipe ReadPictureRecipe(const std::filesystem::path& file)
{
    return ParsePictureRecipe(ReadSourceText(file), file);
}

}  // namespace DataGen
