// Korvalen: builds the application, creates the main form and runs the
// message loop. Whatever goes wrong reaches the player as a message naming
// its cause, and the program exits with status 1.
#include "platform/Application.h"
#include "platform/Audio.h"
#include "game/UnitForm.h"

#include <cstdlib>

namespace {

int RunGame()
{
    Application::Initialize(Application::TBackend::Window);
    Application::SetTitle(ApplicationTitle);
    Audio::Open(Audio::TBackend::Device);
    StartUnits();
    TFormMain form;
    FormMain = &form;
    Application::CreateForm(form);
    Application::Run();
    FormMain = nullptr;
    StopUnits();
    Audio::Close();
    Application::Finalize();
    return EXIT_SUCCESS;
}

}  // namespace

int main() { return Application::RunGuarded(RunGame); }
