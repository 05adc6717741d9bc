#include "platform/defaults.h"

#include "platform/fileoperations.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cerrno>
#include <cmath>
#include <sys/stat.h>

namespace {

const Log &log()
{
    static const Log instance("Defaults");
    return instance;
}

const QString base64Key = QStringLiteral("base64");

} // namespace

Defaults::Defaults(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(filePath)
{
    load();
}

Defaults &Defaults::standard()
{
    static Defaults *instance = new Defaults(Paths::configDir() + QStringLiteral("/defaults.json"));
    return *instance;
}

void Defaults::load()
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(m_filePath).constData(), &info) != 0 && errno == ENOENT)
        return;
    QFile file(m_filePath);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || !file.isOpen()) {
        // Saving would replace settings that were never read: keep this run's
        // changes in memory and leave the file for its owner to mend.
        m_unreadable = true;
        log().error(QStringLiteral("Could not read settings file %1: %2; changes are kept for this run only")
                        .arg(m_filePath, file.errorString()));
        return;
    }
    file.close();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error == QJsonParseError::NoError && document.isObject()) {
        m_values = document.object();
        return;
    }
    // Keep what the user had, so a hand edit gone wrong can be mended; an
    // earlier copy kept aside is another such edit and stays as well.
    for (int number = 1;; ++number) {
        const QString aside = m_filePath
            + (number == 1 ? QStringLiteral(".corrupt") : QStringLiteral(".%1.corrupt").arg(number));
        const Result<void, FileError> moved = FileOperations::moveWithoutReplacing(m_filePath, aside);
        if (moved) {
            log().error(
                QStringLiteral("Settings file %1 could not be parsed; moved it to %2 and using the defaults")
                    .arg(m_filePath, aside));
            return;
        }
        if (moved.error().errorNumber != EEXIST) {
            m_unreadable = true;
            log().error(
                QStringLiteral("Settings file %1 could not be parsed nor moved aside: %2; changes are "
                               "kept for this run only")
                    .arg(m_filePath, moved.error().description));
            return;
        }
    }
}

bool Defaults::contains(const QString &key) const
{
    return m_values.contains(key);
}

QStringList Defaults::keys() const
{
    return m_values.keys();
}

std::optional<bool> Defaults::boolean(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<qint64> Defaults::integer(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::trunc(number) || std::fabs(number) > 9.0e15)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<double> Defaults::real(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

std::optional<QString> Defaults::string(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<QStringList> Defaults::stringList(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue &item : value.toArray()) {
        if (!item.isString())
            return std::nullopt;
        list.append(item.toString());
    }
    return list;
}

std::optional<QByteArray> Defaults::data(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isObject())
        return std::nullopt;
    const QJsonValue encoded = value.toObject().value(base64Key);
    if (!encoded.isString())
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(
        encoded.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

void Defaults::setBoolean(const QString &key, bool value)
{
    write(key, value);
}

void Defaults::setInteger(const QString &key, qint64 value)
{
    write(key, static_cast<double>(value));
}

void Defaults::setReal(const QString &key, double value)
{
    write(key, value);
}

void Defaults::setString(const QString &key, const QString &value)
{
    write(key, value);
}

void Defaults::setStringList(const QString &key, const QStringList &value)
{
    write(key, QJsonArray::fromStringList(value));
}

void Defaults::setData(const QString &key, const QByteArray &value)
{
    write(key, QJsonObject { { base64Key, QString::fromLatin1(value.toBase64()) } });
}

void Defaults::remove(const QString &key)
{
    if (!m_values.contains(key))
        return;
    m_values.remove(key);
    save();
    Q_EMIT changed(key);
}

void Defaults::write(const QString &key, const QJsonValue &value)
{
    m_values.insert(key, value);
    save();
    Q_EMIT changed(key);
}

void Defaults::save()
{
    if (m_unreadable) {
        m_lastWriteSucceeded = false;
        m_errorString = QStringLiteral("The settings file could not be read, so it is not replaced");
        return;
    }
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    const bool ok = file.open(QIODevice::WriteOnly)
        && file.write(QJsonDocument(m_values).toJson(QJsonDocument::Indented)) >= 0 && file.commit();
    m_lastWriteSucceeded = ok;
    if (!ok) {
        m_errorString = file.errorString();
        log().error(QStringLiteral("Could not save settings to %1: %2").arg(m_filePath, m_errorString));
    } else {
        m_errorString.clear();
    }
}
