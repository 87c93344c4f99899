#include "ui/appicon.h"

#include "ui/skin.h"

QIcon AppIcon() {
    QIcon icon;
    for (const char* name :
         {"icon16", "icon24", "icon32", "icon48", "icon64", "icon128", "icon256"})
        icon.addPixmap(SkinPixmap(name));
    return icon;
}
