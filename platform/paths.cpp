#include "platform/paths.h"

#include <QStandardPaths>

namespace Paths {

QString appFolderName()
{
    return QStringLiteral("com.quorvane.app");
}

QString configDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + appFolderName();
}

QString appSupportDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' + appFolderName();
}

QString cacheDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u'/' + appFolderName();
}

QString clipboardStorePath()
{
    return appSupportDir() + QStringLiteral("/Clipboard.store");
}

} // namespace Paths
