#include "SynthRecipe.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>

namespace DataGen {

namespace {

struct LineError {
    std::string what;
};

double ParseNumber(const std::string& word)
{
    if (word.empty()) throw LineError{"missing number"};
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size() || !std::isfinite(value))
        throw LineError{"not a number: \"" + word + "\""};
    return value;
}

double ParsePositive(const std::string& word)
{
    const double value = ParseNumber(word);
    if (value <= 0) throw LineError{"must be above zero: \"" + word + "\""};
    return value;
}

Sweep ParseSweep(const std::vector<std::string>& args)
{
    if (args.empty() || args.size() > 2) throw LineError{"expects one or two values"};
    const double from = ParsePositive(args[0]);
    const double to = args.size() == 2 ? ParsePositive(args[1]) : from;
    return Sweep{from, to, true};
}

Wave ParseWave(const std::vector<std::string>& args)
{
    static const std::map<std::string, Wave> kWaves{
        {"sine", Wave::Sine}, {"square", Wave::Square}, {"saw", Wave::Saw},
        {"triangle", Wave::Triangle}, {"noise", Wave::Noise}};
    if (args.size() != 1) throw LineError{"layer expects one wave name"};
    const auto it = kWaves.find(args[0]);
    if (it == kWaves.end()) throw LineError{"unknown wave \"" + args[0] + "\""};
    return it->second;
}

std::pair<std::string, std::string> SplitPair(const std::string& word)
{
    const auto colon = word.find(':');
    if (colon == std::string::npos) throw LineError{"expected a:b, got \"" + word + "\""};
    return {word.substr(0, colon), word.substr(colon + 1)};
}

std::vector<EnvPoint> ParseEnvelope(const std::vector<std::string>& args)
{
    if (args.empty()) throw LineError{"env needs time:level points"};
    std::vector<EnvPoint> points;
    for (const auto& word : args) {
        const auto [time, level] = SplitPair(word);
        const EnvPoint point{ParseNumber(time), ParseNumber(level)};
        if (point.time < 0 || point.level < 0) throw LineError{"env values must not be negative"};
        if (!points.empty() && point.time < points.back().time)
            throw LineError{"env times must not go backwards"};
        points.push_back(point);
    }
    return points;
}

void ParseTune(Layer& layer, const std::vector<std::string>& args)
{
    if (args.size() < 2) throw LineError{"notes needs seconds per beat and note:beats"};
    layer.beatSeconds = ParsePositive(args[0]);
    for (std::size_t i = 1; i < args.size(); ++i) {
        const auto [name, beats] = SplitPair(args[i]);
        const double frequency = name == "r" ? 0 : NoteFrequency(name);
        if (frequency < 0) throw LineError{"not a note: \"" + name + "\""};
        layer.tune.push_back(TuneNote{frequency, ParsePositive(beats)});
    }
}

std::vector<Hit> ParseHits(const std::vector<std::string>& args)
{
    if (args.empty()) throw LineError{"hits needs time:level pairs"};
    std::vector<Hit> hits;
    for (const auto& word : args) {
        const auto [time, level] = SplitPair(word);
        const Hit hit{ParseNumber(time), ParseNumber(level)};
        if (hit.time < 0 || hit.level < 0) throw LineError{"hits must not be negative"};
        hits.push_back(hit);
    }
    return hits;
}

double One(const std::vector<std::string>& args)
{
    if (args.size() != 1) throw LineError{"expects one value"};
    return ParseNumber(args[0]);
}

double OnePositive(const std::vector<std::string>& args)
{
    if (args.size() != 1) throw LineError{"expects one value"};
    return ParsePositive(args[0]);
}

void ParseGrain(Layer& layer, const std::vector<std::string>& args)
{
    if (args.size() != 2) throw LineError{"grain expects rate and depth"};
    layer.grainRate = ParsePositive(args[0]);
    layer.grainDepth = ParseNumber(args[1]);
    if (layer.grainDepth < 0 || layer.grainDepth > 1) throw LineError{"grain depth must lie between 0 and 1"};
}

int ParseRolloff(const std::vector<std::string>& args)
{
    const double slope = One(args);
    if (slope != 12 && slope != 24) throw LineError{"rolloff is 12 or 24"};
    return static_cast<int>(slope);
}

void ApplyLayerDirective(Layer& layer, const std::string& key, const std::vector<std::string>& args)
{
    if (key == "start") layer.start = One(args);
    else if (key == "length") layer.length = One(args);
    else if (key == "pitch") layer.pitch = ParseSweep(args);
    else if (key == "notes") ParseTune(layer, args);
    else if (key == "duty") layer.duty = ParseSweep(args);
    else if (key == "vibrato") {
        if (args.size() != 2) throw LineError{"vibrato expects rate and depth"};
        layer.vibratoRate = ParseNumber(args[0]);
        layer.vibratoDepth = ParseNumber(args[1]);
    }
    else if (key == "env") layer.envelope = ParseEnvelope(args);
    else if (key == "lowpass") layer.lowpass = ParseSweep(args);
    else if (key == "highpass") layer.highpass = ParseSweep(args);
    else if (key == "resonance") layer.resonance = OnePositive(args);
    else if (key == "rolloff") layer.rolloff = ParseRolloff(args);
    else if (key == "drive") layer.drive = OnePositive(args);
    else if (key == "grain") ParseGrain(layer, args);
    else if (key == "release") layer.release = One(args);
    else if (key == "hits") layer.hits = ParseHits(args);
    else if (key == "gain") layer.gain = One(args);
    else if (key == "seed") layer.seed = static_cast<std::uint32_t>(OnePositive(args));
    else throw LineError{"unknown directive \"" + key + "\""};
    if (layer.start < 0) throw LineError{"start must not be negative"};
    if (layer.release < 0) throw LineError{"release must not be negative"};
    if (layer.duty.from >= 1 || layer.duty.to >= 1) throw LineError{"duty must be below 1"};
}

void ApplyDirective(Recipe& recipe, const std::string& key, const std::vector<std::string>& args)
{
    if (key == "layer") {
        recipe.layers.push_back(Layer{});
        recipe.layers.back().wave = ParseWave(args);
        recipe.layers.back().seed = static_cast<std::uint32_t>(recipe.layers.size());
    }
    else if (recipe.layers.empty()) {
        if (key == "length") recipe.length = OnePositive(args);
        else if (key == "peak") recipe.peak = OnePositive(args);
        else if (key == "fade") recipe.fade = One(args);
        else if (key == "drive") recipe.drive = OnePositive(args);
        else throw LineError{"\"" + key + "\" belongs inside a layer, or is unknown"};
    }
    else ApplyLayerDirective(recipe.layers.back(), key, args);
}

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

}  // namespace

double NoteFrequency(const std::string& name)
{
    static const std::map<char, int> kSteps{{'c', 0}, {'d', 2}, {'e', 4}, {'f', 5},
                                            {'g', 7}, {'a', 9}, {'b', 11}};
    if (name.size() < 2) return -1;
    const auto step = kSteps.find(name[0]);
    if (step == kSteps.end()) return -1;
    int semitone = step->second;
    std::size_t pos = 1;
    if (name[pos] == '+') { ++semitone; ++pos; }
    else if (name[pos] == '-') { --semitone; ++pos; }
    if (pos + 1 != name.size() || name[pos] < '0' || name[pos] > '9') return -1;
    const int midiKey = (name[pos] - '0' + 1) * 12 + semitone;
    return 440.0 * std::pow(2.0, (midiKey - 69) / 12.0);
}

Recipe ParseRecipe(const std::string& text, const std::string& sourceName)
{
    Recipe recipe;
    std::istringstream in(text);
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        auto words = Words(line);
        if (words.empty()) continue;
        const std::string key = words.front();
        words.erase(words.begin());
        try {
            ApplyDirective(recipe, key, words);
        } catch (const LineError& e) {
            throw std::runtime_error(sourceName + ":" + std::to_string(lineNo) + ": " + e.what);
        }
    }
    if (recipe.length <= 0) throw std::runtime_error(sourceName + ": no length given");
    if (recipe.layers.empty()) throw std::runtime_error(sourceName + ": no layer given");
    if (recipe.peak > 1) throw std::runtime_error(sourceName + ": peak above full scale");
    return recipe;
}

}  // namespace DataGen
