#include "platform/log.h"
#include "platform/terminationsignals.h"

#include <QApplication>

int main(int argc, char **argv)
{
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} [%{category}] %{type}: %{message}"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    const Log log("AppDelegate");
    TerminationSignals signals_;
    QObject::connect(&signals_, &TerminationSignals::terminationRequested, &app, [] { QApplication::quit(); });

    log.info(QStringLiteral("Quorvane launched successfully"));
    return app.exec();
}
