#include "shortcuts/registry.h"

#include "platform/defaults.h"
#include "platform/fake/fakehotkeygrabber.h"
#include "platform/notificationcenter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

const Shortcut commandShiftK(Key::k, ModifierFlag::Command | ModifierFlag::Shift);
const Shortcut commandL(Key::l, ModifierFlag::Command);
const Shortcut optionSpace(Key::space, ModifierFlag::Option);

class RegistryTest : public ::testing::Test
{
protected:
    RegistryTest()
        : defaults(dir.filePath(QStringLiteral("defaults.json")))
        , registry(defaults, notifications, grabber)
        , observer(notifications.addObserver(
              shortcutByNameDidChange, [this](const Notification &n) { posted.append(n.userInfo); }))
    { }

    bool grabbed(const Shortcut &s) const
    {
        return grabber.isGrabbed(s.carbonKeyCode(), s.carbonModifiers());
    }
    void press(const Shortcut &s) { grabber.press(s.carbonKeyCode(), s.carbonModifiers()); }
    void release(const Shortcut &s) { grabber.release(s.carbonKeyCode(), s.carbonModifiers()); }
    void tap(const Shortcut &s)
    {
        press(s);
        release(s);
    }

    QTemporaryDir dir;
    Defaults defaults;
    NotificationCenter notifications;
    FakeHotKeyGrabber grabber;
    Registry registry;
    QList<QVariantMap> posted;
    NotificationToken observer;
    const Name toggle { QStringLiteral("toggleHUD") };
    const Name withDefault { QStringLiteral("withDefault"), commandL };
};

TEST_F(RegistryTest, storesTheJsonStringUnderThePrefixedKeyAndAnnouncesIt)
{
    registry.setShortcut(commandShiftK, toggle);
    EXPECT_EQ(defaults.string(QStringLiteral("GlobalShortcuts_toggleHUD")),
        QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":768})"));
    EXPECT_EQ(registry.shortcut(toggle), commandShiftK);
    EXPECT_TRUE(grabbed(commandShiftK)); // stored means registered, even without actions
    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(posted[0].value(QStringLiteral("name")).value<Name>(), toggle);
}

TEST_F(RegistryTest, storedValuesThatDoNotDecodeReadAsNoShortcut)
{
    for (const QString &value : { QStringLiteral("{\"carbonKeyCode\":40}"), QStringLiteral("junk"),
             QStringLiteral("{\"carbonKeyCode\":\"40\",\"carbonModifiers\":0}") }) {
        defaults.setString(toggle.defaultsKey(), value);
        EXPECT_FALSE(registry.shortcut(toggle).has_value()) << value.toStdString();
    }
    defaults.setInteger(toggle.defaultsKey(), 40);
    EXPECT_FALSE(registry.shortcut(toggle).has_value());
    defaults.setBoolean(toggle.defaultsKey(), true);
    EXPECT_FALSE(registry.shortcut(toggle).has_value());

    // Clearing what doesn't decode changes and announces nothing.
    registry.setShortcut(std::nullopt, toggle);
    EXPECT_TRUE(defaults.contains(toggle.defaultsKey()));
    EXPECT_TRUE(posted.isEmpty());
}

TEST_F(RegistryTest, declaringWritesADefaultOnlyWhileTheKeyIsAbsent)
{
    registry.declare(withDefault);
    EXPECT_EQ(registry.shortcut(withDefault), commandL);
    EXPECT_TRUE(grabbed(commandL));
    EXPECT_EQ(posted.size(), 1);

    registry.declare(withDefault);
    EXPECT_EQ(posted.size(), 1);

    registry.declare(toggle); // no default: nothing written, nothing grabbed
    EXPECT_FALSE(defaults.contains(toggle.defaultsKey()));
    EXPECT_EQ(grabber.grabbedCount(), 1);
}

TEST_F(RegistryTest, clearingADefaultWritesFalseWhichSurvivesDeclareUntilReset)
{
    registry.declare(withDefault);
    registry.setShortcut(std::nullopt, withDefault);
    EXPECT_EQ(defaults.boolean(withDefault.defaultsKey()), false);
    EXPECT_FALSE(registry.shortcut(withDefault).has_value());
    EXPECT_FALSE(grabbed(commandL));

    registry.declare(withDefault);
    EXPECT_FALSE(registry.shortcut(withDefault).has_value());

    registry.reset({ withDefault });
    EXPECT_EQ(registry.shortcut(withDefault), commandL);
    EXPECT_TRUE(grabbed(commandL));
}

TEST_F(RegistryTest, clearingWithoutADefaultRemovesTheKeySoALaterDefaultIsWritten)
{
    registry.setShortcut(commandShiftK, toggle);
    registry.setShortcut(std::nullopt, toggle);
    EXPECT_FALSE(defaults.contains(toggle.defaultsKey()));
    EXPECT_FALSE(grabbed(commandShiftK));
    EXPECT_EQ(posted.size(), 2);

    registry.declare(Name(toggle.rawValue(), optionSpace));
    EXPECT_EQ(registry.shortcut(toggle), optionSpace);
}

TEST_F(RegistryTest, keyUpActionsRunOnReleaseInTheOrderAdded)
{
    QStringList ran;
    registry.setShortcut(commandShiftK, toggle);
    registry.onKeyUp(toggle, [&] { ran << QStringLiteral("first"); });
    registry.onKeyUp(toggle, [&] { ran << QStringLiteral("second"); });
    press(commandShiftK);
    EXPECT_TRUE(ran.isEmpty());
    release(commandShiftK);
    EXPECT_EQ(ran, QStringList({ QStringLiteral("first"), QStringLiteral("second") }));
}

TEST_F(RegistryTest, actionsWaitForAShortcutAndFollowItsReplacement)
{
    int downs = 0;
    registry.onKeyDown(toggle, [&] { ++downs; });
    EXPECT_EQ(grabber.grabbedCount(), 0);

    registry.setShortcut(commandShiftK, toggle);
    tap(commandShiftK);
    EXPECT_EQ(downs, 1);

    registry.setShortcut(optionSpace, toggle);
    EXPECT_FALSE(grabbed(commandShiftK));
    EXPECT_TRUE(grabbed(optionSpace));
    tap(commandShiftK);
    tap(optionSpace);
    EXPECT_EQ(downs, 2);
}

TEST_F(RegistryTest, twoNamesOnOneShortcutShareItsHotKeyUntilOneMovesAway)
{
    const Name other(QStringLiteral("other"));
    int toggles = 0, others = 0;
    registry.setShortcut(commandShiftK, toggle);
    registry.setShortcut(commandShiftK, other);
    registry.onKeyDown(toggle, [&] { ++toggles; });
    registry.onKeyDown(other, [&] { ++others; });
    EXPECT_EQ(grabber.grabbedCount(), 1);
    tap(commandShiftK);
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(others, 1);

    registry.setShortcut(commandL, other);
    tap(commandShiftK);
    EXPECT_EQ(toggles, 1); // the shared combination went with the move
    registry.enable({ toggle });
    tap(commandShiftK);
    EXPECT_EQ(toggles, 2);
}

TEST_F(RegistryTest, disableUnregistersUntilTheNextRegistrationPoint)
{
    int downs = 0;
    registry.setShortcut(commandShiftK, toggle);
    registry.onKeyDown(toggle, [&] { ++downs; });
    EXPECT_TRUE(registry.isEnabled(toggle));

    registry.disable({ toggle });
    EXPECT_FALSE(registry.isEnabled(toggle));
    tap(commandShiftK);
    EXPECT_EQ(downs, 0);

    registry.setShortcut(commandL, toggle);
    EXPECT_TRUE(registry.isEnabled(toggle));
    tap(commandL);
    EXPECT_EQ(downs, 1);
}

TEST_F(RegistryTest, masterSwitchStopsDeliveryButKeepsRegistrations)
{
    int downs = 0;
    registry.setShortcut(commandShiftK, toggle);
    registry.onKeyDown(toggle, [&] { ++downs; });

    registry.setEnabled(false);
    EXPECT_FALSE(registry.isEnabled(toggle));
    tap(commandShiftK);
    EXPECT_EQ(downs, 0);
    EXPECT_TRUE(registry.registeredHotKeys().contains(commandShiftK));

    registry.setEnabled(true);
    EXPECT_TRUE(registry.isEnabled(toggle));
    tap(commandShiftK);
    EXPECT_EQ(downs, 1);
}

TEST_F(RegistryTest, nothingRunsWhileAShortcutIsRecorded)
{
    int runs = 0;
    registry.setShortcut(commandShiftK, toggle);
    registry.onKeyDown(toggle, [&] { ++runs; });
    registry.onKeyUp(toggle, [&] { ++runs; });
    registry.setRecordingShortcut(true);
    tap(commandShiftK);
    EXPECT_EQ(runs, 0);
    registry.setRecordingShortcut(false);
    tap(commandShiftK);
    EXPECT_EQ(runs, 2);
}

TEST_F(RegistryTest, actionsAddedDuringDispatchRunFromTheNextPress)
{
    int later = 0;
    registry.setShortcut(commandShiftK, toggle);
    registry.onKeyDown(toggle, [&] { registry.onKeyDown(toggle, [&] { ++later; }); });
    tap(commandShiftK);
    EXPECT_EQ(later, 0);
    tap(commandShiftK);
    EXPECT_EQ(later, 1);
}

TEST_F(RegistryTest, removingHandlersUnregistersTheirShortcuts)
{
    const Name other(QStringLiteral("other"));
    int runs = 0;
    registry.setShortcut(commandShiftK, toggle);
    registry.setShortcut(commandL, other);
    registry.onKeyDown(toggle, [&] { ++runs; });
    registry.onKeyDown(other, [&] { ++runs; });

    registry.removeHandler(toggle);
    EXPECT_FALSE(grabbed(commandShiftK));
    EXPECT_TRUE(grabbed(commandL));

    registry.removeAllHandlers();
    EXPECT_EQ(grabber.grabbedCount(), 0);
    registry.setShortcut(commandShiftK, toggle);
    tap(commandShiftK);
    EXPECT_EQ(runs, 0);
}

TEST_F(RegistryTest, resetAllRemovesDecodableEntriesAndLeavesTheRest)
{
    registry.declare(withDefault);
    registry.setShortcut(commandShiftK, toggle);
    defaults.setBoolean(QStringLiteral("GlobalShortcuts_cleared"), false);
    defaults.setString(QStringLiteral("GlobalShortcuts_junk"), QStringLiteral("junk"));
    defaults.setString(QStringLiteral("unrelated"), QString::fromUtf8(commandL.toJson()));
    posted.clear();

    registry.resetAll();
    EXPECT_FALSE(defaults.contains(withDefault.defaultsKey()));
    EXPECT_FALSE(defaults.contains(toggle.defaultsKey()));
    EXPECT_TRUE(defaults.contains(QStringLiteral("GlobalShortcuts_cleared")));
    EXPECT_TRUE(defaults.contains(QStringLiteral("GlobalShortcuts_junk")));
    EXPECT_TRUE(defaults.contains(QStringLiteral("unrelated")));
    EXPECT_EQ(grabber.grabbedCount(), 0);
    EXPECT_EQ(posted.size(), 2);

    registry.declare(withDefault); // the default comes back with the next declaration
    EXPECT_EQ(registry.shortcut(withDefault), commandL);
}

TEST_F(RegistryTest, refusedHotKeyIsReportedOnceAndNotCountedAsRegistered)
{
    int runs = 0;
    grabber.refuse(
        commandShiftK.carbonKeyCode(), commandShiftK.carbonModifiers(), HotKeyGrabber::heldByAnotherClient);
    ::testing::internal::CaptureStdout();
    registry.setShortcut(commandShiftK, toggle);
    registry.onKeyUp(toggle, [&] { ++runs; });
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Error registering hotkey Ctrl+Shift+K: 10\nError registering hotkey Ctrl+Shift+K: 10\n");
    EXPECT_FALSE(registry.isEnabled(toggle));
    EXPECT_FALSE(registry.registeredHotKeys().contains(commandShiftK));
    EXPECT_EQ(registry.shortcut(toggle), commandShiftK); // still stored: the user's choice stands

    // Once the other program lets go, the next registration point takes it.
    grabber.allow(commandShiftK.carbonKeyCode(), commandShiftK.carbonModifiers());
    registry.enable({ toggle });
    EXPECT_TRUE(registry.isEnabled(toggle));
    tap(commandShiftK);
    EXPECT_EQ(runs, 1);
}

TEST_F(RegistryTest, shortcutTheSystemCannotExpressIsRefusedWithMinusOne)
{
    defaults.setString(
        toggle.defaultsKey(), QStringLiteral(R"({"carbonKeyCode":70000,"carbonModifiers":256})"));
    grabber.refuse(70000, 256, HotKeyGrabber::cannotExpress);
    ::testing::internal::CaptureStdout();
    registry.onKeyUp(toggle, [] {});
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Error registering hotkey Ctrl+\uFFFD: -1\n");
    EXPECT_FALSE(registry.isEnabled(toggle));
}

TEST_F(RegistryTest, openMenuSuspendsGrabsAndMatchesTheProgramsOwnKeys)
{
    int downs = 0, ups = 0;
    registry.declare(toggle);
    registry.setShortcut(commandShiftK, toggle);
    registry.onKeyDown(toggle, [&] { ++downs; });
    registry.onKeyUp(toggle, [&] { ++ups; });

    QMenu menu;
    menu.addAction(QStringLiteral("Quit"));
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(registry.isMenuOpen());
    EXPECT_FALSE(grabbed(commandShiftK));

    // X keycode 45 is the key of key code 40 ("k") on the built-in layout.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, 45, 0, 0);
    QKeyEvent repeat(
        QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, 45, 0, 0, {}, true);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, 45, 0, 0);
    EXPECT_TRUE(QApplication::sendEvent(&menu, &press));
    QApplication::sendEvent(&menu, &repeat);
    QApplication::sendEvent(&menu, &release);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(ups, 1);
    EXPECT_TRUE(menu.isVisible()); // the menu never saw the keys

    menu.hide();
    EXPECT_FALSE(registry.isMenuOpen());
    EXPECT_TRUE(grabbed(commandShiftK));
    tap(commandShiftK);
    EXPECT_EQ(downs, 3);
}

TEST_F(RegistryTest, theGrabsWaitForTheLastOfNestedMenusToClose)
{
    registry.declare(toggle);
    registry.setShortcut(commandShiftK, toggle);
    QMenu parent;
    parent.popup(QPoint(0, 0));
    auto submenu = std::make_unique<QMenu>();
    submenu->popup(QPoint(40, 0));
    QMenu other;
    other.popup(QPoint(80, 0));

    submenu->hide(); // back to its parent, which still holds the keyboard
    EXPECT_TRUE(registry.isMenuOpen());
    EXPECT_FALSE(grabbed(commandShiftK));
    submenu->popup(QPoint(40, 0));
    submenu.reset(); // gone while open
    other.hide();
    EXPECT_TRUE(registry.isMenuOpen());
    EXPECT_FALSE(grabbed(commandShiftK));

    parent.hide();
    EXPECT_FALSE(registry.isMenuOpen());
    EXPECT_TRUE(grabbed(commandShiftK));
}

TEST_F(RegistryTest, hotKeyThatCannotBeRetakenAfterAMenuIsDropped)
{
    registry.declare(toggle);
    registry.setShortcut(commandShiftK, toggle);
    QMenu menu;
    menu.popup(QPoint(0, 0));
    grabber.refuse(commandShiftK.carbonKeyCode(), commandShiftK.carbonModifiers());
    ::testing::internal::CaptureStdout();
    menu.hide();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Error registering hotkey Ctrl+Shift+K: 10\n");
    EXPECT_FALSE(registry.isEnabled(toggle));
    EXPECT_EQ(registry.hotKeys().registrationCount(), 0);
}

TEST_F(RegistryTest, hotKeyLostToAKeymapChangeIsReportedAndTakenAgainLater)
{
    int runs = 0;
    registry.setShortcut(commandShiftK, toggle);
    registry.onKeyUp(toggle, [&] { ++runs; });
    ::testing::internal::CaptureStdout();
    grabber.loseGrab(commandShiftK.carbonKeyCode(), commandShiftK.carbonModifiers());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Error registering hotkey Ctrl+Shift+K: 10\n");
    EXPECT_FALSE(registry.isEnabled(toggle));
    EXPECT_EQ(registry.hotKeys().registrationCount(), 0);

    registry.enable({ toggle });
    EXPECT_TRUE(registry.isEnabled(toggle));
    tap(commandShiftK);
    EXPECT_EQ(runs, 1);
}

} // namespace
