#include "app/appdelegate.h"
#include "app/appstate.h"
#include "app/panelcontroller.h"
#include "app/quorvcontentview.h"
#include "app/quorvpanel.h"
#include "app/settingswindowcontroller.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/clipboardstore.h"
#include "gesture/gesturemonitor.h"
#include "platform/updater.h"
#include "shortcuts/applicationmenu.h"
#include "tests/app/fakesystem.h"
#include "tests/support/logcapture.h"
#include "tests/support/printers.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

class AppDelegateTest : public ::testing::Test, public FakeSystem
{
};

TEST_F(AppDelegateTest, launchBuildsEverythingAndDropsAStaleFeedAddress)
{
    defaults.setString(QStringLiteral("SUFeedURL"), QStringLiteral("https://elsewhere.example/feed.xml"));
    LogCapture log;
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    EXPECT_TRUE(log.contains(QStringLiteral("Quorvane launched successfully")));
    EXPECT_TRUE(QFile::exists(storeFolder() + QStringLiteral("/Clipboard.store")));
    EXPECT_FALSE(defaults.contains(QStringLiteral("SUFeedURL")));
    EXPECT_NE(delegate->panelController(), nullptr);
    EXPECT_NE(delegate->contentView(), nullptr);
    EXPECT_TRUE(alerts.shown.isEmpty()); // trusted: no introduction
}

TEST_F(AppDelegateTest, aSecondProgramOnTheSameStoreDoesNotStart)
{
    auto first = makeDelegate();
    ASSERT_EQ(first->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    auto second = makeDelegate();
    EXPECT_EQ(second->applicationDidFinishLaunching(), AppDelegate::LaunchResult::AlreadyRunning);
    first.reset();
    auto third = makeDelegate();
    EXPECT_EQ(third->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
}

TEST_F(AppDelegateTest, aStoreFolderThatCantBeMadeEndsTheLaunchWithAFault)
{
    QFile blocker(storeFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    LogCapture log;
    EXPECT_EQ(makeDelegate()->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Failed);
    ASSERT_TRUE(log.containsPrefix(QStringLiteral("Failed to determine clipboard store URL: ")));
    EXPECT_EQ(log.lines().constLast().type, QtCriticalMsg);
    EXPECT_FALSE(log.contains(QStringLiteral("Quorvane launched successfully")));
}

TEST_F(AppDelegateTest, aStoreThatIsNotADatabaseIsLeftAsItWas)
{
    QDir().mkpath(storeFolder());
    const QByteArray notes = "my shopping list, not a database\n";
    QFile file(storeFolder() + QStringLiteral("/Clipboard.store"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(notes);
    file.close();
    LogCapture log;
    EXPECT_EQ(makeDelegate()->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Failed);
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Failed to create clipboard store container at ")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), notes);
}

// Started from a menu or at login, nobody sees standard error.
TEST_F(AppDelegateTest, aDamagedStoreIsNamedInAnAlertBeforeTheLaunchEnds)
{
    const QString store = storeFolder() + QStringLiteral("/Clipboard.store");
    {
        auto delegate = makeDelegate();
        ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    }
    QFile file(store);
    ASSERT_TRUE(file.resize(1000)); // cut short, as by a full disk or a crash of the file system
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray damaged = file.readAll();
    file.close();

    EXPECT_EQ(makeDelegate()->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Failed);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].style, Alert::Style::Critical);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("Clipboard history can't be opened"));
    EXPECT_TRUE(alerts.shown[0].informativeText.contains(store))
        << alerts.shown[0].informativeText.toStdString();
    EXPECT_EQ(alerts.shown[0].buttons, QStringList { QStringLiteral("Quit Quorvane") });
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
}

TEST_F(AppDelegateTest, theStoreFolderIsTheOwnersAlone)
{
    QDir().mkpath(storeFolder());
    ASSERT_TRUE(QFile::setPermissions(storeFolder(),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
            | QFileDevice::ExeOther));
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    EXPECT_EQ(QFile::permissions(storeFolder())
            & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(AppDelegateTest, aLockBesideTheStoreThatCantBeOpenedIsAFaultNotASecondProgram)
{
    QDir().mkpath(storeFolder() + QStringLiteral("/quorvane.lock")); // a folder where the lock file belongs
    LogCapture log;
    EXPECT_EQ(makeDelegate()->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Failed);
    ASSERT_TRUE(log.containsPrefix(QStringLiteral("Failed to create clipboard store container at ")));
    EXPECT_EQ(log.lines().constLast().type, QtCriticalMsg);
}

TEST_F(AppDelegateTest, theTrayMenuIsAmongTheMenusARecordedShortcutMustNotClashWith)
{
    const auto quitItems = [] {
        int found = 0;
        for (const GlobalShortcuts::MenuItem &menu : GlobalShortcuts::ApplicationMenu::shared().menu()) {
            for (const GlobalShortcuts::MenuItem &item : menu.submenu)
                found += item.title == QStringLiteral("Quit Quorvane") && item.keyEquivalent == u"q";
        }
        return found;
    };
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    EXPECT_EQ(quitItems(), 1);
    delegate.reset();
    EXPECT_EQ(quitItems(), 0);
}

TEST_F(AppDelegateTest, accessibilityIntroductionComesOnceAndSkipDoesNotPoll)
{
    trusted = false;
    alerts.answers = { 1 }; // "Skip"
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("Enable Pull-Down Gesture"));
    EXPECT_EQ(alerts.shown[0].buttons,
        (QStringList { QStringLiteral("Open System Settings"), QStringLiteral("Skip") }));
    EXPECT_FALSE(delegate->isPollingAccessibility());
    EXPECT_EQ(defaults.boolean(QStringLiteral("hasShownAccessibilityIntro")), true);

    delegate.reset();
    auto again = makeDelegate();
    ASSERT_EQ(again->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    EXPECT_EQ(alerts.shown.size(), 1);
}

TEST_F(AppDelegateTest, openingSettingsFromTheIntroductionStartsThePoll)
{
    trusted = false;
    alerts.answers = { 0 };
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    EXPECT_TRUE(delegate->isPollingAccessibility());
}

TEST_F(AppDelegateTest, restartQuitsOnlyWhenTheNewProgramStarted)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    relaunchStarts = false;
    alerts.answers = { 0 }; // "Restart Now"
    LogCapture log;
    delegate->showAccessibilityGrantedAlert();
    EXPECT_EQ(terminations, 0);
    ASSERT_EQ(alerts.shown.size(), 2);
    EXPECT_EQ(alerts.shown[1].message, QStringLiteral("Quorvane could not restart"));
    EXPECT_TRUE(log.contains(QStringLiteral("Could not restart Quorvane")));

    relaunchStarts = true;
    alerts.answers = { 0 };
    delegate->showAccessibilityGrantedAlert();
    EXPECT_EQ(terminations, 1);
    alerts.answers = { 1 }; // "Later"
    delegate->showAccessibilityGrantedAlert();
    EXPECT_EQ(terminations, 1);
}

TEST_F(AppDelegateTest, databaseFailureAlertOffersQuitOrContinue)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    alerts.answers = { 1, 0 };
    delegate->showDatabaseFailureAlert(QStringLiteral("disk I/O error"));
    EXPECT_EQ(terminations, 0);
    const Alert &alert = alerts.shown.constLast();
    EXPECT_EQ(alert.style, Alert::Style::Critical);
    EXPECT_EQ(alert.message, QStringLiteral("Clipboard history can't be saved"));
    EXPECT_TRUE(alert.informativeText.endsWith(QStringLiteral("\n\nDetails: disk I/O error")));
    delegate->showDatabaseFailureAlert(QStringLiteral("disk I/O error"));
    EXPECT_EQ(terminations, 1);
}

TEST_F(AppDelegateTest, togglesRunOnLaterTurnsOneAfterTheOther)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    PanelController &controller = *delegate->panelController();
    delegate->togglePanel();
    EXPECT_FALSE(controller.isVisible()); // not within the caller's event
    processEvents();
    EXPECT_TRUE(controller.isVisible());
    EXPECT_TRUE(delegate->appState()->panelVisible());
    delegate->togglePanel();
    delegate->togglePanel();
    processEvents();
    EXPECT_TRUE(controller.isVisible()); // hidden, then shown again during the collapse
}

TEST_F(AppDelegateTest, panelKeysAreRoutedToTheirActions)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    AppState &state = *delegate->appState();
    PanelController &controller = *delegate->panelController();

    QKeyEvent returnKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    EXPECT_FALSE(delegate->handlePanelKeyDown(&returnKey)); // hidden: never claimed

    controller.showFrom(nullptr);
    finishAnimation(controller);
    EXPECT_TRUE(delegate->handlePanelKeyDown(&returnKey)); // no slot yet: consumed, nothing happens
    processEvents();
    int copies = 0;
    QList<int> moves;
    state.onCopySelectedClipboardItem = [&] { ++copies; };
    state.onMoveClipboardSelection = [&](int offset) { moves.append(offset); };
    EXPECT_TRUE(delegate->handlePanelKeyDown(&returnKey));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    EXPECT_TRUE(delegate->handlePanelKeyDown(&down));
    EXPECT_EQ(copies, 0); // later, on the main queue
    processEvents();
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(moves, QList<int> { 1 });

    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    EXPECT_TRUE(delegate->handlePanelKeyDown(&tab));
    processEvents();
    EXPECT_EQ(state.focusTarget(), PanelFocusTarget::pane(FocusedPane::Notes));
    EXPECT_FALSE(delegate->handlePanelKeyDown(&down)); // the notes list takes its arrows

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_TRUE(delegate->handlePanelKeyDown(&escape));
    EXPECT_FALSE(controller.isVisible()); // within the event
}

// Keys may all arrive before the main queue turns (a busy machine, keys sent in
// one burst): each is judged where the keys before it left the focus.
TEST_F(AppDelegateTest, aKeyRightAfterATabActsWhereTheTabMovedTheFocus)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    AppState &state = *delegate->appState();
    pasteboard.offerText(QStringLiteral("copied elsewhere"));
    state.clipboardManager().checkPasteboard();
    PanelController &controller = *delegate->panelController();
    controller.showFrom(nullptr);
    finishAnimation(controller);
    state.setFocusTarget(PanelFocusTarget::pane(FocusedPane::Notes));
    processEvents();
    const int changes = pasteboard.changeCount();

    QKeyEvent backTab(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    QKeyEvent returnKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    EXPECT_TRUE(delegate->handlePanelKeyDown(&backTab)); // notes → clipboard, on the main queue
    EXPECT_TRUE(delegate->handlePanelKeyDown(&returnKey)); // before that turn came
    processEvents();
    EXPECT_EQ(state.focusTarget(), PanelFocusTarget::pane(FocusedPane::Clipboard));
    EXPECT_GT(pasteboard.changeCount(), changes); // the entry copied back
}

// Typing a query, then Tab and a key for the list, all before the query's
// publication waits out the typing pause: the key acts on what the query lists.
struct QueryKeyCase
{
    const char *name;
    QList<int> keys; // after the Tab that leaves the field
    QString copied; // what the pasteboard then holds
    int entriesLeft;
};

void PrintTo(const QueryKeyCase &c, std::ostream *out)
{
    *out << c.name;
}

class KeysRightAfterTyping : public AppDelegateTest, public ::testing::WithParamInterface<QueryKeyCase>
{
};

TEST_P(KeysRightAfterTyping, actOnTheListTheTypedQueryLeaves)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    AppState &state = *delegate->appState();
    for (const QString &text :
        { QStringLiteral("apple pie"), QStringLiteral("apricot jam"), QStringLiteral("banana split") }) {
        pasteboard.offerText(text);
        state.clipboardManager().checkPasteboard();
    }
    PanelController &controller = *delegate->panelController();
    controller.showFrom(nullptr);
    finishAnimation(controller);
    processEvents();
    ASSERT_TRUE(state.selectedClipboardItemID()); // the newest, "banana split"
    state.setFocusTarget(PanelFocusTarget::search());
    processEvents();
    auto *field = delegate->contentView()->findChild<QLineEdit *>(QStringLiteral("searchField"));
    ASSERT_NE(field, nullptr);

    field->setText(QStringLiteral("ap")); // "apricot jam", then "apple pie"
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    EXPECT_TRUE(delegate->handlePanelKeyDown(&tab));
    for (const int key : GetParam().keys) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        EXPECT_TRUE(delegate->handlePanelKeyDown(&event));
    }
    processEvents();
    EXPECT_EQ(state.focusTarget(), PanelFocusTarget::pane(FocusedPane::Clipboard));
    EXPECT_EQ(state.searchQuery(), QStringLiteral("ap"));
    EXPECT_EQ(QString::fromUtf8(pasteboard.formats().value(PasteboardType::string)), GetParam().copied);
    EXPECT_EQ(
        state.clipboardManager().modelContext().fetchNewestFirst().value().size(), GetParam().entriesLeft);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeysRightAfterTyping,
    ::testing::Values(QueryKeyCase { "returnCopiesTheFirstMatch", { Qt::Key_Return }, "apricot jam", 3 },
        QueryKeyCase {
            "downThenReturnCopiesTheSecondMatch", { Qt::Key_Down, Qt::Key_Return }, "apple pie", 3 },
        QueryKeyCase { "deleteRemovesTheFirstMatch", { Qt::Key_Delete }, "banana split", 2 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AppDelegateTest, openingSettingsHidesThePanelAtOnceAndReusesTheWindow)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    PanelController &controller = *delegate->panelController();
    controller.showFrom(nullptr);
    delegate->appState()->onOpenSettings();
    EXPECT_FALSE(controller.isVisible());
    EXPECT_FALSE(controller.isAnimating());
    EXPECT_FALSE(delegate->panel()->isVisible());
    QWidget *window = SettingsWindowController::shared().window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quorvane Settings"));
    // One size, within 480 by 400 to 620: the user can't resize it.
    EXPECT_EQ(window->minimumSize(), QSize(480, 560));
    EXPECT_EQ(window->maximumSize(), QSize(480, 560));
    window->close();
    delegate->appState()->onOpenSettings();
    EXPECT_EQ(SettingsWindowController::shared().window(), window);
    EXPECT_TRUE(window->isVisible());
    window->close();
}

TEST_F(AppDelegateTest, gestureMonitorFollowsTrustAndTheSetting)
{
    defaults.setBoolean(QStringLiteral("isGestureEnabled"), false);
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    EXPECT_EQ(delegate->gestureMonitor(), nullptr);

    delegate->appState()->setGestureEnabled(true);
    delegate->appState()->onGestureEnabledChanged(true);
    GestureMonitor *monitor = delegate->gestureMonitor();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->isStarted());

    delegate->appState()->onGestureEnabledChanged(false);
    EXPECT_TRUE(monitor->isDisabled());
    const int reads = naturalScrolling.reads();
    delegate->appState()->onGestureEnabledChanged(true);
    EXPECT_EQ(delegate->gestureMonitor(), monitor); // the same monitor, switched on again
    EXPECT_FALSE(monitor->isDisabled());
    EXPECT_GT(naturalScrolling.reads(), reads); // the scrolling direction is read again

    delegate->applicationWillTerminate();
    EXPECT_FALSE(monitor->isStarted());
}

TEST_F(AppDelegateTest, withoutTrustTurningTheGestureOnMakesNoMonitor)
{
    trusted = false;
    alerts.answers = { 1 };
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    delegate->appState()->onGestureEnabledChanged(true);
    EXPECT_EQ(delegate->gestureMonitor(), nullptr);
}

TEST_F(AppDelegateTest, gestureRequestsThatNoLongerFitAreDropped)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    PanelController &controller = *delegate->panelController();
    delegate->requestHide(); // hidden already
    EXPECT_FALSE(controller.isAnimating());
    delegate->requestShow(QGuiApplication::primaryScreen());
    EXPECT_TRUE(controller.isVisible());
    delegate->requestHide(); // still dropping
    EXPECT_TRUE(controller.isVisible());
    finishAnimation(controller);
    delegate->requestHide();
    EXPECT_FALSE(controller.isVisible());
}

TEST_F(AppDelegateTest, capturesCopiesAndRaisesTheFailureAlertOnce)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    ClipboardManager &manager = delegate->appState()->clipboardManager();
    EXPECT_TRUE(manager.isPolling());
    pasteboard.offerText(QStringLiteral("copied elsewhere"));
    manager.checkPasteboard();
    EXPECT_EQ(delegate->clipboardStore()->fetchAll().value().size(), 1);

    alerts.defaultAnswer = 1; // "Continue Without Capture"
    manager.reportPersistenceFailure(
        StoreError { 10, QStringLiteral("disk I/O error") }, QStringLiteral("save"));
    manager.reportPersistenceFailure(
        StoreError { 10, QStringLiteral("disk I/O error") }, QStringLiteral("save"));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("Clipboard history can't be saved"));
    EXPECT_FALSE(manager.isPolling());
    EXPECT_EQ(terminations, 0);
}

TEST_F(AppDelegateTest, theUpdateFlagFollowsTheLastCheck)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    AppState &state = *delegate->appState();
    EXPECT_EQ(state.updater(), delegate->updater()); // for the footer's and the settings' checks
    EXPECT_FALSE(state.updateAvailable());
    Q_EMIT delegate->updater()->didFindValidUpdate(AppcastItem {});
    EXPECT_TRUE(state.updateAvailable());
    Q_EMIT delegate->updater()->checkFailed(QStringLiteral("offline")); // says nothing new
    EXPECT_TRUE(state.updateAvailable());
    Q_EMIT delegate->updater()->didNotFindUpdate();
    EXPECT_FALSE(state.updateAvailable());
}

TEST_F(AppDelegateTest, terminateSavesTheStoreOnce)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    int flushes = 0;
    delegate->appState()->noteEditorFlush = [&] { ++flushes; };
    delegate->clipboardStore()->insert(
        ClipboardItem::create(ContentType::Text, QByteArrayLiteral("kept"), QStringLiteral("kept")));
    delegate->applicationWillTerminate();
    delegate->applicationWillTerminate();
    EXPECT_EQ(flushes, 1);
    EXPECT_FALSE(delegate->clipboardStore()->hasChanges());
    StoreError error;
    auto reopened = ClipboardStore::open(storeFolder() + QStringLiteral("/Clipboard.store"), &error);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->fetchAll().value().size(), 1);
}

} // namespace

namespace {

TEST_F(AppDelegateTest, aClickInAMenuOrDialogOfThePanelIsNotAClickOutside)
{
    auto delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    QDialog dialog(delegate->contentView());
    dialog.setGeometry(100, 700, 200, 100);
    dialog.show();
    const auto &isOwnWindowAt = delegate->panelController()->isOwnWindowAt;
    EXPECT_TRUE(isOwnWindowAt(dialog.frameGeometry().center()));
    dialog.hide();
    EXPECT_FALSE(isOwnWindowAt(dialog.frameGeometry().center()));
    QDialog stranger;
    stranger.setGeometry(100, 700, 200, 100);
    stranger.show();
    EXPECT_FALSE(isOwnWindowAt(stranger.frameGeometry().center()));
}

} // namespace
