#include "shortcuts/texts.h"

#include <QHash>

namespace GlobalShortcuts {

QString localizedString(const QString &key)
{
    static const QHash<QString, QString> english = {
        { QStringLiteral("record_shortcut"), QStringLiteral("Record Shortcut") },
        { QStringLiteral("press_shortcut"), QStringLiteral("Press Shortcut") },
        { QStringLiteral("space_key"), QStringLiteral("space") },
        { QStringLiteral("keyboard_shortcut_used_by_menu_item"),
            QStringLiteral(
                "This keyboard shortcut can't be used because the menu item “%1” already uses it.") },
        { QStringLiteral("keyboard_shortcut_disallowed"),
            QStringLiteral(
                "This keyboard shortcut can't be used: a shortcut needs a modifier besides Alt and "
                "Shift.") },
        { QStringLiteral("keyboard_shortcut_used_by_system"),
            QStringLiteral("This keyboard shortcut can't be used because another program already uses it.") },
        { QStringLiteral("keyboard_shortcuts_can_be_changed"),
            QStringLiteral("Most system-wide keyboard shortcuts can be changed in the system settings, under "
                           "Keyboard, or in the program that uses them.") },
        { QStringLiteral("ok"), QStringLiteral("OK") },
        { QStringLiteral("force_use_shortcut"), QStringLiteral("Use Anyway") },
    };
    return english.value(key, key);
}

QString capitalized(const QString &text)
{
    QString result = text;
    bool startOfWord = true;
    for (QChar &c : result) {
        if (c.isSpace()) {
            startOfWord = true;
            continue;
        }
        c = startOfWord ? c.toUpper() : c.toLower();
        startOfWord = false;
    }
    return result;
}

} // namespace GlobalShortcuts
