#include "shortcuts/menuitemshortcut.h"

#include "tests/shortcuts/registryfixture.h"

#include <QAction>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

const Shortcut ctrlShiftK(Key::k, ModifierFlag::Command | ModifierFlag::Shift);
const Shortcut ctrlL(Key::l, ModifierFlag::Command);
const Shortcut keypad5(Key::keypad5, ModifierFlag::Command);

class MenuItemShortcutTest : public RegistryFixture
{
};

TEST_F(MenuItemShortcutTest, followsItsNameItsNameOnTheNextTurnUntilItStops)
{
    QAction item;
    setShortcut(item, registry, toggle); // nothing stored yet
    EXPECT_TRUE(item.shortcut().isEmpty());
    EXPECT_EQ(followedName(item), toggle);

    registry.setShortcut(ctrlShiftK, toggle);
    EXPECT_TRUE(item.shortcut().isEmpty()); // not within the call that changed it
    turn();
    EXPECT_EQ(item.shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+K")));

    registry.setShortcut(ctrlL, other); // another Name
    turn();
    EXPECT_EQ(item.shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+K")));

    // Shown once on a following item: until the followed Name's next change.
    setShortcut(item, std::optional<Shortcut>(ctrlL));
    EXPECT_EQ(item.shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    registry.setShortcut(keypad5, toggle); // a keypad key: no key sequence
    turn();
    EXPECT_TRUE(item.shortcut().isEmpty());

    // Following another Name: the first one's changes no longer reach it.
    setShortcut(item, registry, other);
    EXPECT_EQ(item.shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    registry.setShortcut(ctrlShiftK, toggle);
    turn();
    EXPECT_EQ(item.shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));

    // Stopping clears it; a change pending from before doesn't come back.
    registry.setShortcut(ctrlShiftK, other);
    setShortcut(item, registry, std::nullopt);
    turn();
    EXPECT_TRUE(item.shortcut().isEmpty());
    EXPECT_FALSE(followedName(item).has_value());
    registry.setShortcut(ctrlL, other);
    turn();
    EXPECT_TRUE(item.shortcut().isEmpty());

    QAction never;
    never.setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    setShortcut(never, registry, std::nullopt);
    EXPECT_TRUE(never.shortcut().isEmpty());
}

} // namespace
