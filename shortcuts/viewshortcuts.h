#pragma once

#include "shortcuts/eventstream.h"

#include <functional>

class QAbstractButton;
class QAction;
class QWidget;

namespace GlobalShortcuts {

class Registry;

// Global shortcuts attached to widgets. The registry must outlive the widgets.
// Main thread only.

// While `widget` is shown, reads the Name's event stream and calls `action` with
// each press and release, in order; each showing opens a new stream, and hiding
// (or destroying) the widget ends it.
void onKeyboardShortcut(
    QWidget &widget, Registry &registry, const Name &name, std::function<void(EventType)> action);
// The same for one kind of event only.
void onKeyboardShortcut(
    QWidget &widget, Registry &registry, const Name &name, EventType type, std::function<void()> action);

inline void onGlobalKeyboardShortcut(
    QWidget &widget, Registry &registry, const Name &name, std::function<void(EventType)> action)
{
    onKeyboardShortcut(widget, registry, name, std::move(action));
}
inline void onGlobalKeyboardShortcut(
    QWidget &widget, Registry &registry, const Name &name, EventType type, std::function<void()> action)
{
    onKeyboardShortcut(widget, registry, name, type, std::move(action));
}

// Gives the button (or the action) the Name's stored shortcut as its own key
// sequence, inside the program: kept in step with the Name's changes, and none
// while any shortcut recorder records (so the key reaches the recorder).
void globalKeyboardShortcut(QAbstractButton &button, Registry &registry, const Name &name);
void globalKeyboardShortcut(QAction &action, Registry &registry, const Name &name);

} // namespace GlobalShortcuts
