#include "platform/signals.h"

namespace platform {

// Windows asks a program to end through its windows (WM_QUERYENDSESSION,
// WM_CLOSE), which reach the main window's close handler directly.
void onTerminationRequest(std::function<void()>) {}

} // namespace platform
