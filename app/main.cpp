#include "app/quorvaneapp.h"
#include "platform/log.h"

#include <QApplication>

#include <exception>

int main(int argc, char **argv)
{
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} [%{category}] %{type}: %{message}"));
    Q_INIT_RESOURCE(quorvane);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        return QuorvaneApp::run(QApplication::arguments());
    } catch (const std::exception &e) {
        Log("AppDelegate")
            .fault(QStringLiteral("Quorvane stopped on an unexpected error: %1")
                       .arg(QString::fromUtf8(e.what())));
        return 1;
    }
}
