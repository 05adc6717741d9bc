#pragma once

#include "app/panelkeyrouter.h"
#include "gesture/gesturemonitordelegate.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

class AlertPresenter;
class AppNotesEnvironment;
class AppState;
class ClipboardStore;
class ColorSchemePreference;
class Defaults;
class FileEventStream;
class FolderChooser;
class GestureMonitor;
class GlobalClickMonitor;
class HotKeyGrabber;
class InstanceLock;
class LoginItem;
class NaturalScrolling;
class NotificationCenter;
class PanelController;
class Pasteboard;
class QKeyEvent;
class QMenu;
class QScreen;
class QNetworkAccessManager;
class QSystemTrayIcon;
class QTimer;
class QWidget;
class ScrollTapFactory;
class QuorvContentView;
class QuorvPanel;
class Updater;
class Workspace;
namespace GlobalShortcuts {
class Registry;
}

// What the delegate needs from the system, handed in so that tests can stand in.
// Everything referenced must outlive the delegate.
struct AppServices
{
    Defaults &defaults;
    AlertPresenter &alerts;
    GlobalClickMonitor &clickMonitor;
    NotificationCenter &notifications;
    QNetworkAccessManager &network;
    ScrollTapFactory &scrollTaps; // for the pull-down gesture
    const NaturalScrolling &naturalScrolling;
    QString storeFolder; // where "Clipboard.store" lives
    std::function<bool()> isTrusted; // may the gesture watch input globally
    std::function<bool()> startNewInstance; // a fresh copy of the program; true when it started
    bool waitForPreviousInstance = false; // started by a relaunch: the old one is still ending
    std::function<void()> terminate; // ends the program through its normal shutdown
    HotKeyGrabber *hotKeys = nullptr; // system-wide keys; none: no global shortcut (no X server)
    // The vault's watch; none: an inotify stream of the delegate's own.
    FileEventStream *vaultEvents = nullptr;
    // The clipboard; none: the application's own.
    Pasteboard *pasteboard = nullptr;
    // The desktop's file handling; none: the freedesktop services.
    Workspace *workspace = nullptr;
    // The folder chooser of the notes onboarding; none: a file dialog.
    FolderChooser *folderChooser = nullptr;
    // Starting at login; none: this program's XDG autostart entry.
    LoginItem *loginItem = nullptr;
    // The desktop's light or dark preference; none: the one its portal publishes.
    ColorSchemePreference *colorScheme = nullptr;
};

// Builds everything the user sees when the program starts, owns it until the end,
// toggles the panel, carries out the panel's key actions, walks the user once through
// the gesture's permission, and shuts everything down in order. Main thread only;
// every callback it hands out holds it weakly.
class AppDelegate : public QObject, public GestureMonitorDelegate
{
    Q_OBJECT
public:
    enum class LaunchResult { Launched, AlreadyRunning, Failed };

    explicit AppDelegate(AppServices services, QObject *parent = nullptr);
    ~AppDelegate() override;

    LaunchResult applicationDidFinishLaunching();
    // Idempotent: the first call shuts down, later ones do nothing.
    void applicationWillTerminate();

    // The tray icon's action: one toggle on a later turn of the main queue.
    void togglePanel();
    bool handlePanelKeyDown(QKeyEvent *event);

    AppState *appState() const { return m_appState.get(); }
    PanelController *panelController() const { return m_panelController.get(); }
    QuorvPanel *panel() const { return m_panel.get(); }
    QuorvContentView *contentView() const;
    QSystemTrayIcon *statusItem() const { return m_statusItem.get(); }
    ClipboardStore *clipboardStore() const { return m_store.get(); }
    Updater *updater() const { return m_updater.get(); }
    // Present from the first time the gesture became possible (trusted and switched on).
    GestureMonitor *gestureMonitor() const { return m_gestureMonitor.get(); }

    // The pull-down asks; a request that no longer fits (the panel moving, or already
    // where it was asked to go) is dropped.
    void requestShow(QScreen *screen) override;
    void requestHide() override;
    GlobalShortcuts::Registry *shortcuts() const { return m_shortcuts.get(); }
    bool isPollingAccessibility() const;

    void showAccessibilityIntroIfNeeded();
    void showAccessibilityGrantedAlert();
    void relaunchApplication();
    void showDatabaseFailureAlert(const QString &errorDescription);
    // Before a launch ends for want of the store: the file and why.
    void showLaunchFailureAlert(const QString &path, const QString &errorDescription);

    // The feed address: the product host's appcast, or the host named by
    // QUORVANE_UPDATE_HOST (a staging or test server).
    static QString feedUrlString();

private:
    void applyAppearance();
    void setupUpdater();
    void setupStatusItem();
    void setupPanel();
    void setupNotesPane(QuorvContentView &content);
    void registerToggleShortcut();
    void setupSettings();
    void startGestureMonitor();
    void setGestureEnabled(bool enabled);
    void pollAccessibilityPermission();
    void toggle();
    void runPendingPanelActions();
    bool isOwnWindowAt(QPoint globalPosition) const;

    AppServices m_services;
    std::unique_ptr<InstanceLock> m_instanceLock;
    std::unique_ptr<FileEventStream> m_ownVaultEvents;
    std::unique_ptr<Pasteboard> m_ownPasteboard;
    std::unique_ptr<Workspace> m_ownWorkspace;
    std::unique_ptr<FolderChooser> m_ownFolderChooser;
    std::unique_ptr<LoginItem> m_ownLoginItem;
    std::unique_ptr<ColorSchemePreference> m_ownColorScheme;
    std::unique_ptr<ClipboardStore> m_store;
    std::unique_ptr<AppState> m_appState;
    // Between the state it adapts and the panel whose notes pane uses it.
    std::unique_ptr<AppNotesEnvironment> m_notesEnvironment;
    std::unique_ptr<Updater> m_updater;
    std::unique_ptr<QMenu> m_statusMenu;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<QuorvPanel> m_panel;
    std::unique_ptr<PanelController> m_panelController;
    std::unique_ptr<GestureMonitor> m_gestureMonitor;
    std::unique_ptr<GlobalShortcuts::Registry> m_shortcuts;
    QPointer<QTimer> m_accessibilityPoll;
    bool m_launched = false;
    bool m_terminated = false;
    std::deque<PanelKeys::Action> m_pendingPanelActions; // claimed keys whose actions haven't run yet
};
