#pragma once

#include "shortcuts/menuitem.h"

#include <QList>
#include <QPointer>

class QAction;
class QKeySequence;
class QMenu;

namespace GlobalShortcuts {

// The program's menus, where a shortcut is checked for a clash with them. Linux
// has no global menu bar, so the application registers its menus here: the tray
// icon's menu and the application-wide actions (Settings, Quit). The standard
// edit shortcuts (undo, cut, copy, paste, select all…) that every text field
// answers are always part of it. Menus and actions are held weakly: one that is
// destroyed simply drops out. Main thread only.
class ApplicationMenu
{
public:
    static ApplicationMenu &shared();

    void addMenu(QMenu *menu);
    void addAction(QAction *action);

    // The current state of every registered menu and action, in the order they
    // were added, followed by an "Edit" menu of the standard edit shortcuts.
    Menu menu() const;

    // The items a key sequence gives: none unless it is a single key with
    // modifiers that a menu can carry (keypad keys can't).
    static std::optional<MenuItem> itemForKeySequence(const QString &title, const QKeySequence &sequence);

private:
    QList<QPointer<QObject>> m_order;
};

} // namespace GlobalShortcuts
