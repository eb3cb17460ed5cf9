// The application object, its one form and the message loop: the stand-ins
// for the original framework's window, messages and modal message box.
// Keys reach the form as Windows virtual-key codes.
#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <functional>
#include <string>

// The main window. Its client area is a 24-bit bitmap: whatever is drawn on
// its canvas is shown once per message pump in which something was drawn.
class TForm {
public:
    TForm();
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    // Event handlers, called by the application on the user-interface thread.
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    virtual void FormKeyDown(std::uint8_t /*key*/) {}
    virtual void FormKeyUp(std::uint8_t /*key*/) {}
    // Offered every key-down first; returning true swallows the key.
    virtual bool FormShortCut(std::uint8_t /*key*/) { return false; }
    // A message posted with Application::PostMessage.
    virtual void WndProc(std::uint32_t /*message*/) {}

    TCanvas& Canvas() { return client_.Canvas(); }
    TBitmap& Client() { return client_; }

    void SetCaption(const std::string& utf8Caption);
    const std::string& Caption() const { return caption_; }
    // Sizes the client area; the window keeps that size (no resizing, no maximising).
    void SetClientSize(std::int32_t width, std::int32_t height);
    // Centres the window on the screen.
    void CenterOnScreen();
    // Fills the client area with the colour.
    void SetColor(TColor color);

private:
    TBitmap client_;
    std::string caption_;
};

namespace Application {

enum class TBackend {
    Window,    // an SDL window on the display
    Headless,  // no display: events come from the scripted source, message boxes from answers
};

// Initialises the application with a backend; throws std::runtime_error when
// no window can be opened, naming the display asked for and what answered.
void Initialize(TBackend backend);
// The application's title (the name the desktop shows for the program).
void SetTitle(const std::string& utf8Title);
// Makes the form the main window, shows it and runs its FormCreate.
void CreateForm(TForm& form);
// The form made the main window by CreateForm, or nullptr before.
TForm* MainForm();
// Runs the message loop until the application terminates, then runs the
// form's FormDestroy.
void Run();
// Handles every pending event: keys, focus loss, close, posted messages; shows
// the client area if something was drawn on it.
void ProcessMessages();
// Posts a message to the form; it is handled in a later ProcessMessages.
void PostMessage(std::uint32_t message);
bool Terminated();
// Called when the application loses activation (the window loses focus).
void SetOnDeactivate(std::function<void()> handler);
// Closes the window and releases the backend.
void Finalize();

// Message box buttons and answers, with the original numbers.
constexpr std::int32_t MB_OK = 0;
constexpr std::int32_t MB_YESNO = 4;
constexpr std::int32_t IDOK = 1;
constexpr std::int32_t IDYES = 6;
constexpr std::int32_t IDNO = 7;
// Shows a modal message box and returns the button pressed.
std::int32_t MessageBox(const std::string& utf8Text, const std::string& utf8Caption,
                        std::int32_t flags);
// Shows a fatal error where a player can see it (a message box if a window can
// be had) and prints it on stderr.
void ShowFatalError(const std::string& utf8Text);
// Runs the body; whatever it throws is shown with ShowFatalError and gives
// status 1. Otherwise the body's status.
int RunGuarded(const std::function<int()>& body);

}  // namespace Application

// The scripted side of the headless backend.
namespace Headless {

// Called at the start of every ProcessMessages, to feed events due by now.
void SetEventSource(std::function<void()> source);
void KeyDown(std::uint8_t key);
void KeyUp(std::uint8_t key);
void Deactivate();
void Close();
// Queues the answer for the next message box (IDOK when none is queued).
void AnswerMessageBox(std::int32_t answer);
// The answer to every Yes/No box that finds no queued answer (IDNO unless set).
void AnswerYesNo(std::int32_t answer);
// How many message boxes have been shown, and the text and caption of the last.
std::uint32_t MessageBoxCount();
const std::string& LastMessageBoxText();
const std::string& LastMessageBoxCaption();
// How many times the client area has been shown.
std::uint32_t PresentCount();
// How many posted messages of this number wait to be handled.
std::size_t PendingMessages(std::uint32_t message);

}  // namespace Headless
