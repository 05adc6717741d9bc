#include "platform/linux/xdgloginitem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString entryName = QStringLiteral("quorvane.desktop");

// The desktop entry's value of `key` in its main group, or a null string.
QString entryValue(const QByteArray &contents, const QByteArray &key)
{
    bool inMainGroup = false;
    for (QByteArray line : contents.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || equals < 0 || line.left(equals).trimmed() != key)
            continue;
        return QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return {};
}

} // namespace

XdgLoginItem::XdgLoginItem(const QString &autostartFolder, const QString &executable)
    : m_folder(autostartFolder)
    , m_executable(executable)
{ }

XdgLoginItem XdgLoginItem::forThisProgram()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return XdgLoginItem(
        QDir(config).filePath(QStringLiteral("autostart")), QCoreApplication::applicationFilePath());
}

QString XdgLoginItem::filePath() const
{
    return QDir(m_folder).filePath(entryName);
}

bool XdgLoginItem::isEnabled() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray contents = file.readAll();
    return entryValue(contents, "Hidden") != QLatin1String("true")
        && entryValue(contents, "X-GNOME-Autostart-enabled") != QLatin1String("false");
}

QString XdgLoginItem::execValue(const QString &executable)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    // "%" starts a field code anywhere in the value.
    QString argument = executable;
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool needsQuotes
        = std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return reserved.contains(c); });
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : std::as_const(argument)) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
                || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        argument = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    // The value is a string first: its own backslashes and line breaks are escaped again.
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    argument.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    argument.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return argument;
}

bool XdgLoginItem::registerEntry(QString *error)
{
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = QStringLiteral("could not create the folder %1").arg(m_folder);
        return false;
    }
    const QByteArray contents = QStringLiteral("[Desktop Entry]\n"
                                               "Type=Application\n"
                                               "Name=Quorvane\n"
                                               "Comment=Clipboard history and notes in a drop-down panel\n"
                                               "Exec=%1\n"
                                               "Terminal=false\n"
                                               "X-GNOME-Autostart-enabled=true\n")
                                    .arg(execValue(m_executable))
                                    .toUtf8();
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool XdgLoginItem::unregisterEntry(QString *error)
{
    QFile file(filePath());
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}
