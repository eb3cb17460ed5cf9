// Opens the application's window backend once, as the game's start does, and
// keeps what it said: the error it raised and what reached stderr meanwhile.
#pragma once

#include "platform/Application.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

struct TWindowStart {
    std::string error;    // empty when the window could be opened
    std::string printed;  // stderr during the attempt
};

inline TWindowStart TryToOpenTheWindow()
{
    TWindowStart start;
    testing::internal::CaptureStderr();
    try {
        Application::Initialize(Application::TBackend::Window);
        Application::Finalize();
    } catch (const std::runtime_error& e) {
        start.error = e.what();
    }
    start.printed = testing::internal::GetCapturedStderr();
    return start;
}
