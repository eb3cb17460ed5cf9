#include "platform/Application.h"
#include "runtime/UnitGetKey.h"
#include "runtime/UnitMain.h"

#include <gtest/gtest.h>

namespace {

TEST(GameState, EndOfStageModesStartTheirCountdowns)
{
    BeginStageClear();
    EXPECT_TRUE(StageClear);
    EXPECT_EQ(ClearCount, 140);
    BeginGameOver();
    EXPECT_TRUE(GameOver);
    EXPECT_EQ(GameOverCount, 200);
}

TEST(GameState, AskUserReleasesKeysAndReturnsTheAnswer)
{
    Application::Initialize(Application::TBackend::Headless);
    KeyTableKeyDown(32);
    KeyTableKeyDown(90);
    Headless::AnswerMessageBox(Application::IDYES);
    EXPECT_EQ(AskUser("Go on?", "Korvalen", Application::MB_YESNO), Application::IDYES);
    EXPECT_FALSE(GetKeyFlag(32));
    EXPECT_FALSE(KeyHeld[90]);
    EXPECT_EQ(Headless::LastMessageBoxText(), "Go on?");
    EXPECT_EQ(Headless::LastMessageBoxCaption(), "Korvalen");
    EXPECT_EQ(AskUser("Go on?", "Korvalen", Application::MB_YESNO), Application::IDNO)
        << "an unanswered question is No";
    EXPECT_EQ(AskUser("warning", "UnitTCSC", Application::MB_OK), Application::IDOK);
    Application::Finalize();
}

}  // namespace
