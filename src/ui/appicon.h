// The program's icon, for its windows and its notification-area icon.
#pragma once

#include <QIcon>

/// The icon at every size the program shows it.
QIcon AppIcon();
