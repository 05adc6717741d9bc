#include "clipboard/clipboardselection.h"

#include <gtest/gtest.h>

namespace {

// Letters stand for entry ids, as in the rules' own cases; '-' is no selection.
QUuid id(char letter)
{
    return QUuid::fromString(
        QStringLiteral("{00000000-0000-0000-0000-0000000000%1}").arg(int(letter), 2, 16, QLatin1Char('0')));
}

std::optional<QUuid> sel(char letter)
{
    return letter == '-' ? std::nullopt : std::optional<QUuid>(id(letter));
}

QList<QUuid> list(const char *letters)
{
    QList<QUuid> ids;
    for (const char *c = letters; *c; ++c)
        ids.append(id(*c));
    return ids;
}

struct Case
{
    const char *name;
    const char *visible;
    char selection;
    char expected;
    int step = 0; // selectionMoved
    char removed = 0; // selectionAfterRemoval
    bool focus = true; // selectionKeptIfVisible
};

class Validated : public testing::TestWithParam<Case>
{
};
class Moved : public testing::TestWithParam<Case>
{
};
class AfterRemoval : public testing::TestWithParam<Case>
{
};
class KeptIfVisible : public testing::TestWithParam<Case>
{
};

auto caseName = [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); };

TEST_P(Validated, keepsAVisibleSelectionElseTheFirst)
{
    const Case &c = GetParam();
    EXPECT_EQ(selectionValidated(sel(c.selection), list(c.visible)), sel(c.expected));
}

INSTANTIATE_TEST_SUITE_P(ClipboardSelection, Validated,
    testing::Values(Case { "emptyListWithSelection", "", 'B', '-' },
        Case { "noSelectionTakesFirst", "ABC", '-', 'A' }, Case { "visibleSelectionKept", "ABC", 'B', 'B' },
        Case { "hiddenSelectionTakesFirst", "ABC", 'Z', 'A' }),
    caseName);

TEST_P(Moved, stepsAndClampsWithoutWrapping)
{
    const Case &c = GetParam();
    EXPECT_EQ(selectionMoved(sel(c.selection), c.step, list(c.visible)), sel(c.expected));
}

INSTANTIATE_TEST_SUITE_P(ClipboardSelection, Moved,
    testing::Values(Case { "emptyList", "", 'A', '-', 1 }, Case { "downFromMiddle", "ABC", 'B', 'C', 1 },
        Case { "downOnLastStays", "ABC", 'C', 'C', 1 }, Case { "upOnFirstStays", "ABC", 'A', 'A', -1 },
        Case { "noSelectionUpTakesFirst", "ABC", '-', 'A', -1 },
        Case { "hiddenSelectionTakesFirst", "ABC", 'Z', 'A', 1 },
        Case { "hugeStepDoesNotOverflow", "ABC", 'B', 'C', std::numeric_limits<int>::max() },
        Case { "hugeNegativeStepDoesNotOverflow", "ABC", 'B', 'A', std::numeric_limits<int>::min() }),
    caseName);

TEST_P(AfterRemoval, selectsTheEntryThatTakesTheRemovedPlace)
{
    const Case &c = GetParam();
    EXPECT_EQ(selectionAfterRemoval(id(c.removed), sel(c.selection), list(c.visible)), sel(c.expected));
}

INSTANTIATE_TEST_SUITE_P(ClipboardSelection, AfterRemoval,
    testing::Values(Case { "emptyList", "", 'A', '-', 0, 'A' },
        Case { "middleSelectedGivesNext", "ABC", 'B', 'C', 0, 'B' },
        Case { "middleWhileFirstSelectedFollowsPosition", "ABC", 'A', 'C', 0, 'B' },
        Case { "lastGivesNewLast", "ABC", 'C', 'B', 0, 'C' },
        Case { "firstGivesSecond", "ABC", 'A', 'B', 0, 'A' },
        Case { "onlyEntryGivesNone", "A", 'A', '-', 0, 'A' },
        Case { "hiddenRemovedKeepsVisibleSelection", "ABC", 'B', 'B', 0, 'Z' },
        Case { "hiddenRemovedWithHiddenSelectionTakesFirst", "ABC", 'Y', 'A', 0, 'Z' }),
    caseName);

TEST_P(KeptIfVisible, onlyAVisibleSelectionWhileThePaneHasFocus)
{
    const Case &c = GetParam();
    EXPECT_EQ(selectionKeptIfVisible(sel(c.selection), list(c.visible), c.focus), sel(c.expected));
}

INSTANTIATE_TEST_SUITE_P(ClipboardSelection, KeptIfVisible,
    testing::Values(Case { "emptyList", "", 'A', '-' }, Case { "visibleWithFocus", "ABC", 'B', 'B' },
        Case { "visibleWithoutFocus", "ABC", 'B', '-', 0, 0, false },
        Case { "hiddenWithFocus", "ABC", 'Z', '-' }, Case { "noSelection", "ABC", '-', '-' }),
    caseName);

} // namespace
