// Another program that owns the clipboard with several formats at once, which
// xclip can't offer: `clipboardowner text/plain=hello text/html=<b>hello</b>`.
// Prints "ready" once it owns the clipboard and keeps it until terminated.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    auto *mime = new QMimeData;
    for (const QString &argument : app.arguments().mid(1)) {
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
