#include "app/quorvaneapp.h"

#include "app/appdelegate.h"
#include "app/quorvaneapplication.h"
#include "platform/accessibility.h"
#include "platform/defaults.h"
#include "platform/notificationcenter.h"
#include "platform/paths.h"
#include "platform/qt/qtalertpresenter.h"
#include "platform/terminationsignals.h"
#include "platform/x11/xcbhotkeygrabber.h"
#include "platform/x11/xcbscrolltapfactory.h"
#include "platform/x11/xinputclickmonitor.h"
#include "platform/x11/xinputnaturalscrolling.h"
#include "shortcuts/shortcut.h"

#include "ui/cancellation.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QProcess>

#include <cstdio>
#include <cstdlib>

int QuorvaneApp::run(const QStringList &arguments)
{
    QtAlertPresenter alerts;
    XInputClickMonitor clickMonitor;
    QNetworkAccessManager network;
    XcbScrollTapFactory scrollTaps;
    XInputNaturalScrolling naturalScrolling;
    // Descriptions and recorded keys follow the server's keymap from here on.
    const std::unique_ptr<XcbHotKeyGrabber> hotKeys = XcbHotKeyGrabber::connect();
    if (hotKeys)
        GlobalShortcuts::setKeyboardLayout(hotKeys->keyboardLayout());
    // The layout belongs to the grabber: forgotten on every way out, before the grabber goes.
    struct ForgetLayout
    {
        ~ForgetLayout() { GlobalShortcuts::setKeyboardLayout(nullptr); }
    } const forgetLayout;
    AppServices services { Defaults::standard(), alerts, clickMonitor, NotificationCenter::defaultCenter(),
        network, scrollTaps, naturalScrolling, Paths::appSupportDir(), &Accessibility::isProcessTrusted,
        [] {
            return QProcess::startDetached(
                QCoreApplication::applicationFilePath(), { QuorvaneApp::relaunchArgument() });
        },
        arguments.contains(relaunchArgument()), [] { QApplication::quit(); }, hotKeys.get() };
    AppDelegate delegate(std::move(services));

    TerminationSignals signals_;
    bool terminationRequested = false;
    QObject::connect(&signals_, &TerminationSignals::terminationRequested, qApp, [&] {
        terminationRequested = true;
        // A modal alert runs a loop of its own, and one shown during the launch runs
        // before there is a main loop to end: it closes the way it says the program ends.
        alerts.closeForTermination();
        QApplication::quit();
    });

    switch (delegate.applicationDidFinishLaunching()) {
    case AppDelegate::LaunchResult::Launched:
        break;
    case AppDelegate::LaunchResult::AlreadyRunning:
        std::fputs("Quorvane is already running\n", stderr);
        return 1;
    case AppDelegate::LaunchResult::Failed:
        std::fputs("Quorvane could not open its clipboard store; see the message above\n", stderr);
        return 1;
    }
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    // A handler that failed during the launch (inside one of its dialogs), or a signal
    // that came meanwhile, already asked for the end, before there was a loop to end.
    const int status = QuorvaneApplication::hasFailed() ? EXIT_FAILURE
        : terminationRequested                          ? EXIT_SUCCESS
                                                        : QApplication::exec();
    delegate.applicationWillTerminate();
    // Everything to keep is written: work still running on the pool (a long
    // preview) is only in the way of the end, which waits for the pool.
    ui::CancellationToken::cancelAll();
    return QuorvaneApplication::hasFailed() ? EXIT_FAILURE : status;
}
