// What the silent audio was asked to play, for tests.
#pragma once

#include "platform/Audio.h"

#include <string>
#include <vector>

// The paths of the effects played since the log was started, in order.
inline std::vector<std::string> PlayedWaves()
{
    std::vector<std::string> played;
    for (const Audio::TEvent& e : Audio::Log())
        if (e.kind == Audio::TEventKind::Wave) played.emplace_back(e.name());
    return played;
}
