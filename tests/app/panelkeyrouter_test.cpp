#include "app/panelkeyrouter.h"

#include <gtest/gtest.h>

using namespace PanelKeys;

namespace {

using Kind = Action::Kind;

Context clipboardFocused()
{
    return { true, FocusedPane::Clipboard, false, false };
}
Context notesFocused()
{
    return { true, FocusedPane::Notes, false, false };
}
Context searchFocused()
{
    return { true, std::nullopt, true, false };
}
Context editing()
{
    return { true, FocusedPane::Notes, false, true };
}
Context hidden()
{
    return { false, FocusedPane::Clipboard, false, false };
}

struct Row
{
    const char *name;
    int key;
    Modifiers modifiers;
    Context context;
    std::optional<Action> expected;
};

void PrintTo(const Row &row, std::ostream *os)
{
    *os << row.name;
}

class PanelKeyRouter : public ::testing::TestWithParam<Row>
{
};

TEST_P(PanelKeyRouter, answersTheTable)
{
    const Row &row = GetParam();
    EXPECT_EQ(actionFor(row.key, row.modifiers, row.context), row.expected);
}

const Modifiers none;
const Modifiers shift = Modifier::Shift;
const Modifiers command = Modifier::Command;
const Modifiers option = Modifier::Option;
const Modifiers control = Modifier::Control;

INSTANTIATE_TEST_SUITE_P(Keys, PanelKeyRouter,
    ::testing::Values(
        Row { "escapeDismisses", Qt::Key_Escape, none, notesFocused(), Action { Kind::Dismiss } },
        Row { "escapeWithCommandDismisses", Qt::Key_Escape, command, searchFocused(),
            Action { Kind::Dismiss } },
        Row { "escapeWhileEditingDismisses", Qt::Key_Escape, none, editing(), Action { Kind::Dismiss } },
        Row { "tabCyclesForward", Qt::Key_Tab, none, clipboardFocused(), Action { Kind::CycleFocus, false } },
        Row { "shiftTabCyclesBackward", Qt::Key_Tab, shift, clipboardFocused(),
            Action { Kind::CycleFocus, true } },
        Row { "backtabCyclesBackward", Qt::Key_Backtab, shift, notesFocused(),
            Action { Kind::CycleFocus, true } },
        Row { "tabInTheEditorMovesFocus", Qt::Key_Tab, none, editing(), Action { Kind::CycleFocus, false } },
        Row { "tabInTheSearchFieldMovesFocus", Qt::Key_Tab, none, searchFocused(),
            Action { Kind::CycleFocus, false } },
        Row { "commandTabIsNotClaimed", Qt::Key_Tab, command, clipboardFocused(), std::nullopt },
        Row { "optionTabIsNotClaimed", Qt::Key_Tab, option, clipboardFocused(), std::nullopt },
        Row { "controlTabIsNotClaimed", Qt::Key_Tab, control, clipboardFocused(), std::nullopt },
        Row { "returnCopies", Qt::Key_Return, none, clipboardFocused(), Action { Kind::CopySelection } },
        Row { "keypadEnterCopies", Qt::Key_Enter, none, clipboardFocused(), Action { Kind::CopySelection } },
        Row {
            "shiftReturnCopies", Qt::Key_Return, shift, clipboardFocused(), Action { Kind::CopySelection } },
        Row { "commandReturnIsNotClaimed", Qt::Key_Return, command, clipboardFocused(), std::nullopt },
        Row { "returnInTheSearchFieldReachesIt", Qt::Key_Return, none, searchFocused(), std::nullopt },
        Row { "returnInTheNotesPaneIsNotClaimed", Qt::Key_Return, none, notesFocused(), std::nullopt },
        Row { "returnWhileEditingTextIsNotClaimed", Qt::Key_Return, none,
            Context { true, FocusedPane::Clipboard, false, true }, std::nullopt },
        Row { "backspaceDeletes", Qt::Key_Backspace, none, clipboardFocused(),
            Action { Kind::DeleteSelection } },
        Row { "forwardDeleteDeletes", Qt::Key_Delete, none, clipboardFocused(),
            Action { Kind::DeleteSelection } },
        Row { "downMovesDown", Qt::Key_Down, none, clipboardFocused(),
            Action { Kind::MoveSelection, false, +1 } },
        Row { "upMovesUp", Qt::Key_Up, none, clipboardFocused(), Action { Kind::MoveSelection, false, -1 } },
        Row { "optionDownIsNotClaimed", Qt::Key_Down, option, clipboardFocused(), std::nullopt },
        Row { "arrowsInTheNotesPaneReachTheList", Qt::Key_Down, none, notesFocused(), std::nullopt },
        Row { "otherKeysAreNotClaimed", Qt::Key_N, command, notesFocused(), std::nullopt },
        Row { "escapeWhileHiddenIsNotClaimed", Qt::Key_Escape, none, hidden(), std::nullopt },
        Row { "tabWhileHiddenIsNotClaimed", Qt::Key_Tab, none, hidden(), std::nullopt },
        Row { "returnWhileHiddenIsNotClaimed", Qt::Key_Return, none, hidden(), std::nullopt }),
    [](const ::testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

TEST(PanelKeyModifiers, followTheProgramsConvention)
{
    EXPECT_EQ(modifiersFrom(Qt::ControlModifier), command);
    EXPECT_EQ(modifiersFrom(Qt::MetaModifier), control);
    EXPECT_EQ(modifiersFrom(Qt::AltModifier), option);
    EXPECT_EQ(modifiersFrom(Qt::ShiftModifier | Qt::KeypadModifier), shift);
}

TEST(FocusCycle, forwardAndBackwardFollowTheRing)
{
    const auto clipboard = PanelFocusTarget::pane(FocusedPane::Clipboard);
    const auto notes = PanelFocusTarget::pane(FocusedPane::Notes);
    const auto search = PanelFocusTarget::search();
    const auto nothing = PanelFocusTarget::none();

    struct Step
    {
        PanelFocusTarget from;
        bool reverse;
        PanelFocusTarget to;
        bool request;
    };
    const Step steps[] = {
        { clipboard, false, notes, false },
        { clipboard, true, search, false },
        { notes, false, search, false },
        { notes, true, clipboard, true },
        { search, false, clipboard, true },
        { search, true, notes, false },
        { nothing, false, search, false },
        { nothing, true, search, false },
    };
    for (const Step &step : steps) {
        const FocusStep next = nextFocusTarget(step.from, step.reverse);
        EXPECT_EQ(next.target, step.to);
        EXPECT_EQ(next.requestsClipboardFocus, step.request);
    }
}

} // namespace
