#include "app/appicon.h"

#include "platform/symbolicon.h"

QIcon appIcon()
{
    QIcon icon(QStringLiteral(":/MenuBarIcon.svg"));
    if (!icon.availableSizes().isEmpty() || !icon.pixmap(22).isNull())
        return icon;
    return symbolIcon(Symbol::SplitRectangle);
}
