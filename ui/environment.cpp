#include "ui/environment.h"

#include <QDesktopServices>

namespace ui {

OpenUrlKey::Value OpenUrlKey::defaultValue()
{
    return [](const QUrl &url) { QDesktopServices::openUrl(url); };
}

} // namespace ui
