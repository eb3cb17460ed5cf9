// The displays a window is opened on, looked at directly.
#include "Displays.h"

#include <xcb/xcb.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// xcb writes an X server's refusal reason (no authorisation, too many
// clients) straight to stderr; this catches it for the player's message.
class TStderrCatch {
public:
    TStderrCatch()
    {
        if (pipe2(pipe_.data(), O_NONBLOCK | O_CLOEXEC) != 0) return;
        saved_ = dup(STDERR_FILENO);
        if (saved_ >= 0) dup2(pipe_[1], STDERR_FILENO);
    }
    ~TStderrCatch()
    {
        Restore();
        for (const int fd : pipe_)
            if (fd >= 0) close(fd);
    }
    TStderrCatch(const TStderrCatch&) = delete;
    TStderrCatch& operator=(const TStderrCatch&) = delete;

    // Puts stderr back and gives what was written to it meanwhile.
    std::string Release()
    {
        Restore();
        std::string caught;
        std::array<char, 256> buffer{};
        ssize_t n = 0;
        while (pipe_[0] >= 0 && (n = read(pipe_[0], buffer.data(), buffer.size())) > 0)
            caught.append(buffer.data(), std::size_t(n));
        return caught;
    }

private:
    std::array<int, 2> pipe_{-1, -1};
    int saved_ = -1;

    void Restore()
    {
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
};

// A resetting server may close the socket before xcb has written its setup
// request; the write would then raise SIGPIPE and end the game. Blocked, the
// signal stays pending on this thread and is taken back here.
class TSigpipeBlock {
public:
    TSigpipeBlock()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &saved_);
    }
    ~TSigpipeBlock()
    {
        const timespec now{};
        while (sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {}
        pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    }
    TSigpipeBlock(const TSigpipeBlock&) = delete;
    TSigpipeBlock& operator=(const TSigpipeBlock&) = delete;

private:
    sigset_t pipe_{}, saved_{};
};

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \n\r\t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \n\r\t") - first + 1);
}

// The answer to a connect to a Unix socket: 0 when something listens there.
int ConnectUnix(const std::string& path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t start = abstract ? 1 : 0;
    if (start + path.size() >= sizeof address.sun_path) return ENAMETOOLONG;
    std::memcpy(address.sun_path + start, path.data(), path.size());
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + start + path.size() + (abstract ? 0 : 1));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return errno;
    const int answer = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 ? 0 : errno;
    close(fd);
    return answer;
}

// After a failed connection, whether the X server is there: 0 when it is,
// or the system's answer. For a local display its socket is asked again:
// xcb's errno may be left over from its search for an authorisation file.
// For a remote one, a connection reset or a setup answer that ended early
// (EAGAIN from its last read) tell that the server was reached.
int ServerAnswer(const std::string& display, int error)
{
    char* host = nullptr;
    int number = 0;
    if (!xcb_parse_display(display.c_str(), &host, &number, nullptr)) return error;
    const bool local = !*host || std::strcmp(host, "unix") == 0;
    std::free(host);
    if (!local) return error == ECONNRESET || error == EPIPE || error == EAGAIN || error == 0 ? 0 : error;
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    const int abstractAnswer = ConnectUnix(socket, true);
    return abstractAnswer == 0 ? 0 : ConnectUnix(socket, false);
}

std::string DescribeAbsentServer(int answer)
{
    const std::string reason = std::strerror(answer);
    return answer == ENOENT || answer == ECONNREFUSED ? "no X server answers there (" + reason + ")" : reason;
}

std::string DescribeXcbError(int code)
{
    switch (code) {
    case XCB_CONN_CLOSED_PARSE_ERR: return "that is not an X display name";
    case XCB_CONN_CLOSED_INVALID_SCREEN: return "the X server has no such screen";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT: return "out of memory";
    default: return "the X connection failed (xcb error " + std::to_string(code) + ")";
    }
}

}  // namespace

TX11Connection::TX11Connection(const std::string& display)
{
    const TSigpipeBlock quietPipe;
    TStderrCatch refusal;
    errno = 0;
    int screen = 0;
    connection_ = xcb_connect(display.c_str(), &screen);
    const int error = errno;
    const std::string refused = Trimmed(refusal.Release());
    const int code = xcb_connection_has_error(connection_);
    if (code == 0) return;
    xcb_disconnect(connection_);
    connection_ = nullptr;
    if (code != XCB_CONN_ERROR) {
        failure_ = DescribeXcbError(code);
    } else if (!refused.empty()) {
        failure_ = "the X server refused the connection: " + refused;
    } else {
        const int answer = ServerAnswer(display, error);
        cutShort_ = answer == 0;
        failure_ = cutShort_ ? "the X server closed the connection before setting it up" : DescribeAbsentServer(answer);
    }
}

TX11Connection::~TX11Connection()
{
    if (connection_) xcb_disconnect(connection_);
}

std::string WaylandFailure(const std::string& display)
{
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    const bool absolute = !display.empty() && display.front() == '/';
    if (!absolute && (!runtimeDir || !*runtimeDir)) return "XDG_RUNTIME_DIR is not set, so no compositor can be found";
    const std::string path = absolute ? display : std::string(runtimeDir) + "/" + display;
    const int answer = ConnectUnix(path, false);
    if (answer == 0) return "";
    return "no Wayland compositor answers at " + path + " (" + std::strerror(answer) + ")";
}
