// Ends of the program that the system asks for outside the window system:
// SIGTERM, SIGINT and SIGHUP on Linux. (Windows asks through the window
// system, which reaches the main window as an ordinary close.)
#pragma once

#include <functional>

namespace platform {

/// Runs `closeRequest` on the user-interface thread whenever the system asks
/// the program to end. Call once, after the application object exists.
void onTerminationRequest(std::function<void()> closeRequest);

} // namespace platform
