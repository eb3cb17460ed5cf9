#include "platform/Application.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "runtime/MyTime.h"
#include "game/UnitForm.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"
#include "support/GameRuntime.h"
#include "support/WindowStart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

class MainForm : public ::testing::Test {
protected:
    TGameRuntime runtime;
    Platform::TFakeClock& clock = runtime.clock;
    TFormMain& form = runtime.Form();

    // Runs the posted frame loop for n passes of its message pump, then closes the window.
    void RunPasses(std::int32_t n, std::function<void(std::int32_t)> script = nullptr)
    {
        std::int32_t pass = 0;
        Headless::SetEventSource([&] {
            ++pass;
            if (script) script(pass);
            if (pass == n) Headless::Close();
        });
        Application::ProcessMessages();
        Headless::SetEventSource(nullptr);
    }
};

TEST_F(MainForm, CreationGivesABlack416WindowAndPostsTheFrameLoop)
{
    EXPECT_EQ(form.Caption(), "Korvalen");
    ASSERT_EQ(form.Client().Width(), 416);
    ASSERT_EQ(form.Client().Height(), 416);
    for (std::int32_t y = 0; y < 416; y += 37)
        for (std::int32_t x = 0; x < 416; x += 41) EXPECT_EQ(form.Canvas().Pixel(x, y), clBlack);
    EXPECT_EQ(Headless::PendingMessages(WM_FRAMELOOP), 1u) << "the frame loop is posted once";
}

TEST_F(MainForm, TheClientIsShownOncePerPumpInWhichSomethingWasDrawn)
{
    std::vector<std::uint32_t> shownAtPass;
    RunPasses(4, [&](std::int32_t pass) {
        shownAtPass.push_back(Headless::PresentCount());
        if (pass == 2) {
            form.Canvas().FillRect({0, 0, 10, 10});
            form.Canvas().FillRect({10, 0, 20, 10});
        }
    });
    ASSERT_EQ(shownAtPass.size(), 4u);
    EXPECT_EQ(shownAtPass[1], shownAtPass[0]) << "nothing drawn, nothing shown";
    EXPECT_EQ(shownAtPass[2], shownAtPass[1] + 1) << "two drawings, shown once";
    EXPECT_EQ(shownAtPass[3], shownAtPass[2]);
}

TEST_F(MainForm, FrameLoopRunsUntilTheWindowClosesThenTheFormIsDestroyed)
{
    std::int32_t passes = 0;
    Headless::SetEventSource([&] {
        if (++passes == 120) Headless::Close();
    });
    Audio::StartLog();
    Application::Run();
    EXPECT_EQ(passes, 120) << "the frame loop pumped the messages";
    EXPECT_TRUE(Application::Terminated());
    ASSERT_FALSE(Audio::Log().empty());
    EXPECT_EQ(Audio::Log().back().kind, Audio::TEventKind::MusicStop) << "shut-down stops the music";
}

TEST_F(MainForm, AltAndF10AreSwallowedOtherKeysReachTheKeyTable)
{
    for (std::uint8_t key : {std::uint8_t(18), std::uint8_t(121), std::uint8_t(90)}) Headless::KeyDown(key);
    RunPasses(2);
    EXPECT_FALSE(GetKeyFlag(18));
    EXPECT_FALSE(GetKeyFlag(121));
    EXPECT_TRUE(GetKeyFlag(90));
}

TEST_F(MainForm, LosingActivationPausesAndReleasesKeys)
{
    RunPasses(3, [](std::int32_t pass) {
        if (pass == 1) Headless::KeyDown(37);
        if (pass == 2) Headless::Deactivate();
    });
    EXPECT_TRUE(Pause);
    EXPECT_FALSE(GetKeyFlag(37));
    EXPECT_FALSE(KeyHeld[37]);
}

TEST_F(MainForm, FrameRateCaptionFollowsTheCounter)
{
    FpsVisible = true;
    form.showFPS();
    EXPECT_EQ(form.Caption(), "1fps");
    clock.Advance(600);
    form.showFPS();
    EXPECT_EQ(form.Caption(), "");
    clock.Advance(500);
    form.showFPS();
    EXPECT_EQ(form.Caption(), "2fps") << "frames drawn since the last figure";
    for (int i = 0; i < 3; ++i) form.showFPS();
    EXPECT_EQ(form.Caption(), "2fps") << "the figure stays until blanked";
}

struct TDisplaySetting {
    const char* what;
    std::vector<std::pair<std::string, std::string>> environment;
    const char* message;  // how the error starts; null when the window backend starts
};

// The error names the display asked for and what answered there, and SDL's
// complaints about drivers the game does not use stay off stderr.
TEST(EntryPoint, NoDisplayIsAnErrorNotAnInvisibleGame)
{
    const std::vector<TDisplaySetting> settings = {
        {"no display variable", {}, "cannot open a window: no display is set"},
        {"an X display no server serves", {{"DISPLAY", ":999"}},
         "cannot open the display \":999\": no X server answers there"},
        {"a name that is no X display", {{"DISPLAY", "nowhere"}},
         "cannot open the display \"nowhere\": that is not an X display name"},
        {"a Wayland display no compositor serves",
         {{"WAYLAND_DISPLAY", "korvalen-no-compositor"}, {"XDG_RUNTIME_DIR", testing::TempDir()}},
         "cannot open the display \"korvalen-no-compositor\": no Wayland compositor answers at"},
        {"the dummy driver asked for by name", {{"SDL_VIDEODRIVER", "dummy"}}, nullptr},
    };
    for (const TDisplaySetting& setting : settings) {
        SCOPED_TRACE(setting.what);
        for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) unsetenv(name);
        for (const auto& [name, value] : setting.environment) setenv(name.c_str(), value.c_str(), 1);
        const TWindowStart start = TryToOpenTheWindow();
        if (setting.message) EXPECT_TRUE(start.error.starts_with(setting.message)) << start.error;
        else EXPECT_EQ(start.error, "");
        EXPECT_EQ(start.printed.find("XDG_RUNTIME_DIR"), std::string::npos) << start.printed;
    }
}

TEST(EntryPoint, AnEscapingErrorIsShownAndGivesStatusOne)
{
    Application::Initialize(Application::TBackend::Headless);
    testing::internal::CaptureStderr();
    const int status = Application::RunGuarded([]() -> int { throw ELoadError("dat/sideback.bmp", "missing"); });
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("dat/sideback.bmp"), std::string::npos) << err;
    EXPECT_NE(Headless::LastMessageBoxText().find("dat/sideback.bmp"), std::string::npos);
    EXPECT_EQ(Application::RunGuarded([] { return 0; }), 0);
    Application::Finalize();
}

}  // namespace
