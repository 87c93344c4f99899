// The program's icon, for its windows and its notification-area icon.
#pragma once

#include <QIcon>
#include <QString>

/// The application id: the name of the installed desktop entry, icon and
/// AppStream metadata, and the window's application id on Wayland.
QString appId();

/// The icon at every size the program shows it: the icon theme's icon named
/// appId() where the desktop has one installed, otherwise the pictures the
/// program carries.
QIcon appIcon();
