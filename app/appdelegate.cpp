#include "app/appdelegate.h"

#include "app/appearance.h"
#include "app/appicon.h"
#include "app/appnotesenvironment.h"
#include "app/appstate.h"
#include "app/panelcontroller.h"
#include "app/panelkeyrouter.h"
#include "app/product.h"
#include "app/quorvcontentview.h"
#include "app/quorvpanel.h"
#include "app/settingsview.h"
#include "app/settingswindowcontroller.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/clipboardstore.h"
#include "gesture/gesturemonitor.h"
#include "gesture/scrolldirection.h"
#include "notes/notesmanager.h"
#include "notes/notespaneview.h"
#include "platform/alertpresenter.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/globalclickmonitor.h"
#include "platform/heap.h"
#include "platform/instancelock.h"
#include "platform/linux/desktopworkspace.h"
#include "platform/linux/inotifyfileeventstream.h"
#include "platform/linux/portalcolorschemepreference.h"
#include "platform/linux/xdgloginitem.h"
#include "platform/log.h"
#include "platform/mainqueue.h"
#include "platform/qt/qtfolderchooser.h"
#include "platform/qt/qtpasteboard.h"
#include "platform/updater.h"
#include "preview/notepreviewview.h"
#include "shortcuts/applicationmenu.h"
#include "shortcuts/registry.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace {

const Log &log()
{
    static const Log instance("AppDelegate");
    return instance;
}

const QString appcastPath = QStringLiteral("/updates/stable/appcast.xml");
constexpr int accessibilityPollMs = 2000;
constexpr int accessibilityPollTicks = 30;
constexpr std::chrono::seconds relaunchWait { 10 };

// The service the caller gave, else the real one, made here and kept in `own`.
template<class Service, class Make>
void useOwnUnlessGiven(Service *&given, std::unique_ptr<Service> &own, Make make)
{
    if (given)
        return;
    own = make();
    given = own.get();
}

// Whether the focused widget takes typed text (the note editor, a text field).
bool isEditingText(const QWidget *window)
{
    const QWidget *focus = QApplication::focusWidget();
    if (!window || !focus || focus->window() != window)
        return false;
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(focus))
        return !edit->isReadOnly();
    if (const auto *edit = qobject_cast<const QTextEdit *>(focus))
        return !edit->isReadOnly();
    if (const auto *field = qobject_cast<const QLineEdit *>(focus))
        return !field->isReadOnly();
    return false;
}

} // namespace

AppDelegate::AppDelegate(AppServices services, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
{
    if (!m_services.terminate)
        m_services.terminate = [] { QCoreApplication::quit(); };
}

AppDelegate::~AppDelegate()
{
    applicationWillTerminate();
    // The settings form refers to the state and the shortcuts.
    SettingsWindowController::shared().destroyWindow();
    // The panel's controller refers to the panel: release it first.
    m_panelController.reset();
}

QuorvContentView *AppDelegate::contentView() const
{
    return m_panel ? qobject_cast<QuorvContentView *>(m_panel->content()) : nullptr;
}

AppDelegate::LaunchResult AppDelegate::applicationDidFinishLaunching()
{
    // 1. The store's folder, private: whatever was copied is kept there.
    if (!QDir().mkpath(m_services.storeFolder)
        || !QFile::setPermissions(m_services.storeFolder,
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
        const QString cause = QStringLiteral("could not create the folder %1").arg(m_services.storeFolder);
        log().fault(QStringLiteral("Failed to determine clipboard store URL: %1").arg(cause));
        showLaunchFailureAlert(m_services.storeFolder, cause);
        return LaunchResult::Failed;
    }
    const QString storePath = QDir(m_services.storeFolder).filePath(QStringLiteral("Clipboard.store"));

    // Two programs polling one store would capture every copy twice.
    m_instanceLock = std::make_unique<InstanceLock>(
        QDir(m_services.storeFolder).filePath(QStringLiteral("quorvane.lock")));
    const bool locked
        = m_services.waitForPreviousInstance ? m_instanceLock->lock(relaunchWait) : m_instanceLock->tryLock();
    if (!locked && m_instanceLock->isOpen())
        return LaunchResult::AlreadyRunning;
    if (!locked) {
        // Not "already running": nothing can be written beside the store.
        log().fault(QStringLiteral("Failed to create clipboard store container at %1: %2")
                        .arg(storePath, m_instanceLock->errorString()));
        showLaunchFailureAlert(storePath, m_instanceLock->errorString());
        return LaunchResult::Failed;
    }

    // 2–3. The store.
    StoreError storeError;
    m_store = ClipboardStore::open(storePath, &storeError);
    if (!m_store) {
        log().fault(QStringLiteral("Failed to create clipboard store container at %1: %2")
                        .arg(storePath, storeError.description));
        showLaunchFailureAlert(storePath, storeError.description);
        return LaunchResult::Failed;
    }

    // 4–6. The shared state and its slots.
    useOwnUnlessGiven(
        m_services.vaultEvents, m_ownVaultEvents, [] { return std::make_unique<InotifyFileEventStream>(); });
    useOwnUnlessGiven(m_services.pasteboard, m_ownPasteboard,
        [] { return std::make_unique<QtPasteboard>(*QGuiApplication::clipboard()); });
    m_appState = std::make_unique<AppState>(
        m_services.defaults, *m_store, *m_services.pasteboard, *m_services.vaultEvents, Clock::system());
    QPointer<AppDelegate> self(this);
    m_appState->clipboardManager().onPersistenceFailure = [self](const StoreError &error) {
        if (self)
            self->showDatabaseFailureAlert(error.description);
    };
    m_appState->onOpenSettings = [self] {
        if (!self)
            return;
        if (self->m_panelController)
            self->m_panelController->hideImmediately();
        SettingsWindowController::shared().show(*self->m_appState);
    };

    // 7–10.
    applyAppearance();
    setupUpdater();
    setupStatusItem();
    setupPanel();

    // 11.
    registerToggleShortcut();
    setupSettings();

    // 12.
    m_appState->restoreVault();
    m_appState->clipboardManager().backfillContentHashes();
    m_appState->clipboardManager().startPolling();

    // 13–14.
    m_appState->onGestureEnabledChanged = [self](bool enabled) {
        if (self)
            self->setGestureEnabled(enabled);
    };
    if (m_services.isTrusted && m_services.isTrusted())
        startGestureMonitor();
    else
        showAccessibilityIntroIfNeeded();

    m_launched = true;
    log().info(QStringLiteral("Quorvane launched successfully"));
    return LaunchResult::Launched;
}

void AppDelegate::applicationWillTerminate()
{
    if (!m_launched || m_terminated)
        return;
    m_terminated = true;
    if (m_accessibilityPoll)
        m_accessibilityPoll->stop();
    // Nothing written may be lost: the state saves the store before the process ends.
    if (m_appState)
        m_appState->shutdown();
    if (m_panelController)
        m_panelController->removeClickMonitor();
    if (m_statusItem)
        m_statusItem->hide();
    if (m_gestureMonitor)
        m_gestureMonitor->stop();
    log().info(QStringLiteral("Quorvane terminated"));
}

void AppDelegate::applyAppearance()
{
    // Asked before the first window shows, so that it opens in the look the desktop prefers.
    useOwnUnlessGiven(m_services.colorScheme, m_ownColorScheme,
        [] { return std::make_unique<PortalColorSchemePreference>(); });
    Appearance::setSystemPreference(m_services.colorScheme->scheme());
    Appearance::apply(Appearance::modeFor(
        m_services.defaults.string(DefaultsKey::appearanceMode, DefaultValue::appearanceMode)));
    connect(m_services.colorScheme, &ColorSchemePreference::changed, this,
        [](ColorSchemePreference::Scheme scheme) { Appearance::setSystemPreference(scheme); });
}

QString AppDelegate::feedUrlString()
{
    const QString host = qEnvironmentVariable("QUORVANE_UPDATE_HOST");
    return (host.isEmpty() ? Product::homePage : host) + appcastPath;
}

void AppDelegate::setupUpdater()
{
    // A feed address left in the settings would override the built-in one.
    m_services.defaults.remove(DefaultsKey::suFeedURL);
    m_updater = std::make_unique<Updater>(m_services.network, QCoreApplication::applicationVersion());
    m_updater->feedUrlString = &AppDelegate::feedUrlString;
    AppState *state = m_appState.get();
    state->setUpdater(m_updater.get());
    connect(
        m_updater.get(), &Updater::didFindValidUpdate, state, [state] { state->setUpdateAvailable(true); });
    connect(
        m_updater.get(), &Updater::didNotFindUpdate, state, [state] { state->setUpdateAvailable(false); });
    QString error;
    if (!m_updater->start(&error))
        log().error(QStringLiteral("Updater failed to start: %1").arg(error));
}

void AppDelegate::setupStatusItem()
{
    m_statusItem = std::make_unique<QSystemTrayIcon>(trayIcon());
    m_statusItem->setToolTip(QStringLiteral("Quorvane"));
    m_statusMenu = std::make_unique<QMenu>();
    m_statusMenu->addAction(QStringLiteral("Settings..."), this, [this] {
        if (m_appState->onOpenSettings)
            m_appState->onOpenSettings();
    });
    QAction *quit
        = m_statusMenu->addAction(QStringLiteral("Quit Quorvane"), this, [this] { m_services.terminate(); });
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_statusItem->setContextMenu(m_statusMenu.get());
    // A recorded global shortcut must not take a key of the program's own menu.
    GlobalShortcuts::ApplicationMenu::shared().addMenu(m_statusMenu.get());
    connect(m_statusItem.get(), &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                togglePanel();
        });
    // Without a tray the icon waits for one to appear; the shortcut and the gesture
    // open the panel meanwhile.
    m_statusItem->show();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        log().info(QStringLiteral("No system tray: the panel opens with the shortcut and the gesture"));
}

void AppDelegate::setupPanel()
{
    m_panel = std::make_unique<QuorvPanel>();
    QPointer<AppDelegate> self(this);
    m_panel->onKeyDown = [self](QKeyEvent *event) { return self ? self->handlePanelKeyDown(event) : false; };
    m_panelController
        = std::make_unique<PanelController>(*m_panel, m_services.clickMonitor, m_services.notifications);
    auto *content = new QuorvContentView(*m_appState, m_services.notifications);
    m_panel->setContent(content);
    setupNotesPane(*content);
    m_panelController->setHostingView(content);
    m_panelController->isOwnWindowAt = [self](QPoint p) { return self && self->isOwnWindowAt(p); };
    m_panelController->onShow = [self] {
        if (!self)
            return;
        // Every showing lists the vault afresh, off the main thread: the first
        // frame must not wait for a large vault.
        self->m_appState->notesManager().scanVaultInBackground();
        self->m_appState->setPanelVisible(true);
    };
    m_panelController->onHide = [self] {
        if (!self)
            return;
        self->m_appState->setPanelVisible(false);
        // What the panel's notes freed while it was shown goes back to the system
        // rather than stay with the program while it waits hidden; once the collapse
        // is drawn, which the time it takes would hold up.
        MainQueue::asyncAfter(
            std::chrono::milliseconds(2 * PanelController::collapseMs), [] { Heap::giveBackFreeMemory(); });
    };
}

void AppDelegate::setupNotesPane(QuorvContentView &content)
{
    useOwnUnlessGiven(
        m_services.workspace, m_ownWorkspace, [] { return std::make_unique<DesktopWorkspace>(); });
    useOwnUnlessGiven(
        m_services.folderChooser, m_ownFolderChooser, [] { return std::make_unique<QtFolderChooser>(); });
    m_notesEnvironment = std::make_unique<AppNotesEnvironment>(
        *m_appState, *m_services.workspace, *m_services.folderChooser, m_services.notifications);
    QuorvContentView::place(content.notesPaneArea(),
        new NotesPaneView(*m_notesEnvironment, NotePreviewView::factory(*m_services.workspace)));
}

bool AppDelegate::isOwnWindowAt(QPoint globalPosition) const
{
    if (m_statusItem && m_statusItem->isVisible() && m_statusItem->geometry().contains(globalPosition))
        return true;
    const QWidget *settings = SettingsWindowController::shared().window();
    if (settings && settings->isVisible() && settings->frameGeometry().contains(globalPosition))
        return true;
    // The panel's own menus and dialogs (a note's context menu, the rename
    // dialog) may reach past its edge: a click in them is not a click outside.
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (window != m_panel.get() && window->isVisible() && window->parentWidget()
            && window->parentWidget()->window() == m_panel.get()
            && window->frameGeometry().contains(globalPosition))
            return true;
    }
    return false;
}

void AppDelegate::registerToggleShortcut()
{
    if (!m_services.hotKeys)
        return;
    m_shortcuts = std::make_unique<GlobalShortcuts::Registry>(
        m_services.defaults, m_services.notifications, *m_services.hotKeys);
    const GlobalShortcuts::Name toggleHUD = GlobalShortcuts::toggleHUD();
    m_shortcuts->declare(toggleHUD);
    // On release: the toggle runs once the keys are up, on a later turn of the queue.
    QPointer<AppDelegate> self(this);
    m_shortcuts->onKeyUp(toggleHUD, [self] {
        if (self)
            self->togglePanel();
    });
}

void AppDelegate::setupSettings()
{
    // The workspace and the folder chooser are in place since the notes pane.
    useOwnUnlessGiven(m_services.loginItem, m_ownLoginItem,
        [] { return std::make_unique<XdgLoginItem>(XdgLoginItem::forThisProgram()); });
    QPointer<AppDelegate> self(this);
    SettingsWindowController::shared().makeForm = [self](AppState &state) -> QWidget * {
        if (!self)
            return new QWidget;
        const AppServices &services = self->m_services;
        // No permission prompt exists here: the button watches for the session to allow it.
        return new SettingsView({ state, services.alerts, *services.folderChooser, *services.workspace,
            *services.loginItem, self->m_shortcuts.get(), services.isTrusted, [self] {
                if (self)
                    self->pollAccessibilityPermission();
            } });
    };
}

void AppDelegate::startGestureMonitor()
{
    if (!m_appState->isGestureEnabled())
        return;
    m_gestureMonitor = std::make_unique<GestureMonitor>(
        m_services.scrollTaps, ScrollDirection(m_services.defaults, m_services.naturalScrolling));
    m_gestureMonitor->setDelegate(this);
    m_gestureMonitor->start();
    QPointer<GestureMonitor> monitor(m_gestureMonitor.get());
    m_panelController->onAnimationComplete = [monitor](bool visible) {
        if (monitor)
            monitor->setPanelVisible(visible);
    };
    // Switched on while the panel is up: the recogniser must look for the hiding
    // movement, or it would ask for a show that is dropped and then stay stuck.
    if (m_panelController->isVisible())
        m_gestureMonitor->setPanelVisible(true);
}

void AppDelegate::setGestureEnabled(bool enabled)
{
    if (m_gestureMonitor) {
        // The same monitor is switched, never made again; enabling reads the
        // scrolling direction afresh.
        if (enabled)
            m_gestureMonitor->enable();
        else
            m_gestureMonitor->disable();
        return;
    }
    if (enabled && m_services.isTrusted && m_services.isTrusted())
        startGestureMonitor();
}

void AppDelegate::requestShow(QScreen *screen)
{
    if (!m_panelController || m_panelController->isAnimating() || m_panelController->isVisible())
        return;
    m_panelController->showFrom(screen);
}

void AppDelegate::requestHide()
{
    if (!m_panelController || m_panelController->isAnimating() || !m_panelController->isVisible())
        return;
    m_panelController->hide();
}

void AppDelegate::togglePanel()
{
    QPointer<AppDelegate> self(this);
    MainQueue::async([self] {
        if (self)
            self->toggle();
    });
}

void AppDelegate::toggle()
{
    if (!m_panelController)
        return;
    if (m_panelController->isVisible()) {
        m_panelController->hide();
        return;
    }
    const QRect icon = m_statusItem ? m_statusItem->geometry() : QRect();
    m_panelController->showFrom(icon.isValid() ? QGuiApplication::screenAt(icon.center()) : nullptr);
}

bool AppDelegate::handlePanelKeyDown(QKeyEvent *event)
{
    if (!m_panelController || !m_appState)
        return false;
    // Keys typed faster than the main queue turns (a busy machine, keys sent
    // in one burst) come in before the actions of the keys before them have
    // run. A key is judged by where the focus is: a focus move still pending
    // runs first, or the Return after a Tab would go to the field left behind.
    if (std::any_of(m_pendingPanelActions.cbegin(), m_pendingPanelActions.cend(),
            [](const PanelKeys::Action &pending) {
                return pending.kind == PanelKeys::Action::Kind::CycleFocus;
            }))
        runPendingPanelActions();
    const PanelFocusTarget focus = m_appState->focusTarget();
    const PanelKeys::Context context { m_panelController->isVisible(), focus.paneValue(), focus.isSearch(),
        isEditingText(m_panel.get()) };
    const auto action
        = PanelKeys::actionFor(event->key(), PanelKeys::modifiersFrom(event->modifiers()), context);
    if (!action)
        return false;
    if (action->kind == PanelKeys::Action::Kind::Dismiss) {
        // Within the key event, so a second Escape can't reach a half-hidden panel.
        if (m_panelController->isVisible())
            m_panelController->hide();
        return true;
    }
    // A key that acts on the list right after typing acts on what the typed query
    // lists: its publication, still waiting for the typing to pause, goes first, and
    // the list's own reaction to it is queued ahead of the action.
    if (action->kind != PanelKeys::Action::Kind::CycleFocus && m_appState->searchFieldFlush)
        m_appState->searchFieldFlush();
    m_pendingPanelActions.push_back(*action);
    QPointer<AppDelegate> self(this);
    MainQueue::async([self] {
        if (self)
            self->runPendingPanelActions();
    });
    return true;
}

void AppDelegate::runPendingPanelActions()
{
    // In the order the keys came; one that runs here is gone from the queue
    // when its own turn of the main queue comes.
    while (!m_pendingPanelActions.empty() && m_appState) {
        const PanelKeys::Action chosen = m_pendingPanelActions.front();
        m_pendingPanelActions.pop_front();
        AppState &state = *m_appState;
        using Kind = PanelKeys::Action::Kind;
        switch (chosen.kind) {
        case Kind::CycleFocus:
            state.switchPane(chosen.reverse);
            break;
        case Kind::MoveSelection:
            if (state.onMoveClipboardSelection)
                state.onMoveClipboardSelection(chosen.offset);
            break;
        case Kind::CopySelection:
            if (state.onCopySelectedClipboardItem)
                state.onCopySelectedClipboardItem();
            break;
        case Kind::DeleteSelection:
            if (state.onDeleteSelectedClipboardItem)
                state.onDeleteSelectedClipboardItem();
            break;
        case Kind::Dismiss:
            break;
        }
    }
}

void AppDelegate::showAccessibilityIntroIfNeeded()
{
    if (m_services.defaults.boolean(DefaultsKey::hasShownAccessibilityIntro, false))
        return;
    // Stored before anything is shown: the introduction comes once, whatever the answer.
    m_services.defaults.setBoolean(DefaultsKey::hasShownAccessibilityIntro, true);
    const Alert intro { Alert::Style::Informational, QStringLiteral("Enable Pull-Down Gesture"),
        QStringLiteral("Quorvane can open when you scroll down at the top of your screen — like "
                       "pulling down a shade. This requires Accessibility access.")
            + QStringLiteral("\n\nYou can always use the keyboard shortcut instead."),
        { QStringLiteral("Open System Settings"), QStringLiteral("Skip") } };
    if (m_services.alerts.run(intro) != 0)
        return;
    // No prompt exists to grant the permission here: an X11 session needs none, and
    // no other session can be given it. The poll notices a change of session state.
    pollAccessibilityPermission();
}

bool AppDelegate::isPollingAccessibility() const
{
    return m_accessibilityPoll && m_accessibilityPoll->isActive();
}

void AppDelegate::pollAccessibilityPermission()
{
    if (m_accessibilityPoll)
        m_accessibilityPoll->deleteLater();
    auto *timer = new QTimer(this);
    m_accessibilityPoll = timer;
    timer->setInterval(accessibilityPollMs);
    auto ticks = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, this, [this, timer, ticks] {
        ++*ticks;
        if (m_services.isTrusted && m_services.isTrusted()) {
            timer->stop();
            timer->deleteLater();
            QPointer<AppDelegate> self(this);
            MainQueue::async([self] {
                if (self)
                    self->showAccessibilityGrantedAlert();
            });
        } else if (*ticks >= accessibilityPollTicks) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void AppDelegate::showAccessibilityGrantedAlert()
{
    const Alert granted { Alert::Style::Informational, QStringLiteral("Accessibility Access Granted"),
        QStringLiteral("Restart Quorvane to activate the pull-down gesture."),
        { QStringLiteral("Restart Now"), QStringLiteral("Later") } };
    if (m_services.alerts.run(granted) == 0)
        relaunchApplication();
}

void AppDelegate::relaunchApplication()
{
    // Quitting without a successor would leave the user with no Quorvane at all.
    if (m_services.startNewInstance && m_services.startNewInstance()) {
        m_services.terminate();
        return;
    }
    log().error(QStringLiteral("Could not restart Quorvane"));
    m_services.alerts.run({ Alert::Style::Informational, QStringLiteral("Quorvane could not restart"),
        QStringLiteral("Quorvane is still running. Quit and reopen it to activate the "
                       "pull-down gesture."),
        { QStringLiteral("OK") } });
}

void AppDelegate::showLaunchFailureAlert(const QString &path, const QString &errorDescription)
{
    // Started from a menu or at login, nobody reads standard error: say it
    // where it is seen, and name the file, which is left as it is.
    m_services.alerts.run({ Alert::Style::Critical, QStringLiteral("Clipboard history can't be opened"),
        QStringLiteral("Quorvane could not open “%1” and will quit. The file has been left as it is.")
                .arg(QDir::toNativeSeparators(path))
            + QStringLiteral("\n\nDetails: ") + errorDescription,
        { QStringLiteral("Quit Quorvane") }, 0 });
}

void AppDelegate::showDatabaseFailureAlert(const QString &errorDescription)
{
    const Alert failure { Alert::Style::Critical, QStringLiteral("Clipboard history can't be saved"),
        QStringLiteral("Quorvane hit a database error and has stopped capturing new clipboard "
                       "items so nothing is silently lost. Please quit and reopen Quorvane.")
            + QStringLiteral("\n\nDetails: ") + errorDescription,
        { QStringLiteral("Quit Quorvane"), QStringLiteral("Continue Without Capture") }, 0 };
    if (m_services.alerts.run(failure) == 0)
        m_services.terminate();
}
