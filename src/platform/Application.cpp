// The application: an SDL window with its message pump, or the headless
// stand-in that takes its events from a script.
#include "Application.h"

#include "Displays.h"
#include "Fonts.h"
#include "Keys.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <stdexcept>
#include <thread>

namespace {

constexpr const char* IconPath = "dat/icon.bmp";

enum class THeadlessEventKind { KeyDown, KeyUp, Deactivate, Close };
struct THeadlessEvent {
    THeadlessEventKind kind;
    std::uint8_t key;
};

struct TState {
    Application::TBackend backend = Application::TBackend::Headless;
    bool initialized = false;
    TForm* form = nullptr;
    bool terminated = false;
    std::function<void()> onDeactivate;
    std::deque<std::uint32_t> posted;
    std::uint32_t presentedGeneration = 0;
    bool exposed = false;

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    std::int32_t textureWidth = 0, textureHeight = 0;

    std::function<void()> eventSource;
    std::deque<THeadlessEvent> events;
    std::deque<std::int32_t> answers;
    std::int32_t yesNoAnswer = Application::IDNO;
    std::string lastBoxText, lastBoxCaption;
    std::uint32_t boxCount = 0;
    std::uint32_t presentCount = 0;
};

TState state;

bool Windowed() { return state.backend == Application::TBackend::Window && state.window; }

std::uint8_t SdlKeyToVk(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) return std::uint8_t('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return std::uint8_t('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return std::uint8_t(VK::F1 + (key - SDLK_F1));
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK::Return;
    case SDLK_SPACE: return VK::Space;
    case SDLK_LEFT: return VK::Left;
    case SDLK_UP: return VK::Up;
    case SDLK_RIGHT: return VK::Right;
    case SDLK_DOWN: return VK::Down;
    case SDLK_ESCAPE: return VK::Escape;
    case SDLK_LALT:
    case SDLK_RALT: return VK::Menu;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK::Control;
    case SDLK_TAB: return 9;
    case SDLK_BACKSPACE: return 8;
    default: return 0;
    }
}

void KeyDown(std::uint8_t vk)
{
    if (vk == 0 || !state.form) return;
    if (!state.form->FormShortCut(vk)) state.form->FormKeyDown(vk);
}

void KeyUp(std::uint8_t vk)
{
    if (vk != 0 && state.form) state.form->FormKeyUp(vk);
}

void Deactivated()
{
    if (state.onDeactivate) state.onDeactivate();
}

void PresentWindow(TBitmap& client)
{
    if (client.Width() == 0 || client.Height() == 0) return;
    if (!state.texture || state.textureWidth != client.Width() || state.textureHeight != client.Height()) {
        if (state.texture) SDL_DestroyTexture(state.texture);
        state.texture = SDL_CreateTexture(state.renderer, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                                          client.Width(), client.Height());
        if (!state.texture) throw std::runtime_error(std::string("cannot draw the window: ") + SDL_GetError());
        state.textureWidth = client.Width();
        state.textureHeight = client.Height();
    }
    SDL_UpdateTexture(state.texture, nullptr, client.Pixels().data(), client.Width() * 3);
    SDL_RenderCopy(state.renderer, state.texture, nullptr, nullptr);
    SDL_RenderPresent(state.renderer);
}

// Shows the client area when something was drawn on it since the last time.
void PresentIfDrawn()
{
    if (!state.form) return;
    TBitmap& client = state.form->Client();
    if (client.Generation() == state.presentedGeneration && !state.exposed) return;
    state.presentedGeneration = client.Generation();
    state.exposed = false;
    ++state.presentCount;
    if (Windowed()) PresentWindow(client);
}

void HandleWindowEvent(const SDL_WindowEvent& e)
{
    switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST: Deactivated(); break;
    case SDL_WINDOWEVENT_EXPOSED: state.exposed = true; break;
    case SDL_WINDOWEVENT_CLOSE: state.terminated = true; break;
    default: break;
    }
}

void PumpSdlEvents()
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT: state.terminated = true; break;
        case SDL_KEYDOWN: KeyDown(SdlKeyToVk(e.key.keysym.sym)); break;
        case SDL_KEYUP: KeyUp(SdlKeyToVk(e.key.keysym.sym)); break;
        case SDL_WINDOWEVENT: HandleWindowEvent(e.window); break;
        default: break;
        }
    }
}

void PumpHeadlessEvents()
{
    if (state.eventSource) state.eventSource();
    while (!state.events.empty()) {
        const THeadlessEvent e = state.events.front();
        state.events.pop_front();
        switch (e.kind) {
        case THeadlessEventKind::KeyDown: KeyDown(e.key); break;
        case THeadlessEventKind::KeyUp: KeyUp(e.key); break;
        case THeadlessEventKind::Deactivate: Deactivated(); break;
        case THeadlessEventKind::Close: state.terminated = true; break;
        }
    }
}

void DispatchPosted()
{
    while (!state.posted.empty() && state.form) {
        const std::uint32_t message = state.posted.front();
        state.posted.pop_front();
        state.form->WndProc(message);
    }
}

// The window icon: dat/icon.bmp, its top-left pixel's colour transparent.
void SetWindowIcon()
{
    TBitmap icon;
    try {
        icon.LoadFromFile(IconPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvalen: no window icon (%s)\n", e.what());
        return;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, icon.Width(), icon.Height(), 24, SDL_PIXELFORMAT_BGR24);
    if (!surface) return;
    for (std::int32_t y = 0; y < icon.Height(); ++y) {
        auto* row = static_cast<std::uint8_t*>(surface->pixels) + std::size_t(y) * std::size_t(surface->pitch);
        const auto pixels = icon.Row(y);
        SDL_memcpy(row, pixels.data(), pixels.size_bytes());
    }
    const TPixel key = icon.Row(0)[0];
    SDL_SetColorKey(surface, SDL_TRUE, SDL_MapRGB(surface->format, key.r, key.g, key.b));
    SDL_SetWindowIcon(state.window, surface);
    SDL_FreeSurface(surface);
}

void CreateWindow(TForm& form)
{
    const std::int32_t w = form.Client().Width() > 0 ? form.Client().Width() : 416;
    const std::int32_t h = form.Client().Height() > 0 ? form.Client().Height() : 416;
    state.window = SDL_CreateWindow(form.Caption().c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h,
                                    SDL_WINDOW_HIDDEN);
    if (!state.window) throw std::runtime_error(std::string("cannot open the window: ") + SDL_GetError());
    // A 416 × 416 picture a frame needs no GPU: the software renderer draws
    // into the window's own framebuffer (not one emulated through GL), so no
    // GL driver is loaded at all, which halves the memory the game takes.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    state.renderer = SDL_CreateRenderer(state.window, -1, SDL_RENDERER_SOFTWARE);
    if (!state.renderer) throw std::runtime_error(std::string("cannot draw in the window: ") + SDL_GetError());
    SetWindowIcon();
}

std::int32_t ShowSdlMessageBox(const std::string& text, const std::string& caption, std::int32_t flags)
{
    const bool yesNo = flags == Application::MB_YESNO;
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, Application::IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, Application::IDNO, "No"},
    };
    const SDL_MessageBoxButtonData okButton[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, Application::IDOK, "OK"},
    };
    const SDL_MessageBoxData box{
        yesNo ? SDL_MESSAGEBOX_INFORMATION : SDL_MESSAGEBOX_WARNING,
        state.window,
        caption.c_str(),
        text.c_str(),
        yesNo ? 2 : 1,
        yesNo ? yesNoButtons : okButton,
        nullptr,
    };
    int pressed = yesNo ? Application::IDNO : Application::IDOK;
    if (SDL_ShowMessageBox(&box, &pressed) != 0 || pressed < 0)
        pressed = yesNo ? Application::IDNO : Application::IDOK;
    return pressed;
}

constexpr auto DisplayRetryTime = std::chrono::seconds(2);
constexpr auto DisplayRetryPause = std::chrono::milliseconds(20);
constexpr const char* DefaultWaylandDisplay = "wayland-0";

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Lowercase(std::string text)
{
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::runtime_error DisplayError(const std::string& display, const std::string& answer)
{
    return std::runtime_error("cannot open the display \"" + display + "\": " + answer);
}

// Holding a connection of our own keeps a busy X server from resetting while
// SDL connects. A server that cuts connections short is tried again for a
// moment; one that is not there fails at once.
void InitX11Video(const std::string& display)
{
    if (display.empty()) throw std::runtime_error("cannot open a window: no display is set (DISPLAY is empty)");
    const auto giveUp = std::chrono::steady_clock::now() + DisplayRetryTime;
    for (;;) {
        const TX11Connection held(display);
        if (held.Connected()) {
            if (SDL_Init(SDL_INIT_VIDEO) == 0) return;
            throw DisplayError(display, SDL_GetError());
        }
        if (!held.CutShort() || std::chrono::steady_clock::now() >= giveUp)
            throw DisplayError(display, held.Failure());
        std::this_thread::sleep_for(DisplayRetryPause);
    }
}

// A Wayland compositor does not drop new clients the way a resetting X
// server does: one try.
void InitWaylandVideo(const std::string& display)
{
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return;
    const std::string failure = WaylandFailure(display);
    throw DisplayError(display, failure.empty() ? SDL_GetError() : failure);
}

void InitRequestedVideo(const std::string& driver)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        throw std::runtime_error("cannot open a window with the \"" + driver + "\" video driver: " + SDL_GetError());
}

// SDL's driver for the display the environment names, asked for by name. Left
// to itself SDL tries its drivers in turn (printing the complaints of those it
// does not use) and, when the display does not answer, ends on one that draws
// nowhere: a game running unseen would look like a hang. Only an explicit
// SDL_VIDEODRIVER gets such a driver.
void InitVideo()
{
    const std::string requested = Lowercase(Environment("SDL_VIDEODRIVER"));
    const std::string x11 = Environment("DISPLAY"), wayland = Environment("WAYLAND_DISPLAY");
    const std::string driver = !requested.empty() ? requested : !x11.empty() ? "x11" : !wayland.empty() ? "wayland" : "";
    if (driver.empty())
        throw std::runtime_error("cannot open a window: no display is set (neither DISPLAY nor WAYLAND_DISPLAY)");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver.c_str());
    if (driver == "x11") InitX11Video(x11);
    else if (driver == "wayland") InitWaylandVideo(wayland.empty() ? DefaultWaylandDisplay : wayland);
    else InitRequestedVideo(driver);
}

}  // namespace

TForm::TForm() = default;
TForm::~TForm() = default;

void TForm::SetCaption(const std::string& utf8Caption)
{
    caption_ = utf8Caption;
    if (this == state.form && Windowed()) SDL_SetWindowTitle(state.window, caption_.c_str());
}

void TForm::SetClientSize(std::int32_t width, std::int32_t height)
{
    client_.SetSize(width, height);
    if (this == state.form && Windowed()) SDL_SetWindowSize(state.window, width, height);
}

void TForm::CenterOnScreen()
{
    if (this == state.form && Windowed())
        SDL_SetWindowPosition(state.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void TForm::SetColor(TColor color)
{
    const TPixel p = PixelOf(color);
    for (std::int32_t y = 0; y < client_.Height(); ++y)
        for (TPixel& px : client_.Row(y)) px = p;
    client_.Touch();
}

namespace Application {

void Initialize(TBackend backend)
{
    state = TState{};
    state.backend = backend;
    if (backend == TBackend::Window) {
        InitVideo();
        SDL_StopTextInput();
    }
    state.initialized = true;
}

void SetTitle(const std::string& utf8Title)
{
    // Desktops show the application's name in task lists and sound mixers.
    SDL_SetHint(SDL_HINT_APP_NAME, utf8Title.c_str());
}

void CreateForm(TForm& form)
{
    state.form = &form;
    if (state.backend == TBackend::Window) CreateWindow(form);
    form.FormCreate();
    if (Windowed()) {
        SDL_SetWindowTitle(state.window, form.Caption().c_str());
        SDL_ShowWindow(state.window);
        SDL_RaiseWindow(state.window);
    }
}

TForm* MainForm() { return state.form; }

void Run()
{
    while (!state.terminated) {
        ProcessMessages();
        if (state.terminated) break;
        if (Windowed()) SDL_WaitEventTimeout(nullptr, 10);
        else if (state.posted.empty() && state.events.empty()) break;
    }
    if (state.form) state.form->FormDestroy();
}

void ProcessMessages()
{
    PresentIfDrawn();
    if (state.backend == TBackend::Window) PumpSdlEvents();
    else PumpHeadlessEvents();
    DispatchPosted();
}

void PostMessage(std::uint32_t message) { state.posted.push_back(message); }
bool Terminated() { return state.terminated; }
void SetOnDeactivate(std::function<void()> handler) { state.onDeactivate = std::move(handler); }

void Finalize()
{
    Fonts::Shutdown();
    if (state.texture) SDL_DestroyTexture(state.texture);
    if (state.renderer) SDL_DestroyRenderer(state.renderer);
    if (state.window) SDL_DestroyWindow(state.window);
    if (state.backend == TBackend::Window && state.initialized) SDL_Quit();
    state = TState{};
}

std::int32_t MessageBox(const std::string& utf8Text, const std::string& utf8Caption, std::int32_t flags)
{
    state.lastBoxText = utf8Text;
    state.lastBoxCaption = utf8Caption;
    ++state.boxCount;
    if (Windowed()) return ShowSdlMessageBox(utf8Text, utf8Caption, flags);
    if (!state.answers.empty()) {
        const std::int32_t answer = state.answers.front();
        state.answers.pop_front();
        return answer;
    }
    return flags == MB_YESNO ? state.yesNoAnswer : IDOK;
}

void ShowFatalError(const std::string& utf8Text)
{
    std::fprintf(stderr, "korvalen: %s\n", utf8Text.c_str());
    state.lastBoxText = utf8Text;
    state.lastBoxCaption = "Korvalen";
    if (state.backend == TBackend::Window)
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Korvalen", utf8Text.c_str(), state.window);
}

int RunGuarded(const std::function<int()>& body)
{
    try {
        return body();
    } catch (const std::exception& e) {
        ShowFatalError(e.what());
    } catch (...) {
        ShowFatalError("unexpected error");
    }
    return 1;
}

}  // namespace Application

namespace Headless {

void SetEventSource(std::function<void()> source) { state.eventSource = std::move(source); }
void KeyDown(std::uint8_t key) { state.events.push_back({THeadlessEventKind::KeyDown, key}); }
void KeyUp(std::uint8_t key) { state.events.push_back({THeadlessEventKind::KeyUp, key}); }
void Deactivate() { state.events.push_back({THeadlessEventKind::Deactivate, 0}); }
void Close() { state.events.push_back({THeadlessEventKind::Close, 0}); }
void AnswerMessageBox(std::int32_t answer) { state.answers.push_back(answer); }
void AnswerYesNo(std::int32_t answer) { state.yesNoAnswer = answer; }
std::uint32_t MessageBoxCount() { return state.boxCount; }
const std::string& LastMessageBoxText() { return state.lastBoxText; }
const std::string& LastMessageBoxCaption() { return state.lastBoxCaption; }
std::uint32_t PresentCount() { return state.presentCount; }
std::size_t PendingMessages(std::uint32_t message)
{
    return std::size_t(std::count(state.posted.begin(), state.posted.end(), message));
}

}  // namespace Headless
