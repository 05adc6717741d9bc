#include "app/panelkeyrouter.h"

namespace PanelKeys {

std::optional<Action> actionFor(int qtKey, Modifiers modifiers, const Context &context)
{
    if (!context.isPanelVisible)
        return std::nullopt;
    if (qtKey == Qt::Key_Escape)
        return Action { Action::Kind::Dismiss };

    const bool holdsCommandKeys = modifiers & (Modifier::Command | Modifier::Option | Modifier::Control);
    if (qtKey == Qt::Key_Tab || qtKey == Qt::Key_Backtab) {
        // Tab is claimed even in the editor and the search field: it always moves focus.
        if (holdsCommandKeys)
            return std::nullopt;
        const bool reverse = qtKey == Qt::Key_Backtab || modifiers.testFlag(Modifier::Shift);
        return Action { Action::Kind::CycleFocus, reverse };
    }

    std::optional<Action> selectionAction;
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        selectionAction = Action { Action::Kind::CopySelection };
        break;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        selectionAction = Action { Action::Kind::DeleteSelection };
        break;
    case Qt::Key_Down:
        selectionAction = Action { Action::Kind::MoveSelection, false, +1 };
        break;
    case Qt::Key_Up:
        selectionAction = Action { Action::Kind::MoveSelection, false, -1 };
        break;
    default:
        return std::nullopt;
    }
    const bool clipboardOwnsKeys = context.focusedPane == FocusedPane::Clipboard && !context.isSearchFocused
        && !context.isEditingText && !holdsCommandKeys;
    return clipboardOwnsKeys ? selectionAction : std::nullopt;
}

Modifiers modifiersFrom(Qt::KeyboardModifiers qtModifiers)
{
    Modifiers result;
    result.setFlag(Modifier::Shift, qtModifiers & Qt::ShiftModifier);
    result.setFlag(Modifier::Command, qtModifiers & Qt::ControlModifier);
    result.setFlag(Modifier::Option, qtModifiers & Qt::AltModifier);
    result.setFlag(Modifier::Control, qtModifiers & Qt::MetaModifier);
    return result;
}

FocusStep nextFocusTarget(const PanelFocusTarget &current, bool reverse)
{
    const PanelFocusTarget clipboard = PanelFocusTarget::pane(FocusedPane::Clipboard);
    const PanelFocusTarget notes = PanelFocusTarget::pane(FocusedPane::Notes);
    const PanelFocusTarget search = PanelFocusTarget::search();
    switch (current.kind()) {
    case PanelFocusTarget::Kind::Pane:
        if (current.paneValue() == FocusedPane::Clipboard)
            return reverse ? FocusStep { search } : FocusStep { notes };
        return reverse ? FocusStep { clipboard, true } : FocusStep { search };
    case PanelFocusTarget::Kind::Search:
        return reverse ? FocusStep { notes } : FocusStep { clipboard, true };
    case PanelFocusTarget::Kind::None:
        break;
    }
    return FocusStep { search };
}

} // namespace PanelKeys
