#pragma once

namespace pikora {

class TApplication;

// Names the application and creates its four windows, in their fixed order.
void createWindows(TApplication& application);

// Destroys the four windows and forgets their instances.
void destroyWindows(TApplication& application);

// The whole run: start-up, the event loop until the main window closes, and
// the windows' destruction. Returns the exit code.
int run(TApplication& application);

} // namespace pikora
