#pragma once

#include "notes/notefile.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <optional>

class QMenu;
class QPainter;
class QPalette;
class QRect;
class QSize;

// One note of the notes list: its name and, under it, how long ago it changed;
// the selected note in semibold on the accent tint. The row decides nothing:
// a click and every entry of its menu call the list's callbacks.
//
// A row is a value the list paints, not a widget, so a vault of thousands of
// notes costs no widget per note.
class FileRowView
{
public:
    NoteFile file;
    bool isSelected = false;
    QStringList folders; // every top-level folder of the vault, in the list's order
    std::function<void()> onSelect;
    std::function<void()> onDelete;
    std::function<void()> onRename;
    std::function<void()> onRevealInFinder;
    std::function<void(const std::optional<QString> &folder)> onMove; // none: the vault itself

    static QSize sizeHint();
    // `now` is the moment the relative time is told from.
    void paint(QPainter &painter, const QRect &rect, const QPalette &palette, const QDateTime &now) const;

    // A click anywhere in the row.
    void click() const;
    // The row's menu: "Rename...", "Reveal in File Manager", "Move to..." (unless
    // there is nowhere to move to), a divider and "Delete".
    void fillContextMenu(QMenu &menu) const;

    // The folders "Move to..." offers: "Root" (none) first for a note in a
    // folder, then every folder but the note's own. Empty: no submenu.
    QList<std::optional<QString>> moveTargets() const;
};
