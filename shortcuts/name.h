#pragma once

#include "shortcuts/shortcut.h"

#include <QHashFunctions>
#include <QString>

#include <optional>

namespace GlobalShortcuts {

// A user-configurable global shortcut, optionally with the combination it gets
// while nothing is stored. Its shortcut lives in the settings under
// "GlobalShortcuts_" + rawValue (see Registry, which also writes the default
// when a Name is declared). Names are equal when their raw values are.
class Name
{
public:
    Name() = default; // an empty raw value; only for QVariant
    explicit Name(const QString &rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt)
        : m_rawValue(rawValue)
        , m_defaultShortcut(defaultShortcut)
    { }

    QString rawValue() const { return m_rawValue; }
    std::optional<Shortcut> defaultShortcut() const { return m_defaultShortcut; }

    // The settings key that holds the shortcut.
    QString defaultsKey() const { return keyPrefix() + m_rawValue; }
    static QString keyPrefix() { return QStringLiteral("GlobalShortcuts_"); }

    friend bool operator==(const Name &a, const Name &b) { return a.m_rawValue == b.m_rawValue; }

private:
    QString m_rawValue;
    std::optional<Shortcut> m_defaultShortcut;
};

inline size_t qHash(const Name &name, size_t seed = 0)
{
    return ::qHash(name.rawValue(), seed);
}

// The program's one shortcut: it drops the panel down or collapses it, on release.
// It has no default: until the user records one, nothing is grabbed.
inline Name toggleHUD()
{
    return Name(QStringLiteral("toggleHUD"));
}

} // namespace GlobalShortcuts
