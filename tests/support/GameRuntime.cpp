#include "GameRuntime.h"

#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "graphics/UnitTCSC.h"
#include "platform/Application.h"
#include "platform/Audio.h"
#include "runtime/MyRandom.h"
#include "runtime/MyTime.h"
#include "runtime/MyWave.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"

namespace {

// Module state a test may have changed, back to what a fresh program holds.
void ResetProgramState()
{
    Pause = false;
    StageNo = 0;
    StageFrame = 0;
    StageClear = false;
    ClearCount = 0;
    GameOver = false;
    GameOverCount = 0;
    Score = 0;
    WaveHold = 0;
    CSCCount = CSCTableSize;
    FixedCSCCount = 0;
    ClearKeys();
}

}  // namespace

TGameRuntime::TGameRuntime(std::uint64_t seed)
{
    WriteGameFixtureSheets(folder_);
    inFolder_ = std::make_unique<TInFolder>(folder_.Path());
    ResetProgramState();
    Platform::UseClock(&clock);
    Application::Initialize(Application::TBackend::Headless);
    Audio::Open(Audio::TBackend::Silent);
    StartUnits();
    form_ = std::make_unique<TFormMain>();
    FormMain = form_.get();
    Application::CreateForm(*form_);
    RandSeed(seed);
    Audio::StartLog();
}

TGameRuntime::~TGameRuntime()
{
    form_->FormDestroy();
    FormMain = nullptr;
    form_.reset();
    StopUnits();
    Audio::Close();
    Application::Finalize();
    Platform::UseClock(nullptr);
    inFolder_.reset();
}

void TGameRuntime::PrepareStage()
{
    for (TChara* chara : AllCharas) chara->reset();
    StageFrame = 0;
    ResetCSC();
    Mine->lives += 1;
    Mine->enter();
    for (int i = 0; i < 16; ++i) Mine->update();
}

void TGameRuntime::Tick(std::int32_t n)
{
    for (std::int32_t i = 0; i < n; ++i) {
        clock.Advance(51);
        TickSlots.at(1).Callback();
    }
}

void TGameRuntime::Press(std::uint8_t key) { form_->FormKeyDown(key); }
void TGameRuntime::Release(std::uint8_t key) { form_->FormKeyUp(key); }
