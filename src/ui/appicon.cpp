#include "ui/appicon.h"

#include "ui/skin.h"

QString appId() {
    return QStringLiteral(QUORVANE_APP_ID);
}

QIcon appIcon() {
    // An installed copy puts the icon into the hicolor theme; the theme (or
    // the desktop's own theme overriding it) then has the final say.
    if (QIcon::hasThemeIcon(appId()))
        return QIcon::fromTheme(appId());
    QIcon icon;
    for (const char* name :
         {"icon16", "icon24", "icon32", "icon48", "icon64", "icon128", "icon256"})
        icon.addPixmap(skinPixmap(name));
    return icon;
}
