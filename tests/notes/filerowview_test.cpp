#include "notes/filerowview.h"

#include "tests/support/printers.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

// The entries of a menu, submenus as "Title>[entries]", dividers as "-".
QStringList entries(const QMenu &menu)
{
    QStringList texts;
    for (QAction *action : menu.actions()) {
        if (action->isSeparator())
            texts.append("-");
        else if (action->menu())
            texts.append(action->text() + ">[" + entries(*action->menu()).join(',') + ']');
        else
            texts.append(action->text());
    }
    return texts;
}

struct MenuCase
{
    const char *name;
    std::optional<QString> noteFolder;
    QStringList folders;
    QStringList expected;
};

class RowMenu : public ::testing::TestWithParam<MenuCase>
{
};

TEST_P(RowMenu, offersTheFoldersTheNoteCanMoveTo)
{
    FileRowView row;
    row.file.name = "n";
    row.file.folder = GetParam().noteFolder;
    row.folders = GetParam().folders;
    QMenu menu;
    row.fillContextMenu(menu);
    EXPECT_EQ(entries(menu), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(FileRowView, RowMenu,
    ::testing::Values(MenuCase { "rootWithoutFolders", std::nullopt, {},
                          { "Rename...", "Reveal in File Manager", "-", "Delete" } },
        MenuCase { "rootWithFolders", std::nullopt, { "Archive", "Work" },
            { "Rename...", "Reveal in File Manager", "Move to...>[Archive,Work]", "-", "Delete" } },
        MenuCase { "inWork", QStringLiteral("Work"), { "Archive", "Work" },
            { "Rename...", "Reveal in File Manager", "Move to...>[Root,-,Archive]", "-", "Delete" } },
        MenuCase { "inTheOnlyFolder", QStringLiteral("Work"), { "Work" },
            { "Rename...", "Reveal in File Manager", "Move to...>[Root,-]", "-", "Delete" } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FileRowView, eachEntryCallsItsCallback)
{
    QStringList calls;
    FileRowView row;
    row.file.folder = QStringLiteral("Work");
    row.folders = { "Archive", "Work" };
    row.onRename = [&] { calls.append("rename"); };
    row.onRevealInFinder = [&] { calls.append("reveal"); };
    row.onDelete = [&] { calls.append("delete"); };
    row.onSelect = [&] { calls.append("select"); };
    row.onMove
        = [&](const std::optional<QString> &folder) { calls.append("move:" + folder.value_or("root")); };
    QMenu menu;
    row.fillContextMenu(menu);
    for (QAction *action : menu.actions()) {
        if (action->menu()) {
            for (QAction *entry : action->menu()->actions())
                entry->trigger();
        } else {
            action->trigger();
        }
    }
    row.click();
    EXPECT_EQ(calls, QStringList({ "rename", "reveal", "move:root", "move:Archive", "delete", "select" }));
}

} // namespace
