// Another program that owns the clipboard with several formats at once, which
// xclip can't offer: `clipboardowner text/plain=hello text/html=<b>hello</b>`.
// Prints "ready" once it owns the clipboard and keeps it until terminated.
// With --stall first, it lists its formats but hangs on the first request for
// one of them, as an owner does that stops answering halfway.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QThread>

#include <cstdio>

namespace {

class StallingMimeData : public QMimeData
{
protected:
    QVariant retrieveData(const QString &, QMetaType) const override
    {
        QThread::sleep(3600);
        return {};
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool stall = !arguments.isEmpty() && arguments.first() == QLatin1String("--stall");
    if (stall)
        arguments.removeFirst();
    QMimeData *mime = stall ? new StallingMimeData : new QMimeData;
    for (const QString &argument : arguments) {
        const qsizetype equals = argument.indexOf(u'=');
        if (equals <= 0)
            return 2;
        const QString format = argument.left(equals);
        const QString value = argument.mid(equals + 1);
        if (format == QLatin1String("text/plain"))
            mime->setText(value);
        else
            mime->setData(format, value.toUtf8());
    }
    QApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
