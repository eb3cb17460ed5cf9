// The headless driver's command line and key script.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Sim {

// A fault in the arguments or the key script: the driver exits with status 2.
class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TStart { Title, Stage, Story };

struct TKeyEvent {
    bool down;
    std::uint8_t key;  // virtual-key code
};

struct TOptions {
    std::uint64_t seed = 1;
    TStart start = TStart::Title;
    std::int32_t startNumber = 0;
    std::optional<std::int32_t> lives;
    std::optional<std::int32_t> score;
    std::int32_t ticks = 0;
    std::map<std::int32_t, std::vector<TKeyEvent>> keys;  // by the tick they are delivered before
    std::optional<std::uint64_t> randomKeys;  // the seed of random presses and releases
    bool answerYes = false;
    std::map<std::int32_t, std::vector<std::string>> shots;  // by the tick after which they are taken
    std::string stateFile;
    std::string traceFile;
};

// Throws EUsage with a message that names the faulty argument or line.
TOptions ParseOptions(const std::vector<std::string>& args);
// The keys a key script may name, with their virtual-key codes.
struct TKeyName {
    const char* name;
    std::uint8_t key;
};
extern const std::vector<TKeyName> KeyNames;

// Lines "TICK +KEY" or "TICK -KEY"; blank lines and lines starting with # are skipped.
std::map<std::int32_t, std::vector<TKeyEvent>> ParseKeyScript(const std::string& text, const std::string& file);

extern const char* const Usage;

}  // namespace Sim
