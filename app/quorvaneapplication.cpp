#include "app/quorvaneapplication.h"

#include "platform/log.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<bool> failed { false };

QString describe(std::exception_ptr error)
{
    if (!error)
        return QStringLiteral("an exception that is gone");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("an exception of unknown type");
    }
}

} // namespace

QuorvaneApplication::QuorvaneApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{ }

bool QuorvaneApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        failed = true;
        QCoreApplication::exit(reportUnexpectedError(std::current_exception()));
        return false;
    }
}

bool QuorvaneApplication::hasFailed()
{
    return failed;
}

int QuorvaneApplication::reportUnexpectedError(std::exception_ptr error)
{
    static const Log log("AppDelegate");
    log.fault(QStringLiteral("Quorvane stopped on an unexpected error: %1").arg(describe(error)));
    return EXIT_FAILURE;
}
