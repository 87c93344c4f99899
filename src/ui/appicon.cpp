#include "ui/appicon.h"

#include "ui/skin.h"

#include <QCoreApplication>
#include <QVariant>

QString appId() {
    return QStringLiteral(QUORVANE_APP_ID);
}

QIcon appIcon() {
    // An installed copy puts the icon into the hicolor theme; the theme (or
    // the desktop's own theme overriding it) then has the final say.
    if (QIcon::hasThemeIcon(appId()))
        return QIcon::fromTheme(appId());
    // The carried pictures are decoded once and kept with the application,
    // so that the tray and every window share them.
    constexpr const char* Kept = "quorvaneCarriedIcon";
    const QVariant kept = qApp ? qApp->property(Kept) : QVariant();
    if (kept.canConvert<QIcon>())
        return kept.value<QIcon>();
    QIcon icon;
    for (const char* name :
         {"icon16", "icon24", "icon32", "icon48", "icon64", "icon128", "icon256"})
        icon.addPixmap(skinPixmap(name));
    if (qApp)
        qApp->setProperty(Kept, QVariant::fromValue(icon));
    return icon;
}
