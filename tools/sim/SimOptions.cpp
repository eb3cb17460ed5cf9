#include "SimOptions.h"

#include "platform/Keys.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

namespace Sim {

const char* const Usage =
    "usage: korvalen-sim [--seed N] [--start title|stage:N|story:N] [--lives N] [--score N]\n"
    "                    [--ticks N] [--keys FILE] [--random-keys SEED] [--answer yes|no]\n"
    "                    [--shot TICK:FILE]...\n"
    "                    [--state FILE] [--trace FILE]\n";

const std::vector<TKeyName> KeyNames = {
    {"Left", VK::Left}, {"Up", VK::Up}, {"Right", VK::Right}, {"Down", VK::Down}, {"Z", VK::Z},
    {"X", VK::X},       {"C", VK::C},   {"A", VK::A},         {"S", VK::S},       {"D", VK::D},
    {"P", VK::P},       {"Space", VK::Space}, {"Enter", VK::Return},
};

namespace {

template <typename T>
std::optional<T> Number(std::string_view text)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::int32_t NonNegative(const std::string& option, std::string_view text)
{
    const std::optional<std::int32_t> n = Number<std::int32_t>(text);
    if (!n || *n < 0) throw EUsage(option + " wants a whole number of 0 or more, not \"" + std::string(text) + "\"");
    return *n;
}

std::optional<std::uint8_t> KeyCode(std::string_view name)
{
    for (const TKeyName& k : KeyNames)
        if (name == k.name) return k.key;
    return std::nullopt;
}

std::string ReadText(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) throw EUsage("cannot read the key script \"" + file + "\"");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void ParseStart(const std::string& value, TOptions& options)
{
    if (value == "title") {
        options.start = TStart::Title;
        return;
    }
    const std::size_t colon = value.find(':');
    const std::string kind = value.substr(0, colon);
    if (colon == std::string::npos || (kind != "stage" && kind != "story"))
        throw EUsage("--start wants title, stage:N or story:N, not \"" + value + "\"");
    options.start = kind == "stage" ? TStart::Stage : TStart::Story;
    options.startNumber = NonNegative("--start " + kind, std::string_view(value).substr(colon + 1));
}

void ParseShot(const std::string& value, TOptions& options)
{
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos || colon + 1 == value.size())
        throw EUsage("--shot wants TICK:FILE, not \"" + value + "\"");
    const std::int32_t tick = NonNegative("--shot", std::string_view(value).substr(0, colon));
    if (tick < 1) throw EUsage("--shot: ticks are numbered from 1");
    options.shots[tick].push_back(value.substr(colon + 1));
}

}  // namespace

std::map<std::int32_t, std::vector<TKeyEvent>> ParseKeyScript(const std::string& text, const std::string& file)
{
    std::map<std::int32_t, std::vector<TKeyEvent>> events;
    std::istringstream lines(text);
    std::string line;
    for (std::int32_t number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string tick, key, rest;
        if (!(words >> tick) || tick.front() == '#') continue;
        const std::string where = file + ":" + std::to_string(number) + ": ";
        const std::optional<std::int32_t> at = Number<std::int32_t>(tick);
        if (!at || *at < 1) throw EUsage(where + "the tick is a whole number from 1, not \"" + tick + "\"");
        if (!(words >> key) || key.size() < 2 || (key[0] != '+' && key[0] != '-') || (words >> rest))
            throw EUsage(where + "want \"TICK +KEY\" or \"TICK -KEY\"");
        const std::optional<std::uint8_t> code = KeyCode(std::string_view(key).substr(1));
        if (!code)
            throw EUsage(where + "unknown key \"" + key.substr(1) +
                         "\" (Left Up Right Down Z X C A S D P Space Enter)");
        events[*at].push_back({key[0] == '+', *code});
    }
    return events;
}

TOptions ParseOptions(const std::vector<std::string>& args)
{
    TOptions options;
    static const std::vector<std::string> known = {"--seed",   "--start",       "--lives",  "--score",
                                                   "--ticks",  "--keys",        "--random-keys", "--answer",
                                                   "--shot",   "--state",       "--trace"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (std::find(known.begin(), known.end(), option) == known.end())
            throw EUsage("unknown option \"" + option + "\"");
        if (i + 1 >= args.size()) throw EUsage(option + " wants a value");
        const std::string& value = args[++i];
        if (option == "--seed") {
            const std::optional<std::uint64_t> seed = Number<std::uint64_t>(value);
            if (!seed) throw EUsage("--seed wants a whole number, not \"" + value + "\"");
            options.seed = *seed;
        } else if (option == "--start") {
            ParseStart(value, options);
        } else if (option == "--lives") {
            options.lives = NonNegative(option, value);
        } else if (option == "--score") {
            options.score = NonNegative(option, value);
        } else if (option == "--ticks") {
            options.ticks = NonNegative(option, value);
        } else if (option == "--keys") {
            options.keys = ParseKeyScript(ReadText(value), value);
        } else if (option == "--random-keys") {
            const std::optional<std::uint64_t> seed = Number<std::uint64_t>(value);
            if (!seed) throw EUsage("--random-keys wants a whole number, not \"" + value + "\"");
            options.randomKeys = *seed;
        } else if (option == "--answer") {
            if (value != "yes" && value != "no") throw EUsage("--answer wants yes or no, not \"" + value + "\"");
            options.answerYes = value == "yes";
        } else if (option == "--shot") {
            ParseShot(value, options);
        } else if (option == "--state") {
            options.stateFile = value;
        } else {
            options.traceFile = value;
        }
    }
    return options;
}

}  // namespace Sim
