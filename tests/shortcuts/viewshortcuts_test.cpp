#include "shortcuts/viewshortcuts.h"

#include "shortcuts/recordercocoa.h"
#include "tests/shortcuts/registryfixture.h"

#include <QAction>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

const Shortcut ctrlShiftK(Key::k, ModifierFlag::Command | ModifierFlag::Shift);
const Shortcut ctrlL(Key::l, ModifierFlag::Command);

class ViewShortcutsTest : public RegistryFixture
{
protected:
    void recorderActive(const QVariantMap &userInfo)
    {
        notifications.post(GlobalShortcuts::recorderActiveStatusDidChange, userInfo);
    }
};

// --- event actions while a widget is shown ------------------------------------------

TEST_F(ViewShortcutsTest, aWidgetHearsItsNameOnlyWhileShown)
{
    registry.setShortcut(ctrlShiftK, toggle);
    registry.disable({ toggle });
    QWidget widget;
    QList<EventType> all;
    int releases = 0;
    onKeyboardShortcut(widget, registry, toggle, [&](EventType type) { all.append(type); });
    onGlobalKeyboardShortcut(widget, registry, toggle, EventType::KeyUp, [&] { ++releases; });
    turn();
    tap(ctrlShiftK);
    EXPECT_TRUE(all.isEmpty()); // hidden: no stream, not even registered
    EXPECT_FALSE(grabber.isGrabbed(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers()));

    widget.show();
    turn();
    tap(ctrlShiftK);
    EXPECT_EQ(all, (QList<EventType> { EventType::KeyDown, EventType::KeyUp }));
    EXPECT_EQ(releases, 1);

    widget.hide();
    turn();
    tap(ctrlShiftK);
    EXPECT_EQ(all.size(), 2);
    EXPECT_FALSE(grabber.isGrabbed(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers()));

    widget.show(); // a new stream for each showing
    turn();
    tap(ctrlShiftK);
    EXPECT_EQ(all.size(), 4);
    EXPECT_EQ(releases, 2);
}

// --- a button's or an action's own shortcut ---------------------------------------------

TEST_F(ViewShortcutsTest, theLocalShortcutFollowsItsNameAndStepsAsideWhileARecorderRecords)
{
    registry.setShortcut(ctrlShiftK, toggle);
    QPushButton button;
    QAction action;
    globalKeyboardShortcut(button, registry, toggle);
    globalKeyboardShortcut(action, registry, toggle);
    EXPECT_EQ(button.shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+K")));
    EXPECT_EQ(action.shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+K")));

    recorderActive({ { QStringLiteral("isActive"), true } });
    EXPECT_TRUE(button.shortcut().isEmpty());
    registry.setShortcut(ctrlL, toggle); // recorded meanwhile
    EXPECT_TRUE(action.shortcut().isEmpty());
    recorderActive({ { QStringLiteral("isActive"), false } });
    EXPECT_EQ(button.shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    EXPECT_EQ(action.shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));

    recorderActive({ { QStringLiteral("isActive"), true } });
    recorderActive({}); // no answer reads as not recording
    EXPECT_EQ(button.shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));

    registry.setShortcut(ctrlShiftK, other); // another Name: untouched
    EXPECT_EQ(button.shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    registry.setShortcut(std::nullopt, toggle);
    EXPECT_TRUE(button.shortcut().isEmpty());
}

} // namespace
