#pragma once

#include "app/panelfocus.h"

#include <QFlags>

#include <optional>

// The keys that act on the panel as a whole rather than on the focused view, as pure
// decisions over plain values so that every row of the table can be tested alone.
// Modifier names follow the program's convention: command is Ctrl, control is Super
// (Meta), option is Alt.
namespace PanelKeys {

enum class Modifier { Shift = 1, Command = 2, Option = 4, Control = 8 };
Q_DECLARE_FLAGS(Modifiers, Modifier)

struct Context
{
    bool isPanelVisible = false;
    std::optional<FocusedPane> focusedPane; // none while the search field or nothing has focus
    bool isSearchFocused = false;
    bool isEditingText = false;
};

struct Action
{
    enum class Kind { CycleFocus, MoveSelection, Dismiss, CopySelection, DeleteSelection };
    Kind kind;
    bool reverse = false; // CycleFocus: Shift-Tab
    int offset = 0; // MoveSelection: +1 down, -1 up

    friend bool operator==(const Action &, const Action &) = default;
};

// `qtKey` is a Qt::Key. Shift-Tab may arrive as Key_Backtab; it counts as Tab with
// Shift. No value: the key is not the panel's and goes on to the focused view.
std::optional<Action> actionFor(int qtKey, Modifiers modifiers, const Context &context);

// Qt's modifier flags in the program's convention; Keypad and the rest are ignored.
Modifiers modifiersFrom(Qt::KeyboardModifiers qtModifiers);

struct FocusStep
{
    PanelFocusTarget target;
    bool requestsClipboardFocus = false; // every step that lands on the clipboard pane
};

FocusStep nextFocusTarget(const PanelFocusTarget &current, bool reverse);

} // namespace PanelKeys

Q_DECLARE_OPERATORS_FOR_FLAGS(PanelKeys::Modifiers)
