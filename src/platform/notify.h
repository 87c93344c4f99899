// Desktop notifications: a short message that the desktop shows for a while
// away from the program's windows.
#pragma once

#include <functional>
#include <string>

namespace platform {

/// Asks the desktop's notification service (org.freedesktop.Notifications
/// on the session bus) to show `summary` and `body` with the icon named
/// `icon`. Returns at once; `failed` runs later on this thread when there is
/// no such service or it refused, so that the caller can show the message
/// another way. On systems without such a service `failed` runs at once.
void showNotification(const std::string& summary, const std::string& body, const std::string& icon,
                      std::function<void()> failed);

} // namespace platform
