// korvalen-sim: the game's own units run headless, with no display and no
// sound device, in the current folder like the game: from a seed and a key
// script it replays a run exactly and writes the state, a trace of every
// tick, and screenshots.
#include "SimOptions.h"
#include "SimReport.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "game/UnitForm.h"
#include "game/UnitFrame.h"
#include "game/UnitTitle.h"
#include "platform/Application.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/UnitMain.h"
#include "stage/UnitReadStory.h"

#include "platform/Keys.h"

#include <array>
#include <cstdio>
#include <optional>
#include <fstream>
#include <iostream>

namespace {

using namespace Sim;

// A tick as the frame loop paces it.
constexpr std::uint32_t TickMs = 51;

TWeaponStates drawnWeapons;
bool frameDrawn = false;

void RecordWeapons()
{
    drawnWeapons = {Mine->laserWidth, Mine->dark, Mine->barrier};
    frameDrawn = true;
}

TWeaponStates WeaponStates()
{
    if (frameDrawn) return drawnWeapons;
    return {Mine->laserWidth, Mine->dark, Mine->barrier};
}

TTickCallback Scene() { return TickSlots.size() > 1 ? TickSlots[1].Callback : nullptr; }

std::string SceneName()
{
    if (Scene() == TitleTick) return "title";
    if (Scene() == GameTick) return "game";
    if (Scene() == StoryTick) return "story";
    return "none";
}

// The options' ships and points replace a new game's own.
void ApplyNewGameOverrides(const TOptions& options)
{
    if (options.lives) Mine->lives = *options.lives;
    if (options.score) Score = *options.score;
}

// A stage start is a new game there; a story start is one whose stage has
// just been cleared, so its chapter shows.
void StartScene(const TOptions& options)
{
    if (options.start == TStart::Title) return;
    if (options.start == TStart::Story && options.startNumber > 9)
        throw EUsage("--start story:N: the chapters are numbered 0 to 9");
    NewGame(options.startNumber);
    ApplyNewGameOverrides(options);
    if (options.start == TStart::Story) EnterStory();
}

// Random presses and releases, from a generator of their own so that they do
// not change the game's draws: a key held is let go with chance 1/6, one up is
// pressed with chance 1/12; P rarely, and the confirm keys rarely in play but
// soon again in a pause, so that pauses stay short.
class TRandomKeys {
public:
    explicit TRandomKeys(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull | 1u) {}

    void Deliver(TFormMain& form)
    {
        for (const TKeyName& k : KeyNames) {
            bool& down = held_[k.key];
            if (down && Chance(6)) {
                form.FormKeyUp(k.key);
                down = false;
            } else if (!down && Chance(PressChance(k.key))) {
                form.FormKeyDown(k.key);
                down = true;
            }
        }
    }

private:
    static std::uint64_t PressChance(std::uint8_t key)
    {
        if (key == VK::Space || key == VK::Return) return Pause ? 10 : 500;
        return key == VK::P ? 300 : 12;
    }

    bool Chance(std::uint64_t n)
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return (state_ * 0x2545F4914F6CDD1Dull) % n == 0;
    }

    std::uint64_t state_;
    std::array<bool, 256> held_{};
};

void DeliverKeys(TFormMain& form, const TOptions& options, std::int32_t tick)
{
    const auto due = options.keys.find(tick);
    if (due == options.keys.end()) return;
    for (const TKeyEvent& e : due->second) {
        if (e.down) form.FormKeyDown(e.key);
        else form.FormKeyUp(e.key);
    }
}

// What the tick asked of the audio; the log is emptied for the next tick.
TTickSounds TakeSounds()
{
    TTickSounds sounds;
    for (const Audio::TEvent& e : Audio::Log()) {
        if (e.kind == Audio::TEventKind::Wave) sounds.sounds.emplace_back(e.name());
        else if (e.kind == Audio::TEventKind::Music) sounds.music.emplace_back(e.name());
        else if (e.kind == Audio::TEventKind::MusicStop) sounds.musicStopped = true;
    }
    Audio::StartLog();
    return sounds;
}

void WriteFile(const std::string& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw std::runtime_error("cannot write \"" + file + "\"");
}

void RunTicks(TFormMain& form, Platform::TFakeClock& clock, const TOptions& options)
{
    std::ofstream trace;
    if (!options.traceFile.empty()) {
        trace.open(options.traceFile, std::ios::binary | std::ios::trunc);
        if (!trace) throw std::runtime_error("cannot write \"" + options.traceFile + "\"");
    }
    TakeSounds();
    std::optional<TRandomKeys> randomKeys;
    if (options.randomKeys) randomKeys.emplace(*options.randomKeys);
    for (std::int32_t tick = 1; tick <= options.ticks; ++tick) {
        DeliverKeys(form, options, tick);
        if (randomKeys) randomKeys->Deliver(form);
        clock.Advance(TickMs);
        frameDrawn = false;
        const bool atTitle = Scene() == TitleTick;
        Scene()();
        if (atTitle && Scene() == GameTick) ApplyNewGameOverrides(options);
        const TTickSounds sounds = TakeSounds();
        if (trace) trace << TraceLine(tick, SceneName(), WeaponStates(), sounds);
        const auto shots = options.shots.find(tick);
        if (shots != options.shots.end())
            for (const std::string& file : shots->second) WriteShot(form.Client(), file);
    }
    if (trace && !trace.flush()) throw std::runtime_error("cannot write \"" + options.traceFile + "\"");
}

int Run(const TOptions& options)
{
    Platform::TFakeClock clock(100000);
    Platform::UseClock(&clock);
    Application::Initialize(Application::TBackend::Headless);
    Headless::AnswerYesNo(options.answerYes ? Application::IDYES : Application::IDNO);
    Audio::Open(Audio::TBackend::Silent);
    StartUnits();
    TFormMain form;
    FormMain = &form;
    OnGameFrameDrawn = RecordWeapons;
    Audio::StartLog();
    Application::CreateForm(form);
    RandSeed(options.seed);
    StartScene(options);
    RunTicks(form, clock, options);
    if (!options.stateFile.empty()) WriteFile(options.stateFile, StateJson(SceneName(), WeaponStates()));
    form.FormDestroy();
    FormMain = nullptr;
    StopUnits();
    Audio::Close();
    Application::Finalize();
    Platform::UseClock(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << Usage;
        return 0;
    }
    try {
        return Run(ParseOptions(args));
    } catch (const EUsage& e) {
        std::cerr << "korvalen-sim: " << e.what() << "\n" << Usage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "korvalen-sim: " << e.what() << "\n";
        return 1;
    }
}
