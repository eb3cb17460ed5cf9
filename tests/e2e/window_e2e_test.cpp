// End to end: the real program in a real X server (Xvfb). It opens its
// centred, black 416 × 416 window titled "Korvalen", also while other clients
// come and go; shows the title, starts stage 0 on Space and the frame rate on
// P; and ends with status 0 when the window is closed. Without its data it
// stops with an error box naming the missing file and status 1, never
// showing its own window; a damaged icon or sound is a line on stderr.
#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, Status) would clash with it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int ScreenWidth = 1024, ScreenHeight = 768;

// Polls until the condition holds or the time is up.
bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

// Starts a program in dir (unless empty), its stderr going to errFile (unless empty).
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& dir,
            const fs::path& errFile = {})
{
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
    if (!errFile.empty()) {
        const int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || dup2(fd, STDERR_FILENO) < 0) _exit(126);
    }
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// The exit status, or -1 if the process is still running after the limit.
int WaitExit(pid_t pid, std::chrono::milliseconds limit)
{
    int status = -1, result = -1;
    WaitFor(limit, [&] {
        if (waitpid(pid, &status, WNOHANG) != pid) return false;
        result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    });
    return result;
}

void Stop(pid_t pid)
{
    if (pid <= 0 || waitpid(pid, nullptr, WNOHANG) == pid) return;
    kill(pid, SIGTERM);
    if (WaitExit(pid, 3000ms) < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

// Starts Xvfb on a display number it picks itself, so that servers started at
// the same time (tests run side by side) never ask for the same one. Gives the
// display's name, or "" when Xvfb told none within the time.
std::string StartXvfb(pid_t& pid)
{
    int numberPipe[2];
    if (pipe2(numberPipe, O_CLOEXEC) != 0) return "";
    fcntl(numberPipe[1], F_SETFD, 0);
    pid = Spawn({"Xvfb", "-displayfd", std::to_string(numberPipe[1]), "-screen", "0",
                 std::to_string(ScreenWidth) + "x" + std::to_string(ScreenHeight) + "x24", "-nolisten", "tcp"},
                {}, {});
    close(numberPipe[1]);
    std::string number;
    pollfd told{numberPipe[0], POLLIN, 0};
    char c = 0;
    while (number.size() < 8 && poll(&told, 1, 10000) == 1 && read(numberPipe[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(numberPipe[0]);
    return number.empty() ? "" : ":" + number;
}

// A window can go between listing it and asking about it (the game makes and
// drops windows while SDL sets up drawing): the call then fails and its result
// says so, instead of Xlib's default handler ending the test.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

std::string WindowName(Display* d, Window w)
{
    char* name = nullptr;
    std::string out;
    if (XFetchName(d, w, &name) && name) out = name;
    if (name) XFree(name);
    return out;
}

Window FindWindow(Display* d, Window parent, const std::string& name)
{
    Window root, up, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i)
        found = WindowName(d, children[i]) == name ? children[i] : FindWindow(d, children[i], name);
    if (children) XFree(children);
    return found;
}

// Whether the game's 416 × 416 window is on screen, asked over a connection
// of its own that is closed again.
bool GameWindowShown(const std::string& displayName)
{
    Display* d = XOpenDisplay(displayName.c_str());
    if (!d) return false;
    const Window w = FindWindow(d, DefaultRootWindow(d), "Korvalen");
    XWindowAttributes a{};
    const bool shown = w && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && a.width == 416 &&
                       a.height == 416;
    XCloseDisplay(d);
    return shown;
}

// A child process that opens and closes X connections every few milliseconds
// until stopped, for at most the limit.
pid_t StartChurn(const std::string& displayName, std::chrono::seconds limit)
{
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (Display* d = XOpenDisplay(displayName.c_str())) XCloseDisplay(d);
        std::this_thread::sleep_for(3ms);
    }
    _exit(0);
}

class GameWindow : public ::testing::Test {
protected:
    pid_t xvfb = -1, game = -1;
    std::vector<pid_t> churns;
    Display* display = nullptr;
    std::string displayName;
    fs::path playDir;

    void SetUp() override
    {
        XSetErrorHandler(IgnoreXError);
        displayName = StartXvfb(xvfb);
        ASSERT_NE(displayName, "") << "Xvfb did not start";
        ASSERT_TRUE(WaitFor(10s, [&] { return (display = XOpenDisplay(displayName.c_str())) != nullptr; }))
            << "Xvfb did not start";
        playDir = fs::temp_directory_path() / ("korvalen-e2e-" + std::to_string(getpid()));
        fs::create_directories(playDir);
        fs::create_symlink(fs::path(KORVALEN_BUILD_DIR) / "dat", playDir / "dat");
    }

    void TearDown() override
    {
        Stop(game);
        for (const pid_t churn : churns) Stop(churn);
        if (display) XCloseDisplay(display);
        Stop(xvfb);
        fs::remove_all(playDir);
    }

    void StartGame(const fs::path& errFile = {})
    {
        game = Spawn({KORVALEN_PROGRAM}, {"DISPLAY=" + displayName, "SDL_AUDIODRIVER=dummy"}, playDir, errFile);
    }

    void Close(Window w)
    {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, w, False, NoEventMask, &e);
        XFlush(display);
    }
};

TEST_F(GameWindow, OpensCentredAndBlackAndClosesCleanly)
{
    StartGame();
    Window w = 0;
    ASSERT_TRUE(WaitFor(15s, [&] { return (w = FindWindow(display, DefaultRootWindow(display), "Korvalen")) != 0; }))
        << "no window titled Korvalen";

    XWindowAttributes a{};
    ASSERT_TRUE(WaitFor(5s, [&] { return XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable; }));
    EXPECT_EQ(a.width, 416);
    EXPECT_EQ(a.height, 416);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, w, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    EXPECT_EQ(x, (ScreenWidth - 416) / 2);
    EXPECT_EQ(y, (ScreenHeight - 416) / 2);

    std::this_thread::sleep_for(300ms);
    XImage* image = XGetImage(display, w, 0, 0, 416, 416, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    long lit = 0;
    for (int py = 0; py < 416; ++py)
        for (int px = 0; px < 416; ++px) lit += XGetPixel(image, px, py) != 0;
    XDestroyImage(image);
    EXPECT_EQ(lit, 0) << "the window is black";

    Close(w);
    EXPECT_EQ(WaitExit(game, 10000ms), 0);
    game = -1;
}

// How many pixels of the window's rectangle are not black.
long LitPixels(Display* d, Window w, int left, int top, int width, int height)
{
    XImage* image = XGetImage(d, w, left, top, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) return -1;
    long lit = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) lit += XGetPixel(image, x, y) != 0;
    XDestroyImage(image);
    return lit;
}

// The title line, the prompt, Space into stage 0 with its playfield and side
// panel, P for the frame rate in the caption, and SIGTERM (the quit request
// that closing the window sends, as no window manager runs here) for a clean
// exit. Keys are held longer than a tick: shorter taps are not seen.
TEST_F(GameWindow, PlaysFromTheTitleIntoStageZero)
{
    StartGame();
    Window w = 0;
    ASSERT_TRUE(WaitFor(15s, [&] { return (w = FindWindow(display, DefaultRootWindow(display), "Korvalen")) != 0; }));
    ASSERT_TRUE(WaitFor(5s, [&] {
        XWindowAttributes a{};
        return XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable;
    }));
    const auto key = [&](const char* name) {
        ASSERT_EQ(WaitExit(Spawn({"xdotool", "windowfocus", "--sync", std::to_string(w)}, {"DISPLAY=" + displayName}, {}),
                           5000ms),
                  0);
        ASSERT_EQ(WaitExit(Spawn({"xdotool", "keydown", name}, {"DISPLAY=" + displayName}, {}), 5000ms), 0);
        std::this_thread::sleep_for(250ms);
        ASSERT_EQ(WaitExit(Spawn({"xdotool", "keyup", name}, {"DISPLAY=" + displayName}, {}), 5000ms), 0);
    };

    EXPECT_TRUE(WaitFor(20s, [&] { return LitPixels(display, w, 0, 150, 416, 10) > 50; })) << "the title line";
    EXPECT_TRUE(WaitFor(20s, [&] { return LitPixels(display, w, 0, 400, 416, 16) > 50; })) << "the prompt";
    EXPECT_EQ(LitPixels(display, w, 0, 0, 416, 140), 0) << "nothing else on the title";

    key("space");
    EXPECT_TRUE(WaitFor(10s, [&] { return LitPixels(display, w, 256, 0, 160, 416) > 20000; }))
        << "the side panel shows";
    EXPECT_TRUE(WaitFor(10s, [&] { return LitPixels(display, w, 0, 0, 256, 416) > 100; })) << "the playfield's stars";
    EXPECT_GT(LitPixels(display, w, 316, 0, 100, 27), 30) << "the stage name";

    key("p");
    EXPECT_TRUE(WaitFor(10s, [&] {
        const std::string caption = WindowName(display, w);
        return caption.size() > 3 && caption.substr(caption.size() - 3) == "fps";
    })) << "the frame rate in the caption: \"" << WindowName(display, w) << "\"";

    kill(game, SIGTERM);
    EXPECT_EQ(WaitExit(game, 10000ms), 0);
    game = -1;
}

// An X server whose last client leaves resets itself and drops connections
// that arrive meanwhile; with short-lived clients coming and going it does so
// all the time. The game still opens its window every time.
TEST_F(GameWindow, OpensWhileOtherClientsComeAndGo)
{
    constexpr int Starts = 6, Churns = 2;
    XCloseDisplay(display);  // held open, it would keep the server from resetting
    display = nullptr;
    for (int i = 0; i < Churns; ++i) churns.push_back(StartChurn(displayName, 20s));
    for (int start = 1; start <= Starts; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        StartGame();
        int status = 0;
        bool ended = false;
        const bool shown = WaitFor(10s, [&] {
            ended = waitpid(game, &status, WNOHANG) == game;
            return ended || GameWindowShown(displayName);
        });
        if (ended) game = -1;
        ASSERT_FALSE(ended) << "the game ended with status "
                            << (WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        ASSERT_TRUE(shown) << "no window within the time";
        Stop(game);
        game = -1;
    }
}

// The window's WM_NAME in whichever encoding it was set (SDL's boxes use
// UTF-8, which XFetchName does not return).
std::string Title(Display* d, Window w)
{
    XTextProperty name{};
    if (!XGetWMName(d, w, &name) || !name.value) return "";
    const std::string title(reinterpret_cast<const char*>(name.value), name.nitems);
    XFree(name.value);
    return title;
}

// The top-level windows made and shown while the game ran, as the X server
// reports them: no window manager runs here, so the game's are the root's children.
struct TWindowsSeen {
    struct TSeen {
        int width = 0, height = 0;
        bool mapped = false;
    };
    std::map<Window, TSeen> windows;
    Window box = 0;  // the error box: shown, titled "Korvalen", not the game's size

    void Take(Display* d, const XEvent& e)
    {
        if (e.type == CreateNotify) windows[e.xcreatewindow.window] = {e.xcreatewindow.width, e.xcreatewindow.height};
        if (e.type != MapNotify) return;
        TSeen& w = windows[e.xmap.window];
        w.mapped = true;
        if (!box && !(w.width == 416 && w.height == 416) && Title(d, e.xmap.window) == "Korvalen") box = e.xmap.window;
    }
    bool GameWindowShown() const
    {
        return std::any_of(windows.begin(), windows.end(),
                           [](const auto& w) { return w.second.mapped && w.second.width == 416 && w.second.height == 416; });
    }
};

std::string Read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Without dat/ the first file start-up reads is missing; with dat/ but no
// player sheet the window has been made (hidden) when the error comes.
// Either way an error box shows without the game's window, which is never
// mapped; closing the box ends the game with status 1, stderr naming the file.
TEST_F(GameWindow, WithoutItsDataItStopsNamingTheFileAndNeverShowsItsWindow)
{
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XFlush(display);
    fs::remove(playDir / "dat");
    const std::function<void()> prepare[] = {
        [] {},
        [&] {
            fs::copy(fs::path(KORVALEN_BUILD_DIR) / "dat", playDir / "dat", fs::copy_options::recursive);
            fs::remove(playDir / "dat/mine.bmp");
        },
    };
    for (const auto& setUp : prepare) {
        setUp();
        const bool withData = fs::exists(playDir / "dat");
        SCOPED_TRACE(withData ? "dat/ without dat/mine.bmp" : "no dat/");
        const fs::path errFile = playDir / "stderr.txt";
        TWindowsSeen seen;
        StartGame(errFile);
        const auto takeEvents = [&] {
            while (XPending(display)) {
                XEvent e;
                XNextEvent(display, &e);
                seen.Take(display, e);
            }
        };
        ASSERT_TRUE(WaitFor(20s, [&] {
            takeEvents();
            return seen.box != 0;
        })) << "no error box; stderr: " << Read(errFile);
        EXPECT_FALSE(seen.GameWindowShown()) << "the game's window is shown behind the box";
        Close(seen.box);
        EXPECT_EQ(WaitExit(game, 10000ms), 1);
        game = -1;
        takeEvents();
        EXPECT_FALSE(seen.GameWindowShown()) << "the game's window was shown";
        const std::string err = Read(errFile);
        const std::string missing = withData ? "dat/mine.bmp" : "dat/";
        EXPECT_NE(err.find("korvalen: Cannot load \"" + missing), std::string::npos) << err;
        EXPECT_NE(err.find("\": there is no such file"), std::string::npos) << err;
        const std::smatch named = [&] {
            std::smatch m;
            std::regex_search(err, m, std::regex("Cannot load \"([^\"]+)\": there is no such file"));
            return m;
        }();
        ASSERT_EQ(named.size(), 2u) << err;
        EXPECT_FALSE(fs::exists(playDir / named[1].str())) << "the file named is the one missing";
    }
}

// A damaged icon and a damaged sound are one line each on stderr, naming the
// file; the game opens its window, plays on and ends cleanly.
TEST_F(GameWindow, ADamagedIconOrSoundIsOneLineEachAndTheGamePlaysOn)
{
    fs::remove(playDir / "dat");
    fs::copy(fs::path(KORVALEN_BUILD_DIR) / "dat", playDir / "dat", fs::copy_options::recursive);
    for (const char* file : {"dat/icon.bmp", "dat/titlecall.wav"}) fs::resize_file(playDir / file, 100);
    const fs::path errFile = playDir / "stderr.txt";
    StartGame(errFile);
    ASSERT_TRUE(WaitFor(15s, [&] { return GameWindowShown(displayName); })) << Read(errFile);
    kill(game, SIGTERM);
    EXPECT_EQ(WaitExit(game, 10000ms), 0);
    game = -1;
    const std::string err = Read(errFile);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
    EXPECT_NE(err.find("korvalen: no window icon (Cannot load \"dat/icon.bmp\": the pixel data is cut short"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("korvalen: cannot load the sound \"dat/titlecall.wav\" (the file is cut short"),
              std::string::npos)
        << err;
}

}  // namespace
