#include "UnitMain.h"

#include "UnitGetKey.h"
#include "platform/Application.h"

bool Pause = false;
std::int32_t StageNo = 0;
std::int32_t StageFrame = 0;
bool StageClear = false;
std::int32_t ClearCount = 0;
bool GameOver = false;
std::int32_t GameOverCount = 0;
std::int32_t Score = 0;

void BeginStageClear()
{
    StageClear = true;
    ClearCount = StageClearTicks;
}

void BeginGameOver()
{
    GameOverCount = GameOverTicks;
    GameOver = true;
}

std::int32_t AskUser(const std::string& text, const std::string& caption, std::int32_t flags)
{
    // The key that led to the question must not act again once the box closes.
    ClearKeys();
    return Application::MessageBox(text, caption, flags);
}
