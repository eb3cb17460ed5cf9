// What a tick of the game costs with every pool full and everything on
// screen, split into its logic and its drawing; start-up to the first title
// frame; and ticks per second over a whole stage, headless. Run from the
// build folder's dat/ (the generated data).
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTBomb.h"
#include "chara/UnitTShot.h"
#include "game/UnitForm.h"
#include "game/UnitFrame.h"
#include "platform/Application.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Keys.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"
#include "stage/UnitReadStory.h"
#include "stage/UnitStage.h"
#include "stage/UnitStory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// The game started headless in the build folder, the way the game starts it.
class TBenchGame {
public:
    explicit TBenchGame(Audio::TBackend audio = Audio::TBackend::Silent)
    {
        std::filesystem::current_path(KORVALEN_BUILD_DIR);
        Platform::UseClock(&clock);
        Application::Initialize(Application::TBackend::Headless);
        Audio::Open(audio);
        StartUnits();
        form = std::make_unique<TFormMain>();
        FormMain = form.get();
        Application::CreateForm(*form);
        RandSeed(1);
    }
    ~TBenchGame()
    {
        form->FormDestroy();
        FormMain = nullptr;
        form.reset();
        StopUnits();
        Audio::Close();
        Application::Finalize();
        Platform::UseClock(nullptr);
    }
    void Tick()
    {
        clock.Advance(51);
        TickSlots.at(1).Callback();
    }

    Platform::TFakeClock clock{100000};
    std::unique_ptr<TFormMain> form;
};

// Every pool full, everything on screen and alive: 128 enemies that do not
// die, 128 explosions, 64 player bullets, 128 enemy bullets, the friend and
// the player (hittable, but no bullet on it).
void FillPools()
{
    for (std::size_t i = 0; i < MaxEnemies; ++i) {
        TEnemy& e = *Enemies[i];
        e.spawnKind(std::uint8_t(i % 10), 140 + std::int32_t(i % 16) * 15, 140 + std::int32_t(i / 16) * 30);
        e.hp = 1000000;
    }
    for (std::size_t i = 0; i < MaxBombs; ++i)
        explode(i % 2 ? "bom01" : "bom02", 140 + std::int32_t(i % 16) * 15, 150 + std::int32_t(i / 16) * 30, 0, 0);
    for (std::size_t i = 0; i < MaxShots; ++i)
        Shots[i]->launch(136 + std::int32_t(i % 16) * 15, 300 + std::int32_t(i / 16) * 20, 0, 0, 0, 0, 1);
    for (std::size_t i = 0; i < MaxEShots; ++i)
        EShots[i]->launch(138 + std::int32_t(i % 16) * 15, 390 + std::int32_t(i / 16) * 18, 0, 0, 0, 0, 1);
    spawnFriend();
    Friend->x = 300;
    Friend->y = 520;
    Mine->x = 200;
    Mine->y = 530;
    Mine->invulnFrames = 0;
    Mine->entering = false;
}

// A game started and in stage 0's waves. Each benchmark starts its own: the
// game's units are module-wide, so two cannot live at once.
void StartPlaying()
{
    NewGame(0);
    StageFrame = 100;
}

// Timetable, player, every character's update and both collision passes.
void BM_FullPoolTickLogic(benchmark::State& state)
{
    TBenchGame game;
    StartPlaying();
    KeyTableKeyDown(VK::Z);
    KeyTableKeyDown(VK::X);
    for (auto _ : state) {
        state.PauseTiming();
        FillPools();
        state.ResumeTiming();
        StageStep();
        Mine->recharge();
        playerControl();
        MoveAll();
        HitWeapons();
        HitMine();
        Mine->endFrame();
    }
    ClearKeys();
}
BENCHMARK(BM_FullPoolTickLogic)->Unit(benchmark::kMicrosecond);

// The playfield, the side panel and the frame rate, with every pool full.
void BM_FullPoolTickDrawing(benchmark::State& state)
{
    TBenchGame game;
    StartPlaying();
    FillPools();
    Mine->laserWidth = 10;
    Mine->barrier = true;
    for (auto _ : state) DrawGameFrame();
    Mine->laserWidth = 0;
    Mine->barrier = false;
}
BENCHMARK(BM_FullPoolTickDrawing)->Unit(benchmark::kMicrosecond);

// The story's heaviest tick: a six-line page whose last line starts to fade
// in, 86 pairs of ghost copies under five lines and a picture.
void BM_StoryTickOnAFullPage(benchmark::State& state)
{
    TBenchGame game;
    NewGame(5);
    EnterStory();
    while (std::any_of(PageLines.begin(), PageLines.end(), [](std::string_view l) { return l.empty(); })) NextPage();
    for (auto _ : state) {
        LinesShown = 5;
        LineFade = 0;
        StoryTick();
    }
}
BENCHMARK(BM_StoryTickOnAFullPage)->Unit(benchmark::kMicrosecond);

// From nothing to the title's first tick: units, window (headless), sound
// effects, sprite sheets, the title; with the audio device and soundfont.
void BM_StartUpToTheTitle(benchmark::State& state)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    for (auto _ : state) {
        TBenchGame game(Audio::TBackend::Device);
        game.Tick();
    }
}
BENCHMARK(BM_StartUpToTheTitle)->Unit(benchmark::kMillisecond)->Iterations(5);

// Headless play of stage 0 from its start to its boss, the main shot held.
void BM_HeadlessStage(benchmark::State& state)
{
    TBenchGame game;
    std::int64_t ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        NewGame(0);
        Mine->lives = 1000;
        KeyTableKeyDown(VK::Z);
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i) game.Tick();
        ticks += 1000;
    }
    ClearKeys();
    state.counters["ticks_per_second"] = benchmark::Counter(double(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HeadlessStage)->Unit(benchmark::kMillisecond);

}  // namespace
