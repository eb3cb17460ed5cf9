// The displays a window is opened on, looked at directly: when SDL cannot open
// one it only says its driver is "not available"; these say what the system
// answered.
#pragma once

#include <string>

struct xcb_connection_t;

// A connection to an X server, held open while SDL opens its own. An X server
// resets itself when its last client leaves and drops the connections that
// arrive meanwhile; while this one is open the server has a client and stays up.
class TX11Connection {
public:
    explicit TX11Connection(const std::string& display);
    ~TX11Connection();
    TX11Connection(const TX11Connection&) = delete;
    TX11Connection& operator=(const TX11Connection&) = delete;

    bool Connected() const { return connection_ != nullptr; }
    // The server closed the connection before setting it up, as it does while
    // it resets: a try a moment later may succeed.
    bool CutShort() const { return cutShort_; }
    // What the system answered when no connection was made.
    const std::string& Failure() const { return failure_; }

private:
    xcb_connection_t* connection_ = nullptr;
    bool cutShort_ = false;
    std::string failure_;
};

// Why no Wayland compositor answers at the display name; empty when one does.
std::string WaylandFailure(const std::string& display);
