#pragma once

#include <functional>

namespace pikora {

class TApplication;

// Told the name of each step of start-up once it is done, so that a
// benchmark can time the steps one by one.
using StartupProbe = std::function<void(const char* step)>;

// The application-wide settings: style, window icon, desktop file name
// ("style_and_icon"), and the design fonts' substitutes ("font_families").
void prepareApplication(const StartupProbe& probe = {});

// Names the application and creates its four windows, in their fixed order
// ("main_window", "help_window", "version_window", "world_window").
void createWindows(TApplication& application, const StartupProbe& probe = {});

// Destroys the four windows and forgets their instances.
void destroyWindows(TApplication& application);

// The whole run: start-up, the event loop until the main window closes, and
// the windows' destruction. Returns the exit code.
int run(TApplication& application);

} // namespace pikora
