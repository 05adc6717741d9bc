#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class AlertPresenter;
class AppState;
class FolderChooser;
class LoginItem;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class Workspace;
namespace GlobalShortcuts {
class Registry;
}

// What the settings form works with besides the shared state. Everything
// referenced outlives the form.
struct SettingsEnvironment
{
    AppState &appState;
    AlertPresenter &alerts; // the clear-history confirmation, the update outcome, the recorder's alerts
    FolderChooser &folderChooser; // the vault folder
    Workspace &workspace; // the web site and the mail draft
    LoginItem &loginItem;
    GlobalShortcuts::Registry *shortcuts = nullptr; // none: no global shortcut to record (no X server)
    std::function<bool()> isTrusted; // may the gesture watch input globally
    std::function<void()> requestAccessibility; // "Open System Settings..."
};

// The content of the settings window: every stored preference, bound to the
// shared state so that a change takes effect at once (there is no apply
// button), the login item, the toggle shortcut's recorder, clearing the
// history, the vault folder, the in-panel shortcut list, the version, the
// update check and feedback. Each time it is shown it reads the login item,
// the Accessibility state and the vault path afresh, without changing them.
// Main thread only.
class SettingsView : public QWidget
{
public:
    explicit SettingsView(SettingsEnvironment environment, QWidget *parent = nullptr);
    ~SettingsView() override;

    // "Version 0.1.0 (1)": the program's version and build, "1.0.0" and "1" when
    // the program carries none.
    static QString versionLine();
    static QString version();
    static QString build();

    // The mail draft "Send Feedback..." opens: to the support address, with the
    // subject and the body percent-encoded, whatever the vault path holds.
    QUrl feedbackUrl() const;

    // What the login item's status line says; empty when it is hidden.
    QString loginItemStatus() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *startupSection();
    QWidget *hotkeySection();
    QWidget *behaviorSection();
    QWidget *gestureSection();
    QWidget *appearanceSection();
    QWidget *clipboardSection();
    QWidget *clearSection();
    QWidget *notesSection();
    QWidget *shortcutsSection();
    QWidget *footerSection();

    void refresh();
    void showBoundValues();
    void setLaunchAtLogin(bool enabled);
    void setLoginItemStatus(const QString &status);
    void setVaultPath(const QString &path);
    void confirmClearAll();
    void chooseNotesFolder();
    void checkForUpdates();
    void sendFeedback();

    SettingsEnvironment m_environment;
    QCheckBox *m_launchAtLogin = nullptr;
    QLabel *m_loginItemStatus = nullptr;
    QCheckBox *m_dismissOnCopy = nullptr;
    QCheckBox *m_gestureToggle = nullptr; // shown when the gesture may watch input
    QWidget *m_gesturePermission = nullptr; // shown when it may not
    QButtonGroup *m_theme = nullptr;
    QSpinBox *m_historyLimit = nullptr;
    QCheckBox *m_skipSensitive = nullptr;
    QLabel *m_vaultPath = nullptr;
    QDoubleSpinBox *m_autoSaveDelay = nullptr;
    QPointer<QObject> m_updateCheck; // lives while a check the user asked for runs
};
