#include "platform/linux/desktopworkspace.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");

// Asks the session's file manager to show the file. Only a registered service
// is called: asking one that isn't there would make D-Bus try to start it and
// block for its whole activation time-out.
bool showInFileManager(const QString &path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (!bus.interface()->isServiceRegistered(fileManagerService).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(fileManagerService,
        QStringLiteral("/org/freedesktop/FileManager1"), fileManagerService, QStringLiteral("ShowItems"));
    call << QStringList { QUrl::fromLocalFile(path).toString() } << QString();
    return bus.send(call);
}

} // namespace

bool DesktopWorkspace::open(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopWorkspace::revealFile(const QString &path)
{
    if (showInFileManager(path))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}
