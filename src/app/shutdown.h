// Closes that come from the system: SIGTERM, SIGINT and SIGHUP, and the
// session manager's end of session. Each goes through the main window's
// deferred close, without confirmation.
#pragma once

#include <functional>

class QObject;

/// Turns the three signals into calls of `closeRequest` on the
/// user-interface thread (through a self-pipe, since a signal handler may
/// do nothing else safely).
void InstallShutdownSignals(QObject* owner, std::function<void()> closeRequest);
