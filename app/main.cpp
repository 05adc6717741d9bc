#include "app/chromestyle.h"
#include "app/quorvaneapp.h"
#include "app/quorvaneapplication.h"
#include "markdown/model/markdownparser.h"
#include "ui/layout.h"

#include <QLoggingCategory>
#include <QThreadPool>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int poolGraceMs = 300;

} // namespace

int main(int argc, char **argv)
{
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} [%{category}] %{type}: %{message}"));
    // Debug lines name what was copied and which notes were saved: off unless asked
    // for. QT_LOGGING_RULES is read after these rules, so it can still turn them on.
    QLoggingCategory::setFilterRules(QStringLiteral("com.quorvane.app.*.debug=false"));
    // The library's own registration is not thread-safe: done once, before any
    // thread of ours exists.
    MarkdownParser::registerExtensions();
    Q_INIT_RESOURCE(quorvane);
    try {
        QuorvaneApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Quorvane"));
        QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setStyle(new ChromeStyle); // the application owns it
        const int status = QuorvaneApp::run(QApplication::arguments());
        // Everything to keep is written and closed by now, and the work still on the
        // pool was told to stop; what is left of it (freeing what a long preview had
        // made) is of use to nobody, yet the application's end would wait for all of it.
        if (!QThreadPool::globalInstance()->waitForDone(poolGraceMs)
            || !ui::layoutThreads().waitForDone(poolGraceMs)) {
            std::fflush(nullptr);
            std::_Exit(status);
        }
        return status;
    } catch (...) {
        return QuorvaneApplication::reportUnexpectedError(std::current_exception());
    }
}
