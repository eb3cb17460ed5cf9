// Errors the platform raises. A load error ends the game: the entry point
// shows its text, which names the file, and exits with status 1.
#pragma once

#include <stdexcept>
#include <string>

class ELoadError : public std::runtime_error {
public:
    ELoadError(const std::string& path, const std::string& why)
        : std::runtime_error("Cannot load \"" + path + "\": " + why), why_(why) {}
    // The cause alone, for messages that name the file themselves.
    const std::string& Why() const { return why_; }

private:
    std::string why_;
};
