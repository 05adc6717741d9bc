// Another program that owns the clipboard with several formats at once, which
// xclip can't offer: `clipboardowner text/plain=hello text/html=<b>hello</b>`.
// Prints "ready" once it owns the clipboard and keeps it until terminated.
// With --stall first, it lists its formats but hangs on the first request for
// one of them, as an owner does that stops answering halfway. With --announce
// first, it prints "asked" when its content is first asked for. A value
// "@path" is the content of that file (a copy too large for a command line).
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QThread>

#include <cstdio>
#include <utility>

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

class AnnouncingMimeData : public QMimeData
{
protected:
    QVariant retrieveData(const QString &format, QMetaType type) const override
    {
        if (!std::exchange(m_asked, true)) {
            std::puts("asked");
            std::fflush(stdout);
        }
        return QMimeData::retrieveData(format, type);
    }

private:
    mutable bool m_asked = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const QString mode = arguments.value(0);
    const bool stall = mode == QLatin1String("--stall");
    const bool announce = mode == QLatin1String("--announce");
    if (stall || announce)
        arguments.removeFirst();
    QMimeData *mime = stall ? new StallingMimeData : announce ? new AnnouncingMimeData : new QMimeData;
    for (const QString &argument : arguments) {
        const qsizetype equals = argument.indexOf(u'=');
        if (equals <= 0)
            return 2;
        const QString format = argument.left(equals);
        QString value = argument.mid(equals + 1);
        if (value.startsWith(u'@')) {
            QFile file(value.mid(1));
            if (!file.open(QIODevice::ReadOnly))
                return 2;
            value = QString::fromUtf8(file.readAll());
        }
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
