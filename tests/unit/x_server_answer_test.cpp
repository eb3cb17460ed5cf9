// What the start says and does when an X server answers a connection with a
// refusal or cuts it short, against a stand-in server on a free display number.
#include "platform/Application.h"
#include "support/WindowStart.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Listens on the abstract socket xcb tries first for display n, or gives -1
// when that display is taken.
int ListenAsDisplay(int n)
{
    const std::string name = "/tmp/.X11-unix/X" + std::to_string(n);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && listen(fd, 8) == 0) return fd;
    if (fd >= 0) close(fd);
    return -1;
}

// An X server's refusal of a connection setup, in the client's byte order.
std::vector<std::uint8_t> Refusal(const std::string& reason, bool bigEndian)
{
    const auto padded = (reason.size() + 3) / 4 * 4;
    std::vector<std::uint8_t> reply(8 + padded, 0);
    reply[1] = std::uint8_t(reason.size());
    const auto put16 = [&](std::size_t at, std::uint16_t v) {
        reply[at + (bigEndian ? 1 : 0)] = std::uint8_t(v);
        reply[at + (bigEndian ? 0 : 1)] = std::uint8_t(v >> 8);
    };
    put16(2, 11);
    put16(6, std::uint16_t(padded / 4));
    std::memcpy(reply.data() + 8, reason.data(), reason.size());
    return reply;
}

// Closes the first connections that ask for a setup, as a server does while
// it resets, and refuses the later ones. Connections that send nothing are
// only looked at. Serves for at most ten seconds.
class TStandInXServer {
public:
    TStandInXServer(int cutShort, std::string reason) : cutShort_(cutShort), reason_(std::move(reason))
    {
        for (int n = 200; n < 400 && listener_ < 0; ++n)
            if ((listener_ = ListenAsDisplay(n)) >= 0) displayName_ = ":" + std::to_string(n);
        if (listener_ >= 0) thread_ = std::thread([this] { Serve(); });
    }
    ~TStandInXServer()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listener_ >= 0) close(listener_);
    }
    TStandInXServer(const TStandInXServer&) = delete;
    TStandInXServer& operator=(const TStandInXServer&) = delete;

    bool Listening() const { return listener_ >= 0; }
    const std::string& DisplayName() const { return displayName_; }
    int SetupRequests() const { return setupRequests_; }

private:
    int listener_ = -1;
    int cutShort_;
    std::string reason_, displayName_;
    std::atomic<bool> stop_{false};
    std::atomic<int> setupRequests_{0};
    std::thread thread_;

    void Serve()
    {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!stop_ && std::chrono::steady_clock::now() < end) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 20) != 1) continue;
            const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            Answer(client);
            close(client);
        }
    }

    void Answer(int client)
    {
        pollfd request{client, POLLIN, 0};
        std::array<std::uint8_t, 512> bytes{};
        if (poll(&request, 1, 500) != 1) return;
        const ssize_t n = read(client, bytes.data(), bytes.size());
        if (n <= 0) return;
        if (++setupRequests_ <= cutShort_) return;
        const auto reply = Refusal(reason_, bytes[0] == 'B');
        if (write(client, reply.data(), reply.size()) < 0) return;
    }
};

struct TServerBehaviour {
    const char* what;
    int cutShort;
    const char* answer;    // what the error says after naming the display
    int minimumRequests;   // setup requests the start made at least
    int maximumRequests;
};

// A refusal is the server's answer and is given at once, with its reason; a
// connection cut short is tried again, but not for ever.
TEST(XServerAnswer, RefusalsAreReportedAndCutConnectionsTriedAgain)
{
    const std::string reason = "no room for another client";
    const std::vector<TServerBehaviour> behaviours = {
        {"refuses", 0, "the X server refused the connection: no room for another client", 1, 1},
        {"cuts three short, then refuses", 3, "the X server refused the connection: no room for another client", 4, 4},
        {"cuts every connection short", INT_MAX, "the X server closed the connection before setting it up", 2, INT_MAX},
    };
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("WAYLAND_DISPLAY");
    for (const TServerBehaviour& behaviour : behaviours) {
        SCOPED_TRACE(behaviour.what);
        TStandInXServer server(behaviour.cutShort, reason);
        ASSERT_TRUE(server.Listening()) << "no free display number";
        setenv("DISPLAY", server.DisplayName().c_str(), 1);
        const TWindowStart start = TryToOpenTheWindow();
        EXPECT_EQ(start.error, "cannot open the display \"" + server.DisplayName() + "\": " + behaviour.answer);
        EXPECT_GE(server.SetupRequests(), behaviour.minimumRequests);
        EXPECT_LE(server.SetupRequests(), behaviour.maximumRequests);
        EXPECT_EQ(start.printed.find(reason), std::string::npos) << "the reason goes into the message: " << start.printed;
    }
}

}  // namespace
