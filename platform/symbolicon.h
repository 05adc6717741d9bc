#pragma once

#include <QColor>
#include <QIcon>

// The small monochrome symbols the panel draws beside its texts. Each comes from
// the freedesktop icon theme when the theme has it and from a bundled SVG
// otherwise, so a bare X server without any theme still shows every symbol.
enum class Symbol {
    MagnifyingGlass, // "magnifyingglass"
    ClearCircle, // "xmark.circle.fill"
    Gear, // "gearshape"
    Pin, // "pin.fill"
    ChevronUp, // "chevron.up"
    ChevronDown, // "chevron.down"
    LockShield, // "lock.shield"
    Folder, // "folder"
    FolderPlus, // "folder.badge.plus"
    Copy, // "doc.on.doc"
    Document, // "doc"
    Trash, // "trash"
    Pencil, // "pencil"
    InfoCircle, // "info.circle.fill"
    CheckedSquare, // "checkmark.square.fill"
    Square, // "square"
    SplitRectangle, // "rectangle.split.2x1"
};

// The symbol as the theme or the bundled file draws it (theme icons keep their
// own colours). Never null. Main thread only (icons are cached).
QIcon symbolIcon(Symbol symbol);

// The symbol painted in one colour, keeping only its shape's alpha: what the
// panel's "secondary" and "tertiary" styles want. Sharp at any device-pixel
// ratio, because the icon is rendered at the size it is asked for. Main thread only.
QIcon symbolIcon(Symbol symbol, const QColor &tint);

// Any icon painted in one colour the same way (the program's own, say).
QIcon tintedIcon(const QIcon &icon, const QColor &tint);

// A tinted pixmap of `logicalSize` points for `devicePixelRatio`, for painting
// by hand (QPainter::drawPixmap at logical coordinates).
QPixmap symbolPixmap(Symbol symbol, int logicalSize, const QColor &tint, qreal devicePixelRatio);

// Only the bundled drawing, ignoring the theme: for tests and for places that
// must look the same on every machine.
QIcon bundledSymbolIcon(Symbol symbol);
