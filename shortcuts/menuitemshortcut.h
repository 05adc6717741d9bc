#pragma once

#include "shortcuts/name.h"

#include <optional>

class QAction;

namespace GlobalShortcuts {

class Registry;

// Menu items (actions) that show a global shortcut as their own key sequence.
// Main thread only.

// Shows `shortcut` once (none clears it). An action that follows a Name goes on
// following it: its next change shows again.
void setShortcut(QAction &action, const std::optional<Shortcut> &shortcut);

// With a Name: shows its stored shortcut and follows its changes, each shown on
// the next turn of the event loop (not within the call that changed it); a later
// call with another Name follows that one instead. With none: clears the action
// and stops following. The registry must outlive the following.
void setShortcut(QAction &action, Registry &registry, const std::optional<Name> &name);

// The Name the action follows, if any.
std::optional<Name> followedName(const QAction &action);

} // namespace GlobalShortcuts
