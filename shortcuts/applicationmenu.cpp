#include "shortcuts/applicationmenu.h"

#include "shortcuts/specialkey.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace GlobalShortcuts {

namespace {

void appendAction(Menu &menu, QAction *action);

Menu itemsOf(const QMenu *menu)
{
    Menu items;
    for (QAction *action : menu->actions())
        appendAction(items, action);
    return items;
}

void appendAction(Menu &menu, QAction *action)
{
    if (action->isSeparator())
        return;
    const QString title = action->text();
    if (const QMenu *submenu = action->menu()) {
        MenuItem item;
        item.title = title;
        item.submenu = itemsOf(submenu);
        item.action = action;
        menu.append(item);
        return;
    }
    const QList<QKeySequence> shortcuts = action->shortcuts();
    if (shortcuts.isEmpty()) {
        MenuItem item;
        item.title = title;
        item.action = action;
        menu.append(item);
        return;
    }
    for (const QKeySequence &sequence : shortcuts) {
        if (std::optional<MenuItem> item = ApplicationMenu::itemForKeySequence(title, sequence)) {
            item->action = action;
            menu.append(*item);
        }
    }
}

MenuItem standardEditMenu()
{
    static const std::pair<QKeySequence::StandardKey, const char *> actions[] = {
        { QKeySequence::Undo, "Undo" },
        { QKeySequence::Redo, "Redo" },
        { QKeySequence::Cut, "Cut" },
        { QKeySequence::Copy, "Copy" },
        { QKeySequence::Paste, "Paste" },
        { QKeySequence::Delete, "Delete" },
        { QKeySequence::SelectAll, "Select All" },
        { QKeySequence::Find, "Find" },
    };
    MenuItem edit;
    edit.title = QStringLiteral("Edit");
    for (const auto &[standardKey, title] : actions) {
        for (const QKeySequence &sequence : QKeySequence::keyBindings(standardKey)) {
            if (std::optional<MenuItem> item
                = ApplicationMenu::itemForKeySequence(QString::fromLatin1(title), sequence))
                edit.submenu.append(*item);
        }
    }
    return edit;
}

} // namespace

ApplicationMenu &ApplicationMenu::shared()
{
    static ApplicationMenu instance;
    return instance;
}

void ApplicationMenu::addMenu(QMenu *menu)
{
    m_order.append(menu);
}

void ApplicationMenu::addAction(QAction *action)
{
    m_order.append(action);
}

Menu ApplicationMenu::menu() const
{
    Menu menu;
    for (const QPointer<QObject> &entry : m_order) {
        if (auto *submenu = qobject_cast<QMenu *>(entry.data())) {
            MenuItem item;
            item.title = submenu->title();
            item.submenu = itemsOf(submenu);
            menu.append(item);
        } else if (auto *action = qobject_cast<QAction *>(entry.data())) {
            appendAction(menu, action);
        }
    }
    menu.append(standardEditMenu());
    return menu;
}

std::optional<MenuItem> ApplicationMenu::itemForKeySequence(
    const QString &title, const QKeySequence &sequence)
{
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (modifiers.testFlag(Qt::KeypadModifier))
        return std::nullopt;
    const int key = combination.key();
    QString equivalent;
    if (const SpecialKeyInfo *special = specialKeyForQtKey(key)) {
        if (!special->menuKeyEquivalent)
            return std::nullopt;
        equivalent = QString::fromUtf16(special->menuKeyEquivalent);
    } else if (key > 0 && key < 0x110000 && QChar::isPrint(char32_t(key))) {
        const char32_t ucs4 = char32_t(key);
        equivalent = QString::fromUcs4(&ucs4, 1).toLower();
    } else {
        return std::nullopt;
    }
    MenuItem item;
    item.title = title;
    item.keyEquivalent = equivalent;
    item.keyEquivalentModifierMask = modifierFlags(modifiers);
    return item;
}

} // namespace GlobalShortcuts
