// The names the window shows: its caption, and the application's title that
// desktops show in task lists.
#pragma once

constexpr const char* WindowTitle = "Korvalen";
constexpr const char* ApplicationTitle = "コルヴァレン";
