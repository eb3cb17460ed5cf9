#include "platform/Application.h"
#include "platform/Clock.h"
#include "runtime/MyTime.h"
#include "game/UnitForm.h"
#include "runtime/UnitGetKey.h"
#include "support/GameRuntime.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

std::vector<std::uint32_t> firings;
Platform::TFakeClock* clock = nullptr;

void RecordFiring() { firings.push_back(clock->NowMs()); }

class FrameScheduler : public ::testing::Test {
protected:
    Platform::TFakeClock fake{100000};
    void SetUp() override
    {
        clock = &fake;
        Platform::UseClock(&fake);
        firings.clear();
        TickSlots.clear();
    }
    void TearDown() override { Platform::UseClock(nullptr); }
};

TEST_F(FrameScheduler, FirstFiringComesStrictlyAfterOneInterval)
{
    RegisterTick(1, 50, RecordFiring);
    RunDueTicks(100050);
    EXPECT_TRUE(firings.empty());
    RunDueTicks(100051);
    EXPECT_EQ(firings.size(), 1u);
    RunDueTicks(100101);
    EXPECT_EQ(firings.size(), 1u) << "the next due time counts from the pass that ran it";
    RunDueTicks(100102);
    EXPECT_EQ(firings.size(), 2u);
}

TEST_F(FrameScheduler, StallIsNotCaughtUp)
{
    RegisterTick(1, 50, RecordFiring);
    RunDueTicks(105000);
    RunDueTicks(105001);
    RunDueTicks(105050);
    EXPECT_EQ(firings.size(), 1u);
    RunDueTicks(105051);
    EXPECT_EQ(firings.size(), 2u);
}

TEST_F(FrameScheduler, RegisteringBeyondTheEndGrowsTheTableWithEmptySlots)
{
    RegisterTick(5, 50, RecordFiring);
    ASSERT_EQ(TickSlots.size(), 6u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(TickSlots[i].Callback, nullptr);
        EXPECT_EQ(TickSlots[i].Interval, 0);
    }
    RunDueTicks(100051);
    EXPECT_EQ(firings.size(), 1u);
}

TEST_F(FrameScheduler, NonPositiveIntervalNeverFires)
{
    for (int interval : {0, -5}) {
        RegisterTick(1, interval, RecordFiring);
        RunDueTicks(200000);
        EXPECT_TRUE(firings.empty()) << "interval " << interval;
    }
}

TEST_F(FrameScheduler, ClockWrapIsHarmless)
{
    fake = Platform::TFakeClock(0xFFFFFFF0u);
    RegisterTick(1, 50, RecordFiring);
    RunDueTicks(0x00000022u);  // 50 ms after registration, across the wrap
    EXPECT_TRUE(firings.empty());
    RunDueTicks(0x00000023u);
    EXPECT_EQ(firings.size(), 1u);
}

TEST_F(FrameScheduler, ALastTimeLaterThanNowIsNotYetDue)
{
    struct TCase {
        std::uint32_t registeredAt, now;
        bool fires;
    };
    const TCase cases[] = {
        {100000, 99999, false},         // the clock read before the registration
        {100000, 50000, false},         // far behind: still not a huge elapsed time
        {0x00000010u, 0xFFFFFFF0u, false},  // behind, across the wrap
        {0xFFFFFFF0u, 0x00000023u, true},   // 51 ms on, across the wrap
        {100000, 100051, true},
    };
    for (const TCase& c : cases) {
        firings.clear();
        fake = Platform::TFakeClock(c.registeredAt);
        RegisterTick(1, 50, RecordFiring);
        RunDueTicks(c.now);
        EXPECT_EQ(firings.size(), c.fires ? 1u : 0u) << "registered at " << c.registeredAt << ", now " << c.now;
    }
}

TEST_F(FrameScheduler, ANegativeSlotIsAnError)
{
    const std::size_t slots = TickSlots.size();
    EXPECT_THROW(RegisterTick(-1, 50, RecordFiring), std::out_of_range);
    EXPECT_EQ(TickSlots.size(), slots) << "nothing registered";
}

void ReRegisterItself();
void ReRegisterItself()
{
    RecordFiring();
    RegisterTick(1, 50, ReRegisterItself);
}

TEST_F(FrameScheduler, LastTimeIsThePassTimeEvenAfterReRegistration)
{
    RegisterTick(1, 50, ReRegisterItself);
    fake.Advance(1000);  // registration inside the callback reads this later clock
    RunDueTicks(100051);
    EXPECT_EQ(TickSlots[1].LastTime, 100051u);
}

TEST_F(FrameScheduler, StartFrameLoopPostsOnceAndEmptiesSlotsEveryTime)
{
    Application::Initialize(Application::TBackend::Headless);
    std::vector<std::uint32_t> seen;
    struct TProbe final : TForm {
        std::vector<std::uint32_t>* seen;
        void WndProc(std::uint32_t m) override { seen->push_back(m); }
    } probe;
    probe.seen = &seen;
    Application::CreateForm(probe);
    RegisterTick(1, 50, RecordFiring);
    StartFrameLoop(probe);
    RegisterTick(1, 50, RecordFiring);
    StartFrameLoop(probe);
    EXPECT_EQ(TickSlots[1].Callback, nullptr);
    Application::ProcessMessages();
    EXPECT_EQ(seen, std::vector<std::uint32_t>{WM_FRAMELOOP});
    Application::Finalize();
}

TEST_F(FrameScheduler, LoopPollsEveryMillisecondAndEndsOnTermination)
{
    Application::Initialize(Application::TBackend::Headless);
    TForm form;
    Application::CreateForm(form);
    std::int32_t passes = 0;
    Headless::SetEventSource([&] {
        if (++passes == 200) Headless::Close();
    });
    RegisterTick(1, 50, RecordFiring);
    RunFrameLoop();
    // Each pass sleeps 1 ms on the fake clock: firings 51 ms apart.
    ASSERT_GE(firings.size(), 3u);
    EXPECT_EQ(firings[0], 100051u);
    EXPECT_EQ(firings[1] - firings[0], 51u);
    EXPECT_EQ(passes, 200);
    Application::Finalize();
}

TEST_F(FrameScheduler, FrameCounterShowsFigureThenBlankThenFigure)
{
    // First figure at once (report time starts at 0), counting this frame.
    EXPECT_EQ(CountFrame(), 1);
    struct TStep {
        std::uint32_t advance;
        std::int32_t expected;
    };
    const TStep steps[] = {
        {100, -1}, {399, -1}, {1, -2}, {100, -1}, {399, -1}, {1, 6},
    };
    for (const TStep& s : steps) {
        fake.Advance(s.advance);
        EXPECT_EQ(CountFrame(), s.expected) << "at " << fake.NowMs();
    }
}

TEST(FrameRate, PTogglesTheFigureAndHidingRestoresTheCaption)
{
    TGameRuntime runtime;
    TFormMain& form = runtime.Form();
    KeyTableKeyDown(80);
    ToggleFps();
    EXPECT_TRUE(FpsVisible);
    EXPECT_FALSE(GetKeyFlag(80)) << "the press is consumed";
    form.showFPS();
    EXPECT_EQ(form.Caption(), "1fps");
    ToggleFps();
    EXPECT_TRUE(FpsVisible) << "still held: no new press";
    KeyTableKeyUp(80);
    KeyTableKeyDown(80);
    ToggleFps();
    EXPECT_FALSE(FpsVisible);
    EXPECT_EQ(form.Caption(), "Korvalen");
}

}  // namespace
