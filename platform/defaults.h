#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// The program's settings: a typed key-value store kept as one flat JSON object in
// a file people can read and edit. A stored Boolean false and a missing key are
// different answers, so every reader returns std::optional: nullopt when the key
// is missing or holds another type. Numbers are JSON numbers (an integer reader
// accepts only whole values), data is stored as {"base64": "..."}.
//
// Every write is saved at once, atomically; a file that can't be parsed is moved
// aside (".corrupt", then ".2.corrupt"… so none replaces another) and logged, and
// reading starts from no values. A file that exists but can't be read is never
// replaced: writes then live in memory for the run and report failure. Main
// thread only.
class Defaults : public QObject
{
    Q_OBJECT
public:
    // Reads the file now; a missing file is an empty store.
    explicit Defaults(const QString &filePath, QObject *parent = nullptr);

    // The program's own store, at <config>/com.quorvane.app/defaults.json.
    // Made on first use; lives until the process ends.
    static Defaults &standard();

    QString filePath() const { return m_filePath; }

    bool contains(const QString &key) const;
    QStringList keys() const; // every stored key, sorted
    std::optional<bool> boolean(const QString &key) const;
    std::optional<qint64> integer(const QString &key) const;
    std::optional<double> real(const QString &key) const; // any JSON number
    std::optional<QString> string(const QString &key) const;
    std::optional<QStringList> stringList(const QString &key) const;
    std::optional<QByteArray> data(const QString &key) const;

    // Readers with a default for a missing key or a value of another type.
    bool boolean(const QString &key, bool fallback) const { return boolean(key).value_or(fallback); }
    qint64 integer(const QString &key, qint64 fallback) const { return integer(key).value_or(fallback); }
    double real(const QString &key, double fallback) const { return real(key).value_or(fallback); }
    QString string(const QString &key, const QString &fallback) const
    {
        return string(key).value_or(fallback);
    }

    void setBoolean(const QString &key, bool value);
    void setInteger(const QString &key, qint64 value);
    void setReal(const QString &key, double value);
    void setString(const QString &key, const QString &value);
    void setStringList(const QString &key, const QStringList &value);
    void setData(const QString &key, const QByteArray &value);
    void remove(const QString &key);

    // False when the last write could not be saved; errorString() says why.
    bool lastWriteSucceeded() const { return m_lastWriteSucceeded; }
    QString errorString() const { return m_errorString; }

Q_SIGNALS:
    void changed(const QString &key);

private:
    void load();
    void write(const QString &key, const QJsonValue &value);
    void save();

    QString m_filePath;
    QJsonObject m_values;
    bool m_unreadable = false; // the file is there but wasn't read: never save over it
    bool m_lastWriteSucceeded = true;
    QString m_errorString;
};

// The keys and defaults of the program's stored settings.
namespace DefaultsKey {
inline const QString dismissOnCopy = QStringLiteral("dismissOnCopy");
inline const QString autoSaveDelay = QStringLiteral("autoSaveDelay");
inline const QString historyLimit = QStringLiteral("historyLimit");
inline const QString isGestureEnabled = QStringLiteral("isGestureEnabled");
inline const QString skipSensitiveItems = QStringLiteral("skipSensitiveItems");
inline const QString lastFocusedPane = QStringLiteral("lastFocusedPane");
inline const QString appearanceMode = QStringLiteral("appearanceMode");
inline const QString hasShownAccessibilityIntro = QStringLiteral("hasShownAccessibilityIntro");
inline const QString suFeedURL = QStringLiteral("SUFeedURL");
inline const QString expandedFolders = QStringLiteral("expandedFolders");
inline const QString vaultBookmark = QStringLiteral("com.quorvane.vaultBookmark");
inline const QString swipeScrollDirection = QStringLiteral("com.apple.swipescrolldirection");
} // namespace DefaultsKey

namespace DefaultValue {
constexpr bool dismissOnCopy = true;
constexpr double autoSaveDelay = 1.0;
constexpr qint64 historyLimit = 200;
constexpr bool isGestureEnabled = true;
constexpr bool skipSensitiveItems = true;
inline const QString lastFocusedPane = QStringLiteral("clipboard");
inline const QString appearanceMode = QStringLiteral("system");
constexpr bool hasShownAccessibilityIntro = false;
} // namespace DefaultValue

// What the settings window offers; a stored value outside is read into it.
namespace SettingRange {
constexpr qint64 historyLimitMin = 50;
constexpr qint64 historyLimitMax = 1000;
constexpr double autoSaveDelayMin = 0.5;
constexpr double autoSaveDelayMax = 5.0;
} // namespace SettingRange
