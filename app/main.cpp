#include "app/chromestyle.h"
#include "app/quorvaneapp.h"
#include "app/quorvaneapplication.h"
#include "markdown/model/markdownparser.h"

#include <QLoggingCategory>

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
        return QuorvaneApp::run(QApplication::arguments());
    } catch (...) {
        return QuorvaneApplication::reportUnexpectedError(std::current_exception());
    }
}
